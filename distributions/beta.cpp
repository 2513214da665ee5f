#include "distributions/beta.h"

#include <cmath>

#include "numerics/cdf_drivers.h"
#include "numerics/incomplete_beta.h"

double BetaDistribution::Pdf(double x) {
    const double a = p[0];
    const double b = p[1];
    if (!(0.0 < x && x < 1.0 && a > 0.0 && b > 0.0)) return 0.0;
    return std::exp((b - 1.0) * std::log1p(-x) + (a - 1.0) * std::log(x) - LogBeta(a, b));
}

double BetaDistribution::Cdf(double x) {
    int which = 1;
    double prob = 0.0, q = 0.0, y = 1.0 - x, a = p[0], b = p[1], bound = 0.0;
    int status = 0;
    cdfbet(&which, &prob, &q, &x, &y, &a, &b, &status, &bound);
    ThrowDriverStatus("BetaDist-Cdf", status, bound, prob);
    return prob;
}

double BetaDistribution::Quantile(double prob) {
    int which = 2;
    double q = 1.0 - prob, x = 0.0, y = 1.0, a = p[0], b = p[1], bound = 0.0;
    int status = 0;
    cdfbet(&which, &prob, &q, &x, &y, &a, &b, &status, &bound);
    ThrowDriverStatus("BetaDist-Quantile", status, bound, x);
    return x;
}
