#include "distributions/correlation.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_sf_hyperg.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include "distributions/normal.h"
#include "numerics/cdf_drivers.h"
#include "numerics/special_functions.h"

namespace {

// The finite series takes about n/2 steps, and the quantile's bisection
// sums it some 35 times: beyond this sample size an answer would take
// seconds (a sample size near 1e18 would never finish), so larger ones are
// refused (and the density is 0 there, as outside its other ranges).
constexpr double kLargestSampleSize = 1e6;

[[noreturn]] void OutOfRange(const char* where) {
    throw QuorixError(std::string(where) + ": input parameter out of range",
                      QuorixError::kOutOfRange, 0.0);
}

long WholeSampleSize(double n) {
    return static_cast<long>(std::floor(n + 0.5));
}

// With rho = 0, t = r sqrt(m - 2) / sqrt(1 - r^2) is Student's t with
// m - 2 degrees of freedom, whose incomplete beta ratio costs the same at any
// m, where the finite series takes m/2 steps. NaN when the driver refuses.
double NullCdf(double x, long m) {
    double df = static_cast<double>(m - 2);
    double t = x * std::sqrt(df) / std::sqrt((1.0 - x) * (1.0 + x));
    int which = 1, status = 0;
    double p = 0.0, q = 0.0, bound = 0.0;
    cdft(&which, &p, &q, &t, &df, &status, &bound);
    return status == 0 ? p : std::numeric_limits<double>::quiet_NaN();
}

// Below this the finite series, a sum of terms near 1 that cancel, is
// mostly rounding: a lower tail that small is integrated from the density.
constexpr double kSeriesTail = 1e-7;

// P(r <= x) for -1 < x < 1 and a whole m.
double SeriesOrNullCdf(double x, double rho, long m) {
    if (rho == 0.0 && m >= 3) {
        const double p = NullCdf(x, m);
        if (!std::isnan(p)) return p;
    }
    const double p = CorrelationCdfSeries(x, rho, static_cast<double>(m));
    if (p < kSeriesTail && m >= 3) return CorrelationLowerTail(x, rho, static_cast<double>(m));
    return p;
}

// 1e-10 in x, and within 0.1 of +-1 that much of the distance to it: near
// rho = +-1 the whole distribution lies within 1e-9 of the end.
double XTolerance(double x) {
    return 1e-10 * std::min(1.0, 10.0 * (1.0 - std::fabs(x)));
}

// Bisection on [-1, 1] to 1e-10 in x, or until prob is met to 1e-10 of the
// nearer tail: the answer at the ends of [0, 1] and for m = 2, where r is
// +-1 and has no density to steer by.
double BisectQuantile(double prob, double rho, long m, double lo, double hi) {
    double mid = 0.0;
    do {
        mid = (lo + hi) / 2.0;
        // Where the tolerance is finer than the doubles, they end it.
        if (mid <= lo || mid >= hi) break;
        const double f = SeriesOrNullCdf(mid, rho, m);
        // Relative to the nearer tail, so that a small prob is not met by
        // any point whose probability is merely below 1e-10.
        if (std::fabs(f - prob) < 1e-10 * std::min(prob, 1.0 - prob)) break;
        if (prob < f)
            hi = mid;
        else
            lo = mid;
    } while (hi - lo > XTolerance(mid));
    return mid;
}

// Newton's method on the distribution function with the exact density as
// slope, from Fisher's z of the quantile, kept inside the bracket of the
// points seen so far. It meets the bisection's criterion in three to five
// evaluations of the distribution function, where the bisection takes
// some 35, and its last step, taken from there, leaves the answer good to
// the distribution function's own accuracy. A density that does not steer
// (far tails, where the distribution function is mostly rounding) leaves
// the rest to bisection of the bracket.
double NewtonQuantile(double prob, double rho, long m) {
    constexpr int kNewtonSteps = 12;
    const double n = static_cast<double>(m);
    double x = 0.0;
    if (m > 3) {
        double z = 0.0;
        try {
            z = NormalDistribution(0.0, 1.0).Quantile(prob) / std::sqrt(n - 3.0);
        } catch (const QuorixError&) {
        }
        x = std::tanh(std::atanh(rho) + rho / (2.0 * (n - 1.0)) + z);
    }
    double lo = -1.0, hi = 1.0;
    for (int i = 0; i < kNewtonSteps; ++i) {
        if (!(lo < x && x < hi)) x = (lo + hi) / 2.0;
        const double f = SeriesOrNullCdf(x, rho, m);
        if (f == prob) return x;
        if (f < prob) {
            lo = x;
        } else {
            hi = x;
        }
        double slope = CorrelationDensitySeries(x, rho, n, 1e-14, 1000);
        // Within 1e-10 of rho = +-1 the series answers only 0 or infinity;
        // the density of Fisher's z keeps its digits there.
        if (!(slope > 0.0 && std::isfinite(slope)))
            slope =
                std::exp(CorrelationLogDensityOfZ(std::atanh(x), rho, n)) / ((1.0 - x) * (1.0 + x));
        const double next = x + (prob - f) / slope;
        const bool met = std::fabs(f - prob) < 1e-10 * std::min(prob, 1.0 - prob);
        if (met) return lo < next && next < hi ? next : x;
        if (hi - lo <= XTolerance(x)) return x;
        x = next;
    }
    return BisectQuantile(prob, rho, m, lo, hi);
}

}  // namespace

namespace {

// The integral of the exact density of r over [-1, x] for a whole n, by two
// coupled sums S1, S2 whose terms T1, T2 advance together, one recurrence
// for odd and one for even n. The work grows linearly with n. L points at
// once share the coefficients of each step, and their independent
// recurrences overlap in the processor, so two cost little more than one;
// each point's operations are those of a single one.
template <int L>
void CdfSeries(const double (&x)[L], double rho, double n, double (&out)[L]) {
    const double b = 1.0 - rho * rho;
    const long m = static_cast<long>(std::floor(n + 0.5));
    double a[L], u[L], v[L], A[L], B[L];
    double s1[L], s2[L], t1[L], t2[L];
    for (int l = 0; l < L; ++l) {
        a[l] = 1.0 - x[l] * x[l];
        const double h = x[l] * rho;
        const double d = 1.0 - h * h;
        const double e = a[l] * b;
        const double s = std::sqrt(e);
        u[l] = e / d;
        v[l] = s * h / d;
        A[l] = std::acos(-h) / std::sqrt(d);
        B[l] = (A[l] * h + 1.0) * s / d;
    }
    if (m % 2 == 1) {
        for (int l = 0; l < L; ++l) {
            s1[l] = 0.0;
            s2[l] = A[l];
        }
        if (m >= 4) {
            for (int l = 0; l < L; ++l) {
                t1[l] = B[l];
                t2[l] = 1.5 * v[l] * B[l] + 0.5 * u[l] * A[l];
                s1[l] = B[l];
                s2[l] = A[l] + t2[l];
            }
            const long steps = (m - 3) / 2 - 1;
            double j = 3.0;
            for (long i = 0; i < steps; ++i, j += 2.0) {
                for (int l = 0; l < L; ++l) {
                    t1[l] = t1[l] * (1.0 - 1.0 / j) * u[l] + (2.0 - 1.0 / j) * v[l] * t2[l];
                    s1[l] += t1[l];
                    t2[l] = (2.0 - 1.0 / (j + 1.0)) * v[l] * t1[l] +
                            (1.0 - 1.0 / (j + 1.0)) * u[l] * t2[l];
                    s2[l] += t2[l];
                }
            }
        }
        for (int l = 0; l < L; ++l)
            out[l] =
                (std::sqrt(b) * x[l] * s1[l] + std::acos(-x[l]) - std::sqrt(a[l]) * rho * s2[l]) /
                M_PI;
        return;
    }
    for (int l = 0; l < L; ++l) {
        s1[l] = t1[l] = A[l];
        s2[l] = t2[l] = B[l];
    }
    const long steps = (m - 4) / 2;
    double j = 2.0;
    for (long i = 0; i < steps; ++i, j += 2.0) {
        for (int l = 0; l < L; ++l) {
            t1[l] = t1[l] * (1.0 - 1.0 / j) * u[l] + (2.0 - 1.0 / j) * v[l] * t2[l];
            s1[l] += t1[l];
            t2[l] = (2.0 - 1.0 / (j + 1.0)) * v[l] * t1[l] + (1.0 - 1.0 / (j + 1.0)) * u[l] * t2[l];
            s2[l] += t2[l];
        }
    }
    for (int l = 0; l < L; ++l)
        out[l] =
            (std::sqrt(b) * x[l] * s1[l] + std::acos(rho) - std::sqrt(a[l]) * rho * s2[l]) / M_PI;
}

}  // namespace

double CorrelationCdfSeries(double x, double rho, double n) {
    double out[1];
    CdfSeries<1>({x}, rho, n, out);
    return out[0];
}

double CorrelationDensitySeries(double x, double rho, double n, double eps, int maxTerms) {
    constexpr double kNearOne = 0.9999999999;
    if (rho < -kNearOne || rho > kNearOne)
        return x == rho ? std::numeric_limits<double>::infinity() : 0.0;
    if (x < -kNearOne || x > kNearOne) return 0.0;

    const double k =
        (n - 2.0) * std::exp(LogGamma(n - 1.0) - LogGamma(n - 0.5)) *
        std::exp((n - 4.0) / 2.0 * std::log1p(-x * x) + (n - 1.0) / 2.0 * std::log1p(-rho * rho) -
                 (n - 1.5) * std::log1p(-x * rho)) /
        std::sqrt(2.0 * M_PI);
    const double z = (1.0 + x * rho) / 2.0;
    // term_j = ((1/2)_j)^2 / ((n - 1/2)_j j!) z^j, by the ratio of
    // consecutive terms.
    double sum = 1.0;
    double term = 1.0;
    for (int j = 1; j <= maxTerms; ++j) {
        term *= (j - 0.5) * (j - 0.5) / ((n - 1.5 + j) * j) * z;
        sum += term;
        if (eps > std::fabs(term)) break;
    }
    return k * sum;
}

namespace {

// Nodes and weights of the 20-point Gauss-Legendre rule on [-1, 1], the
// positive half.
constexpr double kLegendre[10][2] = {
    {0.076526521133497338, 0.15275338713072578}, {0.2277858511416451, 0.14917298647260366},
    {0.37370608871541955, 0.14209610931838187},  {0.51086700195082713, 0.13168863844917653},
    {0.63605368072651502, 0.11819453196151825},  {0.7463319064601508, 0.10193011981724026},
    {0.83911697182221878, 0.083276741576704671}, {0.91223442825132584, 0.062672048334109443},
    {0.96397192727791381, 0.040601429800386217}, {0.99312859918509488, 0.017614007139153273},
};

// 2F1(1/2, 1/2; n - 1/2; z) for 0 <= z < 1 from its Gauss series, which
// converges fast unless z is near 1 and n small; there the library's
// transformation to 1 - z answers.
double HalfHalfHypergeometric(double z, double n) {
    constexpr int kMaxTerms = 4000;
    double sum = 1.0, term = 1.0;
    for (int j = 1; j <= kMaxTerms; ++j) {
        term *= (j - 0.5) * (j - 0.5) / ((n - 1.5 + j) * j) * z;
        sum += term;
        if (term < 1e-17 * sum) return sum;
    }
    static std::once_flag quiet;
    std::call_once(quiet, [] { gsl_set_error_handler_off(); });
    gsl_sf_result result;
    if (gsl_sf_hyperg_2F1_e(0.5, 0.5, n - 0.5, z, &result) == GSL_SUCCESS) return result.val;
    return sum;
}

}  // namespace

double CorrelationLogDensityOfZ(double u, double rho, double n) {
    const double au = std::fabs(u);
    const double e = std::exp(-2.0 * au);
    // 1 - r^2 = 1 / cosh(u)^2, and 1 - |r| = 2 e / (1 + e), exact where r
    // itself rounds to +-1.
    const double logOneMinusR2 = 2.0 * M_LN2 - 2.0 * au - 2.0 * std::log1p(e);
    const double r = std::tanh(u);
    const double oneMinusAbsR = 2.0 * e / (1.0 + e);
    // 1 - rho^2 and 1 - rho r, the latter from the distances to 1 where
    // rho r is near 1.
    const double logOneMinusRho2 = std::log1p(-rho) + std::log1p(rho);
    double d;
    if (rho * r <= 0.5) {
        d = 1.0 - rho * r;
    } else if (rho > 0.0) {
        d = (1.0 - rho) + rho * oneMinusAbsR;
    } else {
        d = (1.0 + rho) - rho * oneMinusAbsR;
    }
    const double z = rho * r <= 0.5 ? (1.0 + rho * r) / 2.0 : 1.0 - d / 2.0;
    return std::log(n - 2.0) + LogGamma(n - 1.0) - LogGamma(n - 0.5) - 0.5 * std::log(2.0 * M_PI) +
           (n - 1.0) / 2.0 * logOneMinusRho2 + (n - 2.0) / 2.0 * logOneMinusR2 -
           (n - 1.5) * std::log(d) + std::log(HalfHalfHypergeometric(z, n));
}

// The density of u = atanh(r) falls away from x on the side of the tail
// ever faster (like a normal density with sd 1/sqrt(n - 3) near the bulk),
// so panels of a few e-folds from x outwards, each by a 20-point
// Gauss-Legendre rule, meet every digit once a panel adds less than 1e-18
// of the sum. Scaled by the density at x, so that a tail far below the
// doubles' range is 0, not a NaN.
double CorrelationLowerTail(double x, double rho, double n) {
    if (!(x > -1.0)) return 0.0;
    const double ux = std::atanh(x);
    const double top = CorrelationLogDensityOfZ(ux, rho, n);
    if (!std::isfinite(top)) return 0.0;
    const double h = 1e-3 / std::sqrt(n);
    const double slope = (top - CorrelationLogDensityOfZ(ux - h, rho, n)) / h;
    const double width = std::min(3.0 / std::max(slope, 1e-300), 1.0 / std::sqrt(n));
    double sum = 0.0;
    double b = ux;
    constexpr int kMaxPanels = 4000;
    for (int panel = 0; panel < kMaxPanels; ++panel) {
        const double mid = b - width / 2.0, half = width / 2.0;
        double part = 0.0;
        for (const auto& [node, weight] : kLegendre) {
            for (const double u : {mid - half * node, mid + half * node}) {
                part += weight * std::exp(CorrelationLogDensityOfZ(u, rho, n) - top);
            }
        }
        part *= half;
        sum += part;
        b -= width;
        if (!(part >= 1e-18 * sum) || b < -40.0) break;
    }
    return sum * std::exp(top);
}

double CorrDistribution::Pdf(double x) {
    const double rho = p[0], n = p[1];
    // Beyond the sample sizes of the distribution function the density's
    // factor, a difference of log-gamma values near n ln n, and its powers of
    // order n, which cancel at x = rho, keep fewer and fewer digits (none
    // near 1e18): such an n is outside the range here too.
    if (!(-1.0 <= x && x <= 1.0) || !(2.0 <= n && n <= kLargestSampleSize) ||
        !(-1.0 <= rho && rho <= 1.0))
        return 0.0;
    return CorrelationDensitySeries(x, rho, n, 1e-14, 1000);
}

double CorrDistribution::Cdf(double x) {
    const double rho = p[0], n = p[1];
    if (!(-1.0 <= x && x <= 1.0) || !(2.0 <= n && n <= kLargestSampleSize) ||
        !(-1.0 <= rho && rho <= 1.0))
        OutOfRange("CorrDist-Cdf");
    // The ends are exact; at x = rho = +-1 the series would divide 0 by 0.
    if (x == -1.0) return 0.0;
    if (x == 1.0) return 1.0;
    return SeriesOrNullCdf(x, rho, WholeSampleSize(n));
}

void CorrDistribution::CdfPair(double x1, double x2, double* f1, double* f2) {
    const double rho = p[0], n = p[1];
    const long m = WholeSampleSize(n);
    const bool inside = -1.0 < x1 && x1 < 1.0 && -1.0 < x2 && x2 < 1.0;
    if (!inside || (rho == 0.0 && m >= 3) || !(2.0 <= n && n <= kLargestSampleSize) ||
        !(-1.0 <= rho && rho <= 1.0)) {
        *f1 = Cdf(x1);
        *f2 = Cdf(x2);
        return;
    }
    double out[2];
    CdfSeries<2>({x1, x2}, rho, n, out);
    if (m >= 3 && out[0] < kSeriesTail) out[0] = CorrelationLowerTail(x1, rho, n);
    if (m >= 3 && out[1] < kSeriesTail) out[1] = CorrelationLowerTail(x2, rho, n);
    *f1 = out[0];
    *f2 = out[1];
}

double CorrDistribution::Quantile(double prob) {
    const double rho = p[0], n = p[1];
    if (!(0.0 <= prob && prob <= 1.0) || !(-1.0 <= rho && rho <= 1.0))
        OutOfRange("CorrDist-Quantile");
    if (!(2.0 <= n && n <= kLargestSampleSize)) OutOfRange("CorrDist-Quantile");
    const long m = WholeSampleSize(n);
    // r is symmetric about 0 under rho = 0.
    if (rho == 0.0 && prob == 0.5 && m >= 3) return 0.0;
    if (prob == 0.0 || prob == 1.0 || m < 3 || std::fabs(rho) == 1.0)
        return BisectQuantile(prob, rho, m, -1.0, 1.0);
    return NewtonQuantile(prob, rho, m);
}
