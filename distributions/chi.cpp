#include "distributions/chi.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "distributions/poisson_mixture.h"
#include "numerics/cdf_drivers.h"
#include "numerics/cumulative.h"
#include "numerics/saddle_point.h"
#include "numerics/special_functions.h"

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The central distribution functions beneath the noncentral sums lose
// digits beyond some 1e16 degrees of freedom (1e-8 of a tail probability at
// 1e18, most of it at 1e20, and no answer at all from about 1e30): larger
// df, like an infinite one, are refused.
constexpr double kLargestDegreesOfFreedom = 1e15;

// The Poisson-weighted sums need some 20 sqrt(lambda/2) terms and the
// quantile iteration evaluates them many times: beyond this noncentrality
// (the limit of the noncentral F driver too) an answer would take seconds
// and more, so larger values, like NaN and infinity, are refused.
constexpr double kLargestNoncentrality = 1e10;

// The chi-square texts carry 0.0 for an input out of range.
void ThrowChiStatus(const char* where, int status, double bound, double answer) {
    ThrowDriverStatus(where, status, bound, answer, DriverErrorValues{0.0, bound, bound});
}

double CentralLowerTail(double z, double df) {
    double cum = 0.0, ccum = 0.0;
    cumchi(&z, &df, &cum, &ccum);
    return cum;
}

// The central quantile as the root in ln z of the tail that holds prob
// (the lower one to 1/2, the upper one beyond), by bisection. With df far
// below 1 the lower tail climbs from 0 like z^(df/2): the 0.95 quantile of
// df 3e-4 lies at 3.5e-149, of df 1e-4 at 3e-446, beyond any double, where
// the driver's search stalls some fifty decades short of the answer and
// reports success. In logarithms the steps reach the answer, or the
// smallest normal double, below which the answer is a failure.
double CentralQuantileInLogs(double prob, double df, int* status, double* bound) {
    const double q = 1.0 - prob;
    auto excess = [&](double t) {
        double z = std::exp(t), d = df, cum = 0.0, ccum = 0.0;
        cumchi(&z, &d, &cum, &ccum);
        return prob <= 0.5 ? cum - prob : q - ccum;
    };
    double lo = std::log(std::numeric_limits<double>::min());
    double hi = std::log(1e100);
    *status = 0;
    if (excess(lo) > 0.0) {
        *status = 1;
        *bound = std::numeric_limits<double>::min();
        return *bound;
    }
    if (excess(hi) < 0.0) {
        *status = 2;
        *bound = 1e100;
        return *bound;
    }
    // 60 halvings narrow the 940 of the logarithm to 1e-15.
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        if (excess(mid) < 0.0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return std::exp(0.5 * (lo + hi));
}

// Whether z holds prob in the tail where prob is given (lower to 1/2).
bool HoldsProbability(double z, double df, double prob) {
    double x = z, d = df, cum = 0.0, ccum = 0.0;
    cumchi(&x, &d, &cum, &ccum);
    return prob <= 0.5 ? std::fabs(cum - prob) <= 1e-6 * prob
                       : std::fabs(ccum - (1.0 - prob)) <= 1e-6 * (1.0 - prob);
}

}  // namespace

double NoncentralChiSquareCdf(double z, double df, double lambda, int* status) {
    *status = -1;
    if (std::isnan(z)) return z;
    if (z == kInfinity) return 1.0;
    if (!(lambda >= 0.0 && lambda <= kLargestNoncentrality && df >= 0.0 &&
          df <= kLargestDegreesOfFreedom))
        return kNaN;
    *status = 0;
    if (df == 0.0 && z == 0.0 && lambda > 0.0) return std::exp(-lambda / 2.0);  // point mass at 0
    if (z <= 0.0) return 0.0;

    // Sum over i of Poisson(i; lambda/2) P(chi-square(df + 2i) <= z), from the
    // Poisson mode outwards. Neighbouring central terms differ by
    // t_i = g^(a+i) e^-g / Gamma(a+i+1), which is carried by recurrence.
    const double h = lambda / 2.0;
    const double a = df / 2.0;
    const double g = z / 2.0;
    double k = std::floor(h);
    double wMode = 0.0, fMode = 0.0, tMode = 0.0;
    auto startAt = [&](double index) {
        k = index;
        wMode = PoissonDensity(k, h, 0);
        fMode = df + 2.0 * k > 0.0 ? CentralLowerTail(z, df + 2.0 * k) : 1.0;
        // t = g^(a+k-1) e^-g / Gamma(a + k), by the saddle-point Poisson form
        // where its argument is not negative (precise for large a + k). With
        // df = 0 the k = 0 term is the point mass (F = 1) and t starts at the
        // step from 0 to 2 degrees of freedom, e^-g.
        tMode = 0.0;
        if (a + k >= 1.0) {
            tMode = dpois_raw(a + k - 1.0, g, 0);
        } else if (a + k > 0.0) {
            tMode = std::exp((a + k - 1.0) * std::log(g) - g - LogGamma(a + k));
        }
    };
    startAt(k);
    if (std::min({wMode, fMode, tMode}) < 1e-290) {
        // Far below the mean the central term at the Poisson mode underflows
        // although lower terms do not (df = 0.05 keeps P(chi-square <= z) near
        // z^0.025): the recurrences cannot climb back from 0 or from the few
        // digits of a subnormal number. The
        // terms then peak near i(a + i) = h g, where the ratio of neighbouring
        // terms, about h g / (i (a + i)), passes 1; start there instead.
        const double peak = std::floor((-a + std::sqrt(a * a + 4.0 * h * g)) / 2.0);
        if (peak < k) startAt(peak);
    }

    double sum = 0.0;
    double i = k;
    double w = wMode;
    double f = fMode;
    double t = tMode;
    for (;;) {
        const double term = f * w;
        if (std::isnan(term)) break;
        sum += term;
        if (term <= sum * kEpsilon) break;
        i += 1.0;
        w *= h / i;
        t = a + i - 1.0 > 0.0 ? t * g / (a + i - 1.0) : std::exp(-g);
        const double previous = f;
        f -= t;
        // Where the next central term is far smaller than this one the
        // difference keeps only the rounding of the larger; that noise,
        // times Poisson weights that still grow towards the mode, would
        // swamp a small lower tail. Such a term is taken afresh.
        if (f < 0.5 * previous) f = CentralLowerTail(z, df + 2.0 * i);
    }

    if (k > 0.0) {
        i = k - 1.0;
        f = fMode + tMode;
        w = wMode * k / h;
        t = tMode;
        for (;;) {
            const double term = f * w;
            if (std::isnan(term)) break;
            sum += term;
            if (term <= sum * kEpsilon || i == 0.0) break;
            w *= i / h;
            i -= 1.0;
            t *= (i + a + 1.0) / g;
            f += t;
        }
    }
    // The rounding of the additions can carry a sum near 1 past it.
    return std::min(sum, 1.0);
}

double NoncentralChiSquarePdf(double z, double df, double lambda, bool* notConverged) {
    if (!(lambda <= kLargestNoncentrality)) {
        *notConverged = true;
        return kNaN;
    }
    const double h = lambda / 2.0;
    const double a = df / 2.0;
    const double g = z / 2.0;
    const bool byRatio = lambda > 1e5 && z > 0.0 && std::isfinite(z);
    return SumPoissonMixture(
        h, byRatio, true, [&](double j) { return GammaDensity(z, j + a, 2.0, 0); },
        [&](double j) { return g / (j + a); }, [&](double j) { return (j - 1.0 + a) / g; },
        notConverged);
}

double NoncentralChiSquareQuantile(double prob, double df, double lambda, int* status) {
    if (!(0.0 <= prob && prob <= 1.0 && df > 0.0 && df <= kLargestDegreesOfFreedom &&
          lambda >= 0.0 && lambda <= kLargestNoncentrality)) {
        *status = -1;
        return kNaN;
    }
    *status = 0;
    if (prob == 0.0) return 0.0;
    if (prob == 1.0) return kInfinity;

    // Start from the log-normal distribution with the same mean and variance.
    // Mean m and variance v = 2 (df + 2 lambda).
    const double m = df + lambda;
    // ln(m^2 + v) - 2 ln m taken as log1p(v / m^2): the difference of the
    // logarithms cancels to 0 once v / m^2 nears the rounding (df near
    // 1e15), and a start at the mean leaves Newton steps that gain a factor
    // e a step far into a tail.
    const double logRatio = std::log1p(2.0 * ((df + 2.0 * lambda) / m) / m);
    const double mu = std::log(m) - logRatio / 2.0;
    const double sigma = std::sqrt(logRatio);
    int which = 2, normalStatus = 0;
    double p = prob, q = 1.0 - prob, z = 0.0, mean = 0.0, sd = 1.0, bound = 0.0;
    cdfnor(&which, &p, &q, &z, &mean, &sd, &normalStatus, &bound);
    if (normalStatus != 0) z = 0.0;
    double x0 = std::exp(mu + sigma * z);
    // Every point evaluated narrows the bracket [below, above] of the answer.
    double below = 0.0, above = kInfinity;
    auto cdf = [&](double x) {
        int st = 0;
        const double f = NoncentralChiSquareCdf(x, df, lambda, &st);
        if (f < prob) below = std::max(below, x);
        if (f > prob) above = std::min(above, x);
        return f;
    };
    double f0 = cdf(x0);

    for (int steps = 0; steps < 1000; ++steps) {
        const double d = f0 - prob;
        bool ignored = false;
        const double density = NoncentralChiSquarePdf(x0, df, lambda, &ignored);
        double x1 = x0 - d / density;
        if (!std::isfinite(x1)) x1 = d > 0.0 ? x0 / 5.0 : 5.0 * x0;
        x1 = std::min(x1, 5.0 * x0);
        x1 = std::max(x1, x0 / 5.0);
        double f1 = cdf(x1);
        // Halve the step while it does not reduce the error.
        // (At most 200 halvings: among subnormal numbers the midpoint can
        // stop moving before the relative test is met.)
        for (int halvings = 0; halvings < 200 && std::fabs(f1 - prob) >= std::fabs(d) &&
                               std::fabs(x1 - x0) > 1e-10 * x1;
             ++halvings) {
            x1 = (x0 + x1) / 2.0;
            f1 = cdf(x1);
        }
        // A point far out in the upper tail, where the distribution function
        // has rounded to 1 or to within an ulp of it (prob 1 - 1e-10 from the
        // log-normal start), gives no usable step, and the halvings lead back
        // to it: bisect the bracket of the points seen instead.
        if (std::fabs(f1 - prob) >= std::fabs(d) && f0 >= 1.0 - kEpsilon &&
            above - below > 1e-10 * above) {
            x1 = (below + above) / 2.0;
            f1 = cdf(x1);
            x0 = x1;
            f0 = f1;
            continue;
        }
        // No step reduces the error: x0 is as close as the rounding of the
        // distribution function lets any point come. Far in the upper tail,
        // where the density is tiny, that is short of the 1e-10 step, and
        // the steps would otherwise shuttle between equally good points.
        // Unless x0 is far off: where the density underflows and the
        // distribution function with it (prob 1e-300 at a large lambda), the
        // steps stall on a point whose probability is not prob at all.
        if (std::fabs(f1 - prob) >= std::fabs(d)) {
            // (The distribution function holds relative digits in the lower
            // tail, absolute ones near 1.)
            if (x0 > 1e-290 && std::fabs(d) > (prob < 0.5 ? 1e-3 * prob : 1e-14)) *status = 1;
            return x0;
        }
        // Converged on a relative step only: an absolute 1e-10 would stop
        // early where the answer itself is tiny (df 0.01 puts the 1e-12
        // quantile below 1e-300), reporting a point whose probability is
        // far from prob. An answer that underflows ends at 0.
        if (std::fabs(x1 - x0) <= 1e-10 * std::fabs(x1) || x1 == 0.0) return x1;
        x0 = x1;
        f0 = f1;
    }
    *status = 1;
    return x0;
}

double ChiDistribution::Cdf(double x) {
    const double lambda = p[0];
    double df = p[1];
    double z = x * scale_;
    if (lambda < 1e-100) {
        int which = 1, status = 0;
        double prob = 0.0, q = 0.0, bound = 0.0;
        cdfchi(&which, &prob, &q, &z, &df, &status, &bound);
        ThrowChiStatus("ChiDist-Cdf", status, bound, prob);
        return prob;
    }
    int status = 0;
    const double prob = NoncentralChiSquareCdf(z, df, lambda, &status);
    ThrowChiStatus("ChiDist-Cdf", status, 0.0, prob);
    return prob;
}

double ChiDistribution::Pdf(double x) {
    const double lambda = p[0];
    const double df = p[1];
    const double z = x * scale_;
    if (lambda < 1e-100) return scale_ * GammaDensity(z, df / 2.0, 2.0, 0);
    if (!(lambda <= kLargestNoncentrality)) ThrowChiStatus("ChiDist-Pdf", -1, 0.0, 0.0);
    bool notConverged = false;
    return scale_ * NoncentralChiSquarePdf(z, df, lambda, &notConverged);
}

double ChiDistribution::Survival(double x) {
    if (!(p[0] < 1e-100)) return 1.0 - Cdf(x);
    int which = 1, status = 0;
    double prob = 0.0, q = 0.0, z = x * scale_, df = p[1], bound = 0.0;
    cdfchi(&which, &prob, &q, &z, &df, &status, &bound);
    ThrowChiStatus("ChiDist-Cdf", status, bound, prob);
    return q;
}

double ChiDistribution::UpperQuantile(double q) {
    if (!(std::fabs(p[0]) < 1e-100) || !(q < 0.5)) return Quantile(1.0 - q);
    int which = 2, status = 0;
    double prob = 1.0 - q, x = 0.0, df = p[1], bound = 0.0;
    cdfchi(&which, &prob, &q, &x, &df, &status, &bound);
    ThrowChiStatus("ChiDist-Quantile", status, bound, x);
    return x / scale_;
}

double ChiDistribution::Quantile(double prob) {
    const double lambda = p[0];
    double df = p[1];
    // A NaN noncentrality takes the noncentral path, which refuses it.
    if (!(std::fabs(lambda) < 1e-100)) {
        int status = 0;
        const double x = NoncentralChiSquareQuantile(prob, df, lambda, &status);
        ThrowChiStatus("ChiDist-Quantile", status, 0.0, x);
        return x / scale_;
    }
    int which = 2, status = 0;
    double q = 1.0 - prob, x = 0.0, bound = 0.0;
    cdfchi(&which, &prob, &q, &x, &df, &status, &bound);
    // An answer whose probability is not prob (a stalled search) is taken
    // again in logarithms.
    if (status == 0 && 0.0 < prob && prob < 1.0 && !HoldsProbability(x, df, prob)) {
        x = CentralQuantileInLogs(prob, df, &status, &bound);
    }
    ThrowChiStatus("ChiDist-Quantile", status, bound, x);
    return x / scale_;
}
