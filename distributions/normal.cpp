#include "distributions/normal.h"

#include <cmath>

#include "numerics/cdf_drivers.h"

double NormalDistribution::Pdf(double x) {
    const double mean = p[0];
    const double sigma = p[1];
    if (sigma == 0.0) return x == mean ? 1.0 : 0.0;
    const double z = (x - mean) / sigma;
    return std::exp(-0.5 * z * z) / (std::sqrt(8.0 * std::atan(1.0)) * sigma);
}

double NormalDistribution::Cdf(double x) {
    // Beyond 40 standard deviations Phi is 0 or 1 in doubles (Phi(-40) is
    // about 4e-350); the driver's own search fails that far out.
    const double z = (x - p[0]) / p[1];
    if (p[1] > 0.0 && std::isfinite(p[1]) && std::isfinite(z) && std::fabs(z) > 40.0) {
        return z > 0.0 ? 1.0 : 0.0;
    }
    int which = 1;
    double prob = 0.0, q = 0.0, mean = p[0], sd = p[1], bound = 0.0;
    int status = 0;
    cdfnor(&which, &prob, &q, &x, &mean, &sd, &status, &bound);
    ThrowDriverStatus("NormalDist-Cdf", status, bound, prob);
    return prob;
}

double NormalDistribution::Quantile(double prob) {
    int which = 2;
    double q = 1.0 - prob, x = 0.0, mean = p[0], sd = p[1], bound = 0.0;
    int status = 0;
    cdfnor(&which, &prob, &q, &x, &mean, &sd, &status, &bound);
    ThrowDriverStatus("NormalDist-Quantile", status, bound, x);
    return x;
}
