#include "distributions/f.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "distributions/poisson_mixture.h"
#include "numerics/cdf_drivers.h"
#include "numerics/incomplete_beta.h"
#include "numerics/saddle_point.h"

namespace {

// Below this a value has no longer the full precision that the recurrences
// multiply up (2^-1022 / 2^-52, the subnormal range and a margin).
constexpr double kTiny = 1e-290;

// The Poisson-weighted sums need some 20 sqrt(lambda/2) terms, and the
// quantile iteration evaluates them many times: beyond the noncentral F
// driver's limit an answer would take seconds and more, so larger values,
// like NaN and infinity, are refused.
constexpr double kLargestNoncentrality = 1e10;

// Argument checks of the noncentral F driver: -4 f < 0, -5 df1 <= 0,
// -6 df2 <= 0, -7 lambda < 0 or above 1e10 (every failing bound is 0).
int NoncentralArgumentStatus(double f, double df1, double df2, double lambda) {
    if (!(f >= 0.0)) return -4;
    if (!(df1 > 0.0)) return -5;
    if (!(df2 > 0.0)) return -6;
    if (!(lambda >= 0.0 && lambda <= kLargestNoncentrality)) return -7;
    return 0;
}

}  // namespace

namespace {

// The mixture of NoncentralFDensity; with byRatio (for the steps of the
// quantile, which need a slope, not digits) the terms of a large lambda come
// by their ratios from exact ones every few indices. Each exact term holds
// exponents near j ln y with j up to lambda/2, whose rounding (some 1e-5 of
// a term at lambda 1e10) the exact sum averages over every term, the ratios
// only over the anchors.
double NoncentralFMixture(double z, double df1, double df2, double lambda, bool byRatio,
                          bool* notConverged) {
    *notConverged = false;
    if (!(lambda <= kLargestNoncentrality)) {
        *notConverged = true;
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (!(z > 0.0)) return 0.0;  // as the central density: 0 at and below 0
    const double a = df1 / 2.0;
    const double b = df2 / 2.0;
    const double y = (a / b) * z;
    const double logY = std::log(y);
    const double log1pY = std::log1p(y);
    // The beta density of index j at y/(1 + y); its neighbours differ by
    // y/(1 + y) (j + a + b)/(j + a) upwards.
    const double shrink = y / (1.0 + y);
    auto exact = [&](double j) {
        return std::exp((j + a - 1.0) * logY - (j + a + b) * log1pY - LogBeta(j + a, b));
    };
    auto up = [&](double j) { return shrink * (j + a + b) / (j + a); };
    auto down = [&](double j) { return (j + a - 1.0) / ((j + a + b - 1.0) * shrink); };
    // The quantile's steps need a slope, not digits: a slope drawn from
    // subnormal anchors is still a safe step, since each step is checked.
    byRatio = byRatio && lambda > 1e5 && std::isfinite(y);
    return SumPoissonMixture(lambda / 2.0, byRatio, false, exact, up, down, notConverged) * a / b;
}

}  // namespace

double NoncentralFDensity(double z, double df1, double df2, double lambda, bool* notConverged) {
    return NoncentralFMixture(z, df1, df2, lambda, false, notConverged);
}

double NoncentralFCdf(double z, double df1, double df2, double lambda) {
    if (!(z > 0.0)) return 0.0;
    if (z == INFINITY) return 1.0;
    const double prod = df1 * z;
    double x = prod / (prod + df2);
    double y = df2 / (prod + df2);
    const double h = lambda / 2.0;
    double b = df2 / 2.0;
    double k = 0.0, aMode = 0.0, iMode = 0.0, eMode = 0.0, wMode = 0.0;
    auto startAt = [&](double index) {
        k = index;
        aMode = df1 / 2.0 + k;
        double complement = 0.0;
        int ierr = 0;
        bratio(&aMode, &b, &x, &y, &iMode, &complement, &ierr);
        // I_x(a + 1, b) = I_x(a, b) - E(a), E(a) = x^a y^b / (a B(a, b)).
        eMode = brcomp(&aMode, &b, &x, &y) / aMode;
        wMode = PoissonDensity(k, h, 0);
    };
    startAt(std::floor(h));
    if (std::min({wMode, iMode, eMode}) < kTiny) {
        // Far below the mean the ratio at the Poisson mode underflows
        // although lower terms do not (a tiny df1 keeps I_x(df1/2, b) near
        // x^(df1/2)), and the recurrences cannot climb back from 0 or from
        // the few digits of a subnormal number.
        // The terms then peak where h x (a + b + i) / (i (a + i)), about the
        // ratio of neighbouring terms, passes 1; start there instead.
        const double a = df1 / 2.0;
        const double c = h * x;
        const double peak =
            std::floor(((c - a) + std::sqrt((a - c) * (a - c) + 4.0 * c * (a + b))) / 2.0);
        if (peak < k) startAt(peak);
    }
    constexpr double kEpsilon = 2.220446049250313e-16;
    constexpr double kNoiseBound = 1e-3;

    double sum = 0.0;
    double w = wMode, ratio = iMode, e = eMode, a = aMode;
    for (double i = k;; i += 1.0) {
        const double term = w * ratio;
        if (std::isnan(term)) break;
        sum += term;
        if (term <= sum * kEpsilon) break;
        const double previous = ratio;
        ratio -= e;
        e *= x * (a + b) / (a + 1.0);
        a += 1.0;
        w *= h / (i + 1.0);
        // Where I_x(a + 1, b) is far smaller than I_x(a, b) the difference
        // keeps only the rounding of the larger, noise that the growing
        // Poisson weights would carry into a small lower tail: take it afresh.
        // The noise stays below some 1e-15 in all, so a sum that has passed
        // kNoiseBound keeps twelve digits without (the power of an F test,
        // 1 less this sum, and most betas: a fresh ratio at every step cost
        // some nine tenths of the sum).
        if (ratio < 0.5 * previous && sum < kNoiseBound) {
            double complement = 0.0;
            int ierr = 0;
            bratio(&a, &b, &x, &y, &ratio, &complement, &ierr);
        }
    }
    w = wMode, ratio = iMode, e = eMode, a = aMode;
    for (double i = k - 1.0; i >= 0.0; i -= 1.0) {
        w *= (i + 1.0) / h;
        e *= a / ((a + b - 1.0) * x);  // E(a - 1)
        a -= 1.0;
        ratio += e;
        const double term = w * ratio;
        if (std::isnan(term)) break;
        sum += term;
        if (term <= sum * kEpsilon) break;
    }
    return std::min(sum, 1.0);
}

double NoncentralFQuantile(double prob, double df1, double df2, double lambda, bool* converged) {
    *converged = true;
    // Start: (df1 + lambda)/df1 times a central F with df1' = (df1 + lambda)^2 /
    // (df1 + 2 lambda), which matches the first two moments of the numerator.
    int which = 2, status = 0;
    double p = prob, q = 1.0 - prob, f = 0.0, bound = 0.0, dfd = df2;
    double dfn = (df1 + lambda) * (df1 + lambda) / (df1 + 2.0 * lambda);
    cdff(&which, &p, &q, &f, &dfn, &dfd, &status, &bound);
    // With a tiny df2 the answer can lie beyond the largest double: the steps
    // would climb a factor 5 at a time to its end and then halve back
    // (thousands of sums at a large lambda), and stop on a point near it
    // as if that were the answer.
    // (The top is kept where df1 z and df1 z + df2 stay finite.)
    const double top = std::numeric_limits<double>::max() / 4.0 / std::max(df1, 1.0);
    if (NoncentralFCdf(top, df1, df2, lambda) < prob) {
        *converged = false;
        return std::numeric_limits<double>::infinity();
    }
    double x0 = status == 0 && f > 0.0 ? f * (df1 + lambda) / df1 : (df1 + lambda) / df1;
    double f0 = NoncentralFCdf(x0, df1, df2, lambda);
    // Steps, their densities and halvings together may take at most this
    // many sums (a few tens suffice where the iteration converges; where the
    // distribution function is flat over most of the doubles, df2 near
    // 1e-300, up to 200000 of them, minutes at a large lambda, were spent).
    int sumsLeft = 100;
    for (int steps = 0; steps < 1000 && sumsLeft > 0; ++steps) {
        const double d = f0 - prob;
        bool ignored = false;
        double x1 = x0 - d / NoncentralFMixture(x0, df1, df2, lambda, true, &ignored);
        --sumsLeft;
        if (!std::isfinite(x1)) x1 = d > 0.0 ? x0 / 5.0 : 5.0 * x0;
        x1 = std::clamp(x1, x0 / 5.0, std::min(5.0 * x0, top));
        double f1 = NoncentralFCdf(x1, df1, df2, lambda);
        --sumsLeft;
        // Halve the step while it does not reduce the error.
        // (At most 200 halvings: among subnormal numbers the midpoint can
        // stop moving before the relative test is met.)
        bool exhausted = false;
        for (int halvings = 0; halvings < 200 && std::fabs(f1 - prob) >= std::fabs(d) &&
                               std::fabs(x1 - x0) > 1e-13 * x0;
             ++halvings) {
            if (sumsLeft <= 0) {
                exhausted = true;
                break;
            }
            x1 = (x0 + x1) / 2.0;
            f1 = NoncentralFCdf(x1, df1, df2, lambda);
            --sumsLeft;
        }
        if (exhausted) break;
        // No step reduces the error: x0 is as close as the rounding of the
        // distribution function lets any point come (far in the upper tail,
        // where the density is tiny, that is short of 1e-12 relative).
        // Unless x0 is far off: far in the lower tail (prob 1e-200) the
        // steps can stall on a point whose probability is orders of
        // magnitude from prob, which is a failure, not an answer. (The
        // distribution function holds relative digits in the lower tail,
        // absolute ones near 1.)
        if (std::fabs(f1 - prob) >= std::fabs(d)) {
            if (x0 > 1e-290 && std::fabs(d) > (prob < 0.5 ? 1e-3 * prob : 1e-14))
                *converged = false;
            return x0;
        }
        if (std::fabs(x1 - x0) <= 1e-12 * x1 || f1 == prob) return x1;
        x0 = x1;
        f0 = f1;
    }
    *converged = false;
    return x0;
}

double FDistribution::Cdf(double x) {
    int which = 1, status = 0;
    double prob = 0.0, q = 0.0, f = x * scale_, df1 = p[1], df2 = p[2], lambda = p[0], bound = 0.0;
    if (std::fabs(lambda) < 1e-40) {
        cdff(&which, &prob, &q, &f, &df1, &df2, &status, &bound);
        ThrowDriverStatus("FDist-Cdf", status, bound, prob);
        return prob;
    }
    // The noncentral driver's checks, in its order; its series itself stops
    // once the sum falls below 1e-20, which loses lower tails under about
    // 1e-12 when lambda is large, so the sum is taken here instead.
    status = NoncentralArgumentStatus(f, df1, df2, lambda);
    ThrowDriverStatus("FDist-Cdf", status, 0.0, 0.0);
    return NoncentralFCdf(f, df1, df2, lambda);
}

double FDistribution::Quantile(double prob) {
    int which = 2, status = 0;
    double q = 1.0 - prob, f = 0.0, df1 = p[1], df2 = p[2], lambda = p[0], bound = 0.0;
    if (std::fabs(lambda) < 1e-100) {
        cdff(&which, &prob, &q, &f, &df1, &df2, &status, &bound);
        ThrowDriverStatus("FDist-Quantile", status, bound, f);
        return f / scale_;
    }
    // The noncentral driver's range for p: [0, the largest double below 1].
    constexpr double kBelowOne = 0.99999999999999989;
    if (prob < 0.0 || std::isnan(prob)) {
        ThrowDriverStatus("FDist-Quantile", -2, 0.0, 0.0);
    } else if (prob > kBelowOne) {
        ThrowDriverStatus("FDist-Quantile", -2, kBelowOne, 0.0);
    }
    status = NoncentralArgumentStatus(1.0, df1, df2, lambda);
    ThrowDriverStatus("FDist-Quantile", status, 0.0, 0.0);
    if (prob == 0.0) return 0.0;
    bool converged = true;
    f = NoncentralFQuantile(prob, df1, df2, lambda, &converged);
    if (!converged) ThrowDriverStatus("FDist-Quantile", f == INFINITY ? 2 : 1, 0.0, f);
    return f / scale_;
}

double FDistribution::Survival(double x) {
    if (!(std::fabs(p[0]) < 1e-40)) return 1.0 - Cdf(x);
    int which = 1, status = 0;
    double prob = 0.0, q = 0.0, f = x * scale_, df1 = p[1], df2 = p[2], bound = 0.0;
    cdff(&which, &prob, &q, &f, &df1, &df2, &status, &bound);
    ThrowDriverStatus("FDist-Cdf", status, bound, prob);
    return q;
}

double FDistribution::UpperQuantile(double q) {
    if (!(std::fabs(p[0]) < 1e-100) || !(q < 0.5)) return Quantile(1.0 - q);
    int which = 2, status = 0;
    double prob = 1.0 - q, f = 0.0, df1 = p[1], df2 = p[2], bound = 0.0;
    cdff(&which, &prob, &q, &f, &df1, &df2, &status, &bound);
    ThrowDriverStatus("FDist-Quantile", status, bound, f);
    return f / scale_;
}

double FDistribution::Pdf(double x) {
    const double lambda = p[0];
    const double z = x * scale_;
    if (lambda < 1e-100) return scale_ * CentralFDensity(z, p[1], p[2], 0);
    if (!(lambda <= kLargestNoncentrality)) ThrowDriverStatus("FDist-Pdf", -7, 0.0, 0.0);
    bool notConverged = false;
    const double density = NoncentralFDensity(z, p[1], p[2], lambda, &notConverged);
    if (notConverged) {
        throw QuorixError("FDist-Pdf: failed to converge", QuorixError::kNoConvergence, density);
    }
    return scale_ * density;
}

double FDistribution::GetMean() {
    const double lambda = p[0], df1 = p[1], df2 = p[2];
    if (!(df2 > 2.0)) {
        throw QuorixError("FDist-GetMean: input parameter out of range", QuorixError::kOutOfRange,
                          2.0);
    }
    return (df1 + lambda) * df2 / ((df2 - 2.0) * df1);
}

double FDistribution::GetVariance() {
    const double lambda = p[0], df1 = p[1], df2 = p[2];
    if (!(df2 > 4.0)) {
        throw QuorixError("FDist-GetVariance: input parameter out of range",
                          QuorixError::kOutOfRange, 4.0);
    }
    return ((2.0 * lambda + df1) * (df2 - 2.0) + (df1 + lambda) * (df1 + lambda)) * 2.0 * df2 *
           df2 / (df1 * df1 * (df2 - 4.0) * (df2 - 2.0) * (df2 - 2.0));
}
