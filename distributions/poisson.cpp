#include "distributions/poisson.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "numerics/cumulative.h"
#include "numerics/saddle_point.h"

namespace {

// Beyond this mean the quantile searches on the distribution function
// instead of summing every probability from 0, which for a mean of 1e9
// would take 1e9 terms.
constexpr double kLargeMean = 1e4;

// P(X <= k) is a central chi-square tail with 2(k + 1) degrees of freedom,
// whose routine loses digits beyond some 1e16 of them (1e-6 of a tail at a
// mean of 1e20, probabilities above 1 from 1e30): larger means are refused.
constexpr double kLargestMean = 1e15;

[[noreturn]] void OutOfRange(const char* where) {
    throw QuorixError(std::string(where) + ": input parameter out of range",
                      QuorixError::kOutOfRange, 0.0);
}

}  // namespace

double PoissonDistribution::Pdf(double x) {
    const double lambda = p[0];
    if (x < 0.0) return 0.0;
    if (!(lambda >= 0.0)) OutOfRange("Poisson-Cdf");
    return PoissonDensity(x, lambda, 0);
}

double PoissonDistribution::Cdf(double x) {
    const double lambda = p[0];
    if (x < 0.0) return 0.0;
    if (lambda == 0.0) return 1.0;
    if (!(lambda > 0.0 && lambda <= kLargestMean) || std::isnan(x)) OutOfRange("Poisson-Cdf");
    if (x == INFINITY) return 1.0;
    // P(X <= k) = P(chi-square with 2(k + 1) df > 2 lambda), taken as the
    // upper tail itself so that small probabilities keep their digits.
    double df = 2.0 * (std::floor(x + 1e-7) + 1.0);
    double z = 2.0 * lambda;
    double cum = 0.0, ccum = 0.0;
    cumchi(&z, &df, &cum, &ccum);
    return ccum;
}

double PoissonDistribution::QuantileBySearch(double prob) {
    // The smallest whole k with Cdf(k) >= prob, by bisection on whole
    // counts between a bracket that grows from the mean.
    const double lambda = p[0];
    const double spread = std::sqrt(lambda);
    // Should the counts outgrow the doubles (beyond 2^53 not every count is
    // one, beyond some 1e33 ten standard deviations do not move lambda), a
    // step that no longer moves an end, or a midpoint that equals one, ends
    // the search at the smallest double count reaching prob.
    double lo = std::max(0.0, std::floor(lambda - 10.0 * spread));
    while (lo > 0.0 && Cdf(lo) >= prob) {
        const double lower = std::max(0.0, std::floor(lo - 10.0 * spread));
        if (lower == lo) break;
        lo = lower;
    }
    if (Cdf(lo) >= prob) return lo;
    double hi = std::ceil(lambda + 10.0 * spread);
    for (int grow = 0; Cdf(hi) < prob; ++grow) {
        // Past 1e3 widenings Cdf cannot reach prob by rounding: the count
        // reached is the answer, as in the summation.
        if (grow > 1000) return hi;
        hi += 10.0 * spread;
    }
    // Cdf(lo) < prob <= Cdf(hi).
    while (hi - lo > 1.0) {
        const double mid = std::floor(lo / 2.0 + hi / 2.0);
        if (!(lo < mid && mid < hi)) break;
        if (Cdf(mid) >= prob) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

double PoissonDistribution::Quantile(double prob) {
    const double lambda = p[0];
    int status = 0;
    if (!(lambda >= 0.0 && lambda <= kLargestMean)) status = -1;
    if (!(0.0 <= prob && prob <= 1.0)) status -= 1;
    if (status < 0) OutOfRange("Poisson-Quantile");
    if (prob == 0.0) return 0.0;
    if (prob == 1.0) return DBL_MAX;
    if (lambda > kLargeMean) return QuantileBySearch(prob);
    double sum = 0.0;
    double k = 0.0;
    for (;;) {
        const double term = Pdf(k);
        sum += term;
        if (!(sum < prob)) return k;
        // Past the mode, a term that no longer changes the sum means rounding
        // keeps the sum below prob for good: the count reached is the answer.
        if (k > lambda && sum + term == sum) return k;
        k += 1.0;
    }
}
