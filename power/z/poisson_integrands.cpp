#include "power/z/poisson_integrands.h"

#include <cmath>

#include "distributions/closed_form.h"
#include "distributions/normal.h"
#include "distributions/poisson.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "power/z/covariate_integrands.h"

namespace {

constexpr double kQuadratureTolerance = 1e-10;
constexpr double kTailProbability = 1e-12;
constexpr double kMostCounts = 2e6;
// Far below the digits shown, and above the rounding of the sums.
constexpr double kTripleTolerance = 1e-13;

}  // namespace

varBp::varBp(double b0, double b1, std::unique_ptr<Distribution> x)
    : beta0(b0), beta1(b1), covariate(std::move(x)) {
    lower = covariate->Quantile(kTailProbability);
    upper = covariate->Quantile(1.0 - kTailProbability);
}

double varBp::Evaluate(double x) {
    if (mode < 0 || mode > 6) return 0.0;
    const double f = covariate->Pdf(x);
    // Where the density vanishes the rate may have overflowed: 0, not NaN.
    if (f == 0.0) return 0.0;
    const double rate = std::exp(mode >= 3 && mode <= 5 ? eta0 : beta0 + beta1 * x);
    double value = f * rate;
    if (mode == 1 || mode == 4) value *= x - center;
    if (mode == 2 || mode == 5) value *= (x - center) * (x - center);
    // A moment that overflows somewhere in the range cannot be integrated
    // (the quadrature would skip the point and return a wrong finite sum).
    if (!std::isfinite(value)) throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
    return value;
}

double varBp::SumOverSupport(int integrand) {
    mode = integrand;
    // A sum of more counts than this would take the calculation minutes
    // (a Poisson covariate with lambda near 1e10 or beyond); it is refused.
    if (upper - std::trunc(lower) > kMostCounts) {
        throw QuorixError("Math overflow", QuorixError::kMathOverflow, upper);
    }
    double sum = 0.0;
    long count = 0;
    for (double k = std::trunc(lower); k <= upper; k += 1.0) {
        if (cancel && (++count & 4095) == 0 && cancel->load(std::memory_order_relaxed)) {
            throw CancelledError();
        }
        sum += Evaluate(k);
    }
    return sum;
}

double varBp::Integrate(int integrand) {
    mode = integrand;
    failureCount = 0;
    return IntegrateCquad(this, lower, upper, kQuadratureTolerance);
}

void varBp::SetH0Predictor(int rule) {
    if (rule == 0) {
        eta0 = std::log(Integrate(6));
    } else if (rule == 1) {
        eta0 = beta0 + beta1 * covariate->GetMean();
    } else {
        eta0 = beta0;
    }
}

void varBp::SetH0PredictorDiscrete(int rule) {
    if (rule == 0) {
        eta0 = std::log(SumOverSupport(6));
    } else {
        SetH0Predictor(rule);
    }
}

double varBp::SlopeVariance(double (varBp::*moment)(int), int first, double* zeroth) {
    // I0 I2 - I1^2 is invariant under a shift of x; about the mean of X it
    // does not cancel the digits of a covariate far from 0.
    const double mean = covariate->GetMean();
    center = std::isfinite(mean) ? mean : 0.0;
    const double i0 = (this->*moment)(first);
    if (zeroth) *zeroth = i0;
    const double i1 = (this->*moment)(first + 1);
    const double i2 = (this->*moment)(first + 2);
    center = 0.0;
    return i0 / (i0 * i2 - i1 * i1);
}

void varBp::Variances(double (varBp::*moment)(int), void (varBp::*predictor)(int), double* var0,
                      double* var1, int rule, bool correction) {
    double meanRate = 0.0;
    *var1 = SlopeVariance(moment, 0, &meanRate);
    if (correction) {
        // The log of the mean rate E[e^eta]: the integrand of mode 6 is that
        // of mode 0, whose integral (or sum) I0 is already known.
        if (rule == 0) {
            eta0 = std::log(meanRate);
        } else {
            (this->*predictor)(rule);
        }
        *var0 = SlopeVariance(moment, 3);
    } else {
        *var0 = *var1;
    }
}

void varBp::ComputeVariances(double* var0, double* var1, int rule, bool correction) {
    Variances(&varBp::Integrate, &varBp::SetH0Predictor, var0, var1, rule, correction);
}

void varBp::ComputeVariancesDiscrete(double* var0, double* var1, int rule, bool correction) {
    Variances(&varBp::SumOverSupport, &varBp::SetH0PredictorDiscrete, var0, var1, rule, correction);
}

// -------------------------------------------------------------- covariates

varBpnormal::varBpnormal(double b0, double b1, double mu, double sigma)
    : varBp(b0, b1, std::make_unique<NormalDistribution>(mu, sigma)) {}

double varBpnormal::GetMean() {
    return covariate->GetParam(0);
}

double varBpnormal::GetSecondMoment() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return mu * mu + sigma * sigma;
}

varBplognormal::varBplognormal(double b0, double b1, double mu, double sigma)
    : varBp(b0, b1, std::make_unique<LogNormalDistribution>(mu, sigma)) {
    lower = covariate->Quantile(1e-10);
}

double varBplognormal::GetMean() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return std::exp(mu + sigma * sigma / 2.0);
}

double varBplognormal::GetSecondMoment() {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    return std::exp(2.0 * (mu + sigma * sigma));
}

namespace {

// J0 / (J0 J2 - J1^2) as 1 / (J2 - J1 (J1 / J0)): the same number, without
// the products that overflow where the rate is large over the range.
double SlopeVarianceOf(const double* j) {
    return 1.0 / (j[2] - j[1] * (j[1] / j[0]));
}

}  // namespace

void varBplognormal::ComputeVariances(double* var0, double* var1, int rule, bool correction) {
    const double mu = covariate->GetParam(0), sigma = covariate->GetParam(1);
    const double za = (std::log(lower) - mu) / sigma;
    const double zb = (std::log(upper) - mu) / sigma;
    const double mean = GetMean();
    // A range the logarithm cannot map (a covariate whose quantiles are 0
    // or infinite) is left to the integrals over x, which refuse it.
    if (!(std::isfinite(za) && std::isfinite(zb) && za < zb && std::isfinite(mean))) {
        varBp::ComputeVariances(var0, var1, rule, correction);
        return;
    }
    // The integrands over x must be numbers where the quadrature over x
    // would have met them first, at the ends of the range: a rate or a
    // moment that overflows there cannot be integrated.
    for (const double x : {lower, upper}) {
        mode = 2;
        center = mean;
        Evaluate(x);
    }
    center = 0.0;
    const double scale = 1.0 / std::sqrt(2.0 * M_PI);
    const double shift = sigma * sigma / 2.0;
    // The moments about `origin` (H1, then H0 about the mean), with the
    // distance to it taken without the cancellation of the two near it.
    auto moments = [&](double origin, int count, double* m) {
        const double offset = std::log(origin / mean);
        auto values = [&](double z, double* v) {
            const double density = scale * std::exp(-0.5 * z * z);
            const double x = std::exp(mu + sigma * z);
            const double d = origin * std::expm1(sigma * z - shift - offset);
            const double rate = std::exp(beta0 + beta1 * x);
            if (!std::isfinite(rate)) {
                throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
            }
            v[0] = density * rate;
            v[1] = v[0] * d;
            v[2] = v[1] * d;
            if (count == 3) return;
            const double e = mean * std::expm1(sigma * z - shift);
            v[3] = density;
            v[4] = density * e;
            v[5] = v[4] * e;
        };
        IntegrateTriples(values, count, za, zb, kTripleTolerance, m);
    };
    double m[6];
    moments(mean, correction ? 6 : 3, m);
    // Where the rate moves the weight far from the covariate's mean, the
    // moments about the mean cancel in the slope's variance: about the
    // weighted mean they do not.
    const double lean = m[1] / m[0];
    const double weighted = mean + lean;
    if (lean * lean > 0.5 * (m[2] / m[0]) && weighted > 0.0 && std::isfinite(weighted)) {
        moments(weighted, 3, m);
    }
    *var1 = SlopeVarianceOf(m);
    if (!correction) {
        *var0 = *var1;
        return;
    }
    if (rule == 0) {
        eta0 = std::log(m[0]);
    } else {
        SetH0Predictor(rule);
    }
    const double w0 = std::exp(eta0);
    const double h0[3] = {w0 * m[3], w0 * m[4], w0 * m[5]};
    *var0 = SlopeVarianceOf(h0);
}

varBpexp::varBpexp(double b0, double b1, double lambda)
    : varBp(b0, b1, std::make_unique<ExponentialDistribution>(lambda)) {}

double varBpexp::GetMean() {
    return 1.0 / covariate->GetParam(0);
}

double varBpexp::GetSecondMoment() {
    const double lambda = covariate->GetParam(0);
    return 2.0 / (lambda * lambda);
}

varBpuni::varBpuni(double b0, double b1, double left, double right)
    : varBp(b0, b1, std::make_unique<UniformDistribution>(left, right)) {}

double varBpuni::GetMean() {
    return (covariate->GetParam(0) + covariate->GetParam(1)) / 2.0;
}

double varBpuni::GetSecondMoment() {
    const double a = covariate->GetParam(0), b = covariate->GetParam(1);
    return (a * b + a * a + b * b) / 3.0;
}

varBppoiss::varBppoiss(double b0, double b1, double lambda)
    : varBp(b0, b1, std::make_unique<PoissonDistribution>(lambda)) {}

double varBppoiss::GetMean() {
    return covariate->GetParam(0);
}

double varBppoiss::GetMode() {
    return std::floor(covariate->GetParam(0));
}
