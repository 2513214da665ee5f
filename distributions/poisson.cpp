#include "distributions/poisson.h"

#include <cfloat>
#include <cmath>

#include "numerics/cumulative.h"
#include "numerics/saddle_point.h"

namespace {

[[noreturn]] void OutOfRange(const char* where) {
    throw QuorixError(std::string(where) + ": input parameter out of range", QuorixError::kOutOfRange, 0.0);
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
    if (!(lambda > 0.0) || std::isnan(x)) OutOfRange("Poisson-Cdf");
    if (x == INFINITY) return 1.0;
    // P(X <= k) = P(chi-square with 2(k + 1) df > 2 lambda), taken as the
    // upper tail itself so that small probabilities keep their digits.
    double df = 2.0 * (std::floor(x + 1e-7) + 1.0);
    double z = 2.0 * lambda;
    double cum = 0.0, ccum = 0.0;
    cumchi(&z, &df, &cum, &ccum);
    return ccum;
}

double PoissonDistribution::Quantile(double prob) {
    const double lambda = p[0];
    int status = 0;
    if (!(lambda >= 0.0)) status = -1;
    if (!(0.0 <= prob && prob <= 1.0)) status -= 1;
    if (status < 0) OutOfRange("Poisson-Quantile");
    if (prob == 0.0) return 0.0;
    if (prob == 1.0) return DBL_MAX;
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
