#include "distributions/binomial.h"

#include <cmath>

#include "numerics/cdf_drivers.h"
#include "numerics/saddle_point.h"

double BinomialDistribution::Pdf(double x) {
    try {
        return dbinom(std::floor(x + 0.5), p[0], p[1], 0);
    } catch (...) {
        return 0.0;
    }
}

double BinomialDistribution::Cdf(double x) {
    const double n = p[0];
    if (std::isnan(x)) ThrowDriverStatus("BinomialDist-Quantile", -4, 0.0, x);
    if (x < 0.0) return 0.0;
    if (x >= n) return 1.0;
    int which = 1;
    double prob = 0.0, q = 0.0, s = x, xn = n, pr = p[1], ompr = 1.0 - p[1], bound = 0.0;
    int status = 0;
    cdfbin(&which, &prob, &q, &s, &xn, &pr, &ompr, &status, &bound);
    // The same prefix as Quantile: callers only ever see one binomial text.
    ThrowDriverStatus("BinomialDist-Quantile", status, bound, prob);
    return prob;
}

double BinomialDistribution::Quantile(double prob) {
    const double n = p[0];
    int which = 2;
    double q = 1.0 - prob, s = 0.0, xn = n, pr = p[1], ompr = 1.0 - p[1], bound = 0.0;
    int status = 0;
    cdfbin(&which, &prob, &q, &s, &xn, &pr, &ompr, &status, &bound);
    if (status == 1) return 0.0;
    if (status == 2) return n;
    ThrowDriverStatus("BinomialDist-Quantile", status, bound, s);
    return s;
}
