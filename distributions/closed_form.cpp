#include "distributions/closed_form.h"

#include <cmath>
#include <limits>

#include "numerics/cdf_drivers.h"
#include "numerics/rounding.h"
#include "numerics/special_functions.h"

namespace {

const double kInfinity = std::numeric_limits<double>::infinity();

[[noreturn]] void Fail(const char* message) {
    throw QuorixError(message, QuorixError::kOutOfRange, 0.0);
}

}  // namespace

// ---------------------------------------------------------------- exponential

double ExponentialDistribution::Pdf(double x) {
    const double lambda = p[0];
    if (!(lambda > 0.0)) Fail("Exponential-Pdf: illegal parameter lambda");
    if (x < 0.0) return 0.0;
    return lambda * std::exp(-lambda * x);
}

double ExponentialDistribution::Cdf(double x) {
    const double lambda = p[0];
    if (!(lambda > 0.0)) Fail("Exponential-Cdf: illegal parameter lambda");
    if (x < 0.0) return 0.0;
    return -std::expm1(-lambda * x);
}

double ExponentialDistribution::Quantile(double prob) {
    const double lambda = p[0];
    if (!(lambda > 0.0)) Fail("Exponential-Quantile: illegal parameter lambda");
    if (!(0.0 <= prob && prob <= 1.0)) Fail("Exponential-Quantile: parameter out of bounds");
    if (prob == 1.0) return kInfinity;
    return -std::log1p(-prob) / lambda;
}

// -------------------------------------------------------------------- uniform

double UniformDistribution::Pdf(double x) {
    const double a = p[0], b = p[1];
    if (!(a < b)) Fail("Uniform-Pdf: illegal bounds");
    if (x < a || x > b) return 0.0;
    return 1.0 / (b - a);
}

double UniformDistribution::Cdf(double x) {
    const double a = p[0], b = p[1];
    if (!(a < b)) Fail("Uniform-Cdf: illegal bounds");
    if (x < a) return 0.0;
    if (x > b) return 1.0;
    return (x - a) / (b - a);
}

double UniformDistribution::Quantile(double prob) {
    const double a = p[0], b = p[1];
    if (!(a < b)) Fail("Uniform-Quantile: illegal bounds");
    if (!(0.0 <= prob && prob <= 1.0)) Fail("Uniform-Quantile: input parameter out of range");
    return (b - a) * prob + a;
}

double UniformDistribution::GetVariance() {
    return Square(p[1] - p[0]) / 12.0;
}

// ----------------------------------------------------------------- log-normal

double LogNormalDistribution::Pdf(double x) {
    if (x <= 0.0) return 0.0;
    const double mu = p[0], sigma = p[1];
    if (!(sigma > 0.0) || std::isnan(mu))
        throw QuorixError("LogNormalDist-Pdf: input parameter out of range",
                          QuorixError::kOutOfRange, -1.0);
    const double z = (std::log(x) - mu) / sigma;
    return std::exp(-0.5 * Square(z)) / (std::sqrt(2.0 * M_PI) * x * sigma);
}

double LogNormalDistribution::Cdf(double x) {
    const double mu = p[0], sigma = p[1];
    if (!(sigma > 0.0) || std::isnan(mu) || std::isnan(x))
        Fail("LogNormalDist-Cdf: input parameter out of range");
    if (x < 1e-30) return 0.0;
    int scaled = 0;
    double z = -(std::log(x) - mu) / sigma / M_SQRT2;
    return 0.5 * erfc1(&scaled, &z);
}

double LogNormalDistribution::Quantile(double prob) {
    const double mu = p[0], sigma = p[1];
    if (!(0.0 <= prob && prob <= 1.0) || !(sigma > 0.0) || std::isnan(mu))
        Fail("NormalDist-Quantile: input parameter out of range");
    // The normal driver accepts only the open interval; the ends of the
    // support are exact.
    if (prob == 0.0) return 0.0;
    if (prob == 1.0) return kInfinity;
    int which = 2, status = 0;
    double q = 1.0 - prob, z = 0.0, mean = 0.0, sd = 1.0, bound = 0.0;
    cdfnor(&which, &prob, &q, &z, &mean, &sd, &status, &bound);
    ThrowDriverStatus("NormalDist-Quantile", status, bound, z,
                      DriverErrorValues{0.0, bound, bound});
    return std::exp(sigma * z + mu);
}

double LogNormalDistribution::GetMean() {
    return std::exp(Square(p[1]) * 0.5 + p[0]);
}

double LogNormalDistribution::GetVariance() {
    const double s2 = Square(p[1]);
    return std::expm1(s2) * std::exp(s2 + 2.0 * p[0]);
}

// -------------------------------------------------------------------- Laplace

double LaplaceDistribution::Pdf(double x) {
    const double mu = p[0], b = p[1];
    if (!(b > 1e-20)) Fail("LaplaceDist-Pdf: input parameter out of range");
    return std::exp(-std::fabs(x - mu) / b) * (1.0 / (2.0 * b));
}

double LaplaceDistribution::Cdf(double x) {
    const double mu = p[0], b = p[1];
    if (!(b > 1e-20)) Fail("LaplaceDist-Cdf: input parameter out of range");
    if (x < mu) return 0.5 * std::exp((x - mu) / b);
    return 1.0 - 0.5 * std::exp(-(x - mu) / b);
}

double LaplaceDistribution::Quantile(double prob) {
    const double mu = p[0], b = p[1];
    if (!(b > 1e-20)) Fail("LaplaceDist-Quantile: input parameter out of range");
    if (prob < 0.5) return mu + b * std::log(prob + prob);
    return mu - b * std::log((1.0 - prob) + (1.0 - prob));
}

double LaplaceDistribution::GetVariance() {
    return 2.0 * Square(p[1]);
}
