#include "distributions/mrc.h"

#include <gsl/gsl_integration.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "distributions/beta.h"
#include "distributions/chi.h"
#include "distributions/f.h"
#include "numerics/incomplete_beta.h"
#include "numerics/saddle_point.h"
#include "numerics/special_functions.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Steps allowed to the series before they count as not converged, and to
// the bracket walks of the quantile and of the interval solver.
constexpr long kFromZeroSteps = 2000000;
constexpr long kFromModeSteps = 1000000;
constexpr long kDensitySteps = 1000000;
constexpr int kWalkSteps = 200;
// Halvings of the quantile's bisection: from a factor of 1e4 or a width of
// 1/2 to a relative 1e-11.
constexpr int kMaxQuantileHalvings = 400;
// Below this a tail of the exact distribution is summed from its own side.
constexpr double kSmallTail = 1e-6;
// How closely a quantile meets its probability, relative to the nearer
// tail, and how narrow its bracket becomes, relative to the quantile or to
// its distance from 1. A tail summed from its own side keeps far more
// digits than the series' absolute 1e-12, and its quantile is found to
// them: a critical R^2 of 1e-53 shows its seven digits, and so does the
// beta summed beyond it.
constexpr double kQuantileProbTolerance = 1e-8;
constexpr double kQuantileWidth = 1e-9;
constexpr double kSmallTailProbTolerance = 1e-11;
constexpr double kSmallTailWidth = 1e-11;

[[noreturn]] void Fail(const std::string& where, const char* problem, int code) {
    throw QuorixError(where + ": " + problem, code, 0.0);
}

bool ParametersValid(double rho2, double k, double N) {
    return k >= 2.0 && N >= k && 0.0 <= rho2 && rho2 <= 1.0;
}

// Index of the largest negative-binomial weight, near the mean
// b' rho^2 / (1 - rho^2).
double WeightMode(double rho2, double N) {
    return std::floor((N - 1.0) * rho2 / (2.0 * (1.0 - rho2)) + 0.5);
}

// Whether a tail can be summed from its own side: that sum visits every
// weight from 0 to beyond the mode one by one, which a mode near a huge N
// (a search over millions of predictors) would make endless; there the
// series from the mode stands.
constexpr double kLargestOwnSideMode = 1e5;
bool OwnSideTailSummable(double rho2, double N) {
    return rho2 <= 0.9999999999 && WeightMode(rho2, N) <= kLargestOwnSideMode;
}

// ln of the negative-binomial weight Gamma(b' + i) / (Gamma(b') i!) rho^(2i)
// (1 - rho^2)^b', as b' / (b' + i) times a binomial mass by the saddle-point
// method, which stays accurate for large i.
double LogWeight(double i, double rho2, double bp) {
    return std::log(bp / (bp + i)) + dbinom_raw(bp, bp + i, 1.0 - rho2, rho2, 1);
}

}  // namespace

// Writing I_x(a + i, b) = sum over j >= i of t_j, t_j the beta increments,
// the mixture becomes sum_j t_j W_j with W_j the cumulative weight up to j:
// one pass over j with both recurrences.
double SquaredMultipleCorrelationCdfFromZero(double x, double rho2, double k, double N, double eps,
                                             bool* converged) {
    *converged = true;
    if (x <= 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    const double a = (k - 1.0) / 2.0, b = (N - k) / 2.0, bp = (N - 1.0) / 2.0;
    double t = std::exp(b * std::log1p(-x) + a * std::log(x) + LogGamma(bp) - LogGamma(a + 1.0) -
                        LogGamma(b));
    double weight = std::exp(bp * std::log1p(-rho2));
    double w = weight;
    double sum = t * w;
    double i = 0.0;
    auto step = [&] {
        i += 1.0;
        t *= (a + b + i - 1.0) * x / (a + i);
        weight *= (bp + i - 1.0) * rho2 / i;
        w += weight;
        sum += t * w;
    };
    long steps = 0;
    // While the increments still grow.
    while (a + i + 1.0 <= (a + b + i + 1.0) * x) {
        if (++steps > kFromZeroSteps) {
            *converged = false;
            return sum;
        }
        step();
    }
    // Then until the rest is below eps: the remaining increments fall at
    // least as fast as a geometric series whose ratio is the larger of the
    // next ratio and its limit x (the ratios tend to x monotonically), and
    // the cumulative weights never exceed 1.
    for (;;) {
        const double ratio = std::max((a + b + i) * x / (a + i + 1.0), x);
        if (!(eps < t * ratio / (1.0 - ratio))) break;
        if (++steps > kFromZeroSteps) {
            *converged = false;
            break;
        }
        step();
    }
    return sum;
}

double SquaredMultipleCorrelationCdfFromMode(double x, double rho2, double k, double N, double eps,
                                             bool* converged) {
    *converged = true;
    if (x <= 0.0) return 0.0;
    if (x >= 1.0) return 1.0;
    const double a = (k - 1.0) / 2.0, b = (N - k) / 2.0, bp = (N - 1.0) / 2.0;
    const double i0 = rho2 > 0.0 ? WeightMode(rho2, N) : 0.0;
    BetaDistribution beta(a + i0, b);
    const double i0Cdf = beta.Cdf(x);
    if (rho2 == 0.0) return i0Cdf;
    const double i0Weight = std::exp(LogWeight(i0, rho2, bp));
    const double logX = std::log(x), log1mX = std::log1p(-x);
    // ln of the beta increment I_x(c, b) - I_x(c + 1, b); further increments
    // follow by the ratio of consecutive ones, which keeps them accurate
    // where ln Gamma of large arguments would cancel.
    auto logIncrement = [&](double c) {
        return c * logX + b * log1mX - std::log(c) - LogBeta(c, b);
    };

    double sum = i0Weight * i0Cdf;
    double w = i0Weight;

    // Downward: the terms grow towards I = 1; once I is within eps of 1 the
    // rest is the weight below, a negative-binomial distribution function.
    double i = i0, weight = i0Weight, cdf = i0Cdf;
    double logStep = i0 > 0.0 ? logIncrement(a + i0 - 1.0) : 0.0;
    bool done = false;
    for (long steps = 0; steps < kFromModeSteps; ++steps) {
        if (i <= 0.0 || weight <= 1e-20) {
            done = true;
            break;
        }
        if (1.0 - cdf <= eps) {
            BetaDistribution negativeBinomial(bp, i);
            const double below = negativeBinomial.Cdf(1.0 - rho2);
            sum += below;
            w += below;
            done = true;
            break;
        }
        weight *= i / ((bp + i - 1.0) * rho2);
        cdf += std::exp(logStep);
        i -= 1.0;
        sum += cdf * weight;
        w += weight;
        logStep -= std::log((a + b + i - 1.0) * x / (a + i));
    }
    if (!done) *converged = false;

    // Upward: stop when the weight is spent, or when I times the weight left
    // cannot reach eps.
    i = i0, weight = i0Weight, cdf = i0Cdf;
    logStep = logIncrement(a + i0);
    done = false;
    for (long steps = 0; steps < kFromModeSteps; ++steps) {
        if (1.0 - w <= eps || weight <= 1e-20 || cdf * (1.0 - w) <= eps) {
            done = true;
            break;
        }
        weight *= (bp + i) * rho2 / (i + 1.0);
        cdf = std::max(0.0, cdf - std::exp(logStep));
        sum += cdf * weight;
        w += weight;
        logStep += std::log((a + b + i) * x / (a + i + 1.0));
        i += 1.0;
    }
    if (!done) *converged = false;
    return sum;
}

namespace {

// A sum of positive terms kept as exp(scale) * scaled, so that neither a
// tail far below the doubles' range nor its terms underflow on the way.
struct LogSum {
    double scale = -std::numeric_limits<double>::infinity();
    double scaled = 0.0;
    void Add(double logTerm) {
        if (!(logTerm > -std::numeric_limits<double>::infinity())) return;
        if (logTerm > scale) {
            scaled = scaled * std::exp(scale - logTerm);
            scale = logTerm;
        }
        scaled += std::exp(logTerm - scale);
    }
    // Whether exp(logTerm) is below rel of the sum so far.
    bool Negligible(double logTerm, double rel) const {
        return scaled > 0.0 && logTerm - scale < std::log(rel * scaled);
    }
    double Value() const { return std::exp(scale) * scaled; }
};

// The regularized incomplete beta ratio I_x(a, b) and its complement, each
// from its own side.
void BetaRatios(double a, double b, double x, double* lower, double* upper) {
    double y = 1.0 - x;
    int ierr = 0;
    bratio(&a, &b, &x, &y, lower, upper, &ierr);
}

// ln of the beta increment I_x(c, b) - I_x(c + 1, b).
double LogBetaIncrement(double c, double b, double x) {
    return c * std::log(x) + b * std::log1p(-x) - std::log(c) - LogBeta(c, b);
}

}  // namespace

// A tail of the mixture as a sum of positive terms only: the beta ratios
// I_x(a + i, b) fall with i, so the lower tail recurs downward from an
// index beyond the weights' bulk, I_x(c, b) = I_x(c + 1, b) + increment,
// and the complements rise with i, so the upper tail recurs upward from
// i = 0; each ratio keeps its digits where the series from the mode,
// summed to an absolute 1e-12, has none.
double SquaredMultipleCorrelationTail(double x, double rho2, double k, double N, bool upper) {
    if (x <= 0.0) return upper ? 1.0 : 0.0;
    if (x >= 1.0) return upper ? 0.0 : 1.0;
    const double a = (k - 1.0) / 2.0, b = (N - k) / 2.0, bp = (N - 1.0) / 2.0;
    const double mode = WeightMode(rho2, N);
    LogSum sum;
    // The terms are log-concave in i, and the largest lies below the
    // weights' mode for the lower tail (the ratios grow as i falls) and
    // above it for the upper one (the complements grow as i rises): once
    // they fall on the far side of the mode, what is left is below a
    // geometric series with the last ratio of two terms.
    auto restNegligible = [&](double logTerm, double previous) {
        if (!(logTerm < previous)) return false;
        const double r = std::exp(logTerm - previous);
        return sum.Negligible(logTerm + std::log(r / (1.0 - r)), 1e-17);
    };
    double previous = -std::numeric_limits<double>::infinity();
    if (!upper) {
        // Beyond top every weight is below 1e-20 of the largest one.
        const double logModeWeight = LogWeight(mode, rho2, bp);
        double top = mode;
        while (LogWeight(top, rho2, bp) > logModeWeight - 46.0)
            top += std::max(1.0, std::floor(top / 64.0));
        double lower = 0.0, complement = 0.0;
        BetaRatios(a + top, b, x, &lower, &complement);
        double logI = std::log(lower);
        for (double i = top; i >= 0.0; i -= 1.0) {
            const double logTerm = LogWeight(i, rho2, bp) + logI;
            sum.Add(logTerm);
            if (i == 0.0 || (i < mode && restNegligible(logTerm, previous))) break;
            previous = logTerm;
            // I_x(a + i - 1, b) = I_x(a + i, b) + increment(a + i - 1).
            const double inc = LogBetaIncrement(a + i - 1.0, b, x);
            logI = std::max(logI, inc) + std::log1p(std::exp(-std::fabs(logI - inc)));
        }
        return sum.Value();
    }
    // The upper terms may peak far beyond the weights' bulk, where a
    // complement of 1e-60 at the mode has grown to near 1: the sum runs
    // until they fall, not to the end of the weights' bulk.
    double lower = 0.0, complement = 0.0;
    BetaRatios(a, b, x, &lower, &complement);
    double logJ = std::log(complement);
    for (double i = 0.0;; i += 1.0) {
        const double logTerm = LogWeight(i, rho2, bp) + logJ;
        sum.Add(logTerm);
        if (i > mode && restNegligible(logTerm, previous)) break;
        previous = logTerm;
        // 1 - I_x(a + i + 1, b) = 1 - I_x(a + i, b) + increment(a + i).
        const double inc = LogBetaIncrement(a + i, b, x);
        logJ = std::max(logJ, inc) + std::log1p(std::exp(-std::fabs(logJ - inc)));
    }
    return sum.Value();
}

namespace {

// The weights' spread and the terms the series from the mode visits: beyond
// these the summand of a tail is located first, and summed term by term only
// where it is narrow.
constexpr double kLargestSummedSpread = 1e4;
// Terms below e^-kDropNats of the largest one are left out; for a summand
// that is log-concave in the index they add less than 1e-19 of the sum.
constexpr double kDropNats = 50.0;
// A summand whose bulk spans no more terms than this is summed term by term.
constexpr double kDirectTerms = 20000.0;
// Otherwise its first terms are summed one by one, where the weights may
// still vary from one index to the next, and the rest is an integral.
constexpr double kLeadTerms = 1024.0;
constexpr int kMaxPanels = 4000;
// Indices up to which a step of one is exact and cheap enough to take.
constexpr double kLargestStepped = 1e12;

bool WeightsSpread(double rho2, double N) {
    if (rho2 >= 1.0) return false;
    const double bp = (N - 1.0) / 2.0;
    return std::sqrt(bp * rho2) / (1.0 - rho2) > kLargestSummedSpread ||
           WeightMode(rho2, N) > kLargestOwnSideMode;
}

// The summand of one tail as a function of a real index t:
// ln(pi_t) + ln I_x(a + t, b) (lower) or ln(pi_t) + ln(1 - I_x(a + t, b))
// (upper), the weight continued by its Gamma functions.
// With density set, the beta ratio is the beta density f_(a + t, b)(x),
// and the sum is the density of R^2.
struct TailSummand {
    double a, b, bp, rho2, x;
    bool upper;
    bool density = false;

    double LogWeightAt(double t) const { return LogWeight(t, rho2, bp); }
    double LogRatioAt(double t) const {
        const double c = a + t;
        if (density) return (c - 1.0) * std::log(x) + (b - 1.0) * std::log1p(-x) - LogBeta(c, b);
        double lower = 0.0, complement = 0.0;
        BetaRatios(c, b, x, &lower, &complement);
        const double v = upper ? complement : lower;
        if (v > 1e-300) return std::log(v);
        // Below the doubles' range: the ratio's first term, which is all a
        // search for the largest summand needs of such a point.
        return upper ? b * std::log1p(-x) + c * std::log(x) - std::log(b) - LogBeta(b, c)
                     : LogBetaIncrement(c, b, x);
    }
    double LogAt(double t) const { return LogWeightAt(t) + LogRatioAt(t); }
};

// Sum of exp(summand - top) over the integers from i0 to i1, by the
// recurrences of the weights and of the beta increments: the lower ratios
// grow downward and their complements upward, so every step adds.
double DirectSum(const TailSummand& s, double i0, double i1, double top) {
    double total = 0.0;
    if (s.density) {
        double logW = s.LogWeightAt(i0), logD = s.LogRatioAt(i0);
        for (double i = i0;; i += 1.0) {
            total += std::exp(logW + logD - top);
            if (i >= i1) break;
            logW += std::log((s.bp + i) * s.rho2 / (i + 1.0));
            // f_(c + 1, b)(x) = f_(c, b)(x) x (c + b) / c, c = a + i.
            const double c = s.a + i;
            logD += std::log(s.x * (c + s.b) / c);
        }
        return total;
    }
    if (!s.upper) {
        double logW = s.LogWeightAt(i1), logI = s.LogRatioAt(i1);
        double logInc = LogBetaIncrement(s.a + i1 - 1.0, s.b, s.x);
        for (double i = i1;; i -= 1.0) {
            total += std::exp(logW + logI - top);
            if (i <= i0) break;
            logW += std::log(i / ((s.bp + i - 1.0) * s.rho2));
            // I_x(c - 1, b) = I_x(c, b) + increment(c - 1), c = a + i.
            logI = std::max(logI, logInc) + std::log1p(std::exp(-std::fabs(logI - logInc)));
            // increment(c - 1) = increment(c) c / ((c - 1 + b) x), c = a + i - 1.
            const double c = s.a + i - 1.0;
            if (i - 1.0 > i0) logInc += std::log(c / ((c - 1.0 + s.b) * s.x));
        }
        return total;
    }
    double logW = s.LogWeightAt(i0), logJ = s.LogRatioAt(i0);
    double logInc = LogBetaIncrement(s.a + i0, s.b, s.x);
    for (double i = i0;; i += 1.0) {
        total += std::exp(logW + logJ - top);
        if (i >= i1) break;
        logW += std::log((s.bp + i) * s.rho2 / (i + 1.0));
        // 1 - I_x(c + 1, b) = 1 - I_x(c, b) + increment(c), c = a + i.
        logJ = std::max(logJ, logInc) + std::log1p(std::exp(-std::fabs(logJ - logInc)));
        const double c = s.a + i;
        logInc += std::log((c + s.b) * s.x / (c + 1.0));
    }
    return total;
}

// The positive nodes of the n-point Gauss-Legendre rule on [-1, 1] (n
// even) and their weights.
template <int n>
struct GaussLegendre {
    double node[n / 2];
    double weight[n / 2];
    GaussLegendre() {
        gsl_integration_glfixed_table* table = gsl_integration_glfixed_table_alloc(n);
        for (int i = 0, j = 0; i < n; ++i) {
            double x = 0.0, w = 0.0;
            gsl_integration_glfixed_point(-1.0, 1.0, static_cast<size_t>(i), &x, &w, table);
            if (x > 0.0 && j < n / 2) {
                node[j] = x;
                weight[j++] = w;
            }
        }
        gsl_integration_glfixed_table_free(table);
    }
};

template <int n>
double Panel(const TailSummand& s, double top, double lo, double hi) {
    static const GaussLegendre<n> rule;
    const double h = (hi - lo) / 2.0, m = (lo + hi) / 2.0;
    double sum = 0.0;
    for (int i = 0; i < n / 2; ++i) {
        sum += rule.weight[i] * (std::exp(s.LogAt(m - h * rule.node[i]) - top) +
                                 std::exp(s.LogAt(m + h * rule.node[i]) - top));
    }
    return sum * h;
}

// The integral of exp(summand - top) over [lo, hi] by the 20-point rule,
// each panel halved until the 10-point rule on its halves agrees with it to
// tol per unit length (the 20-point rule on the whole is the more accurate
// of the two). False when that takes more than kMaxPanels panels.
bool Integrate(const TailSummand& s, double top, double lo, double hi, double tol, double* result) {
    struct Piece {
        double lo, hi, whole;
    };
    std::vector<Piece> pending{{lo, hi, Panel<20>(s, top, lo, hi)}};
    double total = 0.0;
    for (int panels = 0; !pending.empty(); ++panels) {
        if (panels > kMaxPanels) return false;
        const Piece p = pending.back();
        pending.pop_back();
        const double m = (p.lo + p.hi) / 2.0;
        const double halves = Panel<10>(s, top, p.lo, m) + Panel<10>(s, top, m, p.hi);
        if (std::fabs(halves - p.whole) <= tol * (p.hi - p.lo) || m <= p.lo || m >= p.hi) {
            total += p.whole;
            continue;
        }
        pending.push_back({p.lo, m, Panel<20>(s, top, p.lo, m)});
        pending.push_back({m, p.hi, Panel<20>(s, top, m, p.hi)});
    }
    *result = total;
    return true;
}

// Where the weights spread over millions of terms, the summand of a tail,
// pi_i times a beta ratio, is a smooth, log-concave function of the index
// beyond its first few thousand terms. Its largest term is located on a
// doubling grid and by golden section. The terms within e^-50 of it are
// summed one by one where they are few; otherwise the first kLeadTerms of
// them are, and the rest is the integral over the real index with the
// midpoint Euler-Maclaurin correction: the sum over i >= M of f(i) is the
// integral from M - 1/2 plus f'(M - 1/2)/24 - 7 f'''(M - 1/2)/5760 + ...:
// a log-concave f that stays within e^-50 of its largest value over more
// than kDirectTerms terms changes by less than 5% from one index to the
// next at M, so the terms left out are below 1e-9 of f(M). For a function
// smooth on a scale of thousands of terms, the sum over the integers and
// the integral agree far beyond the doubles' precision (Poisson's summation
// formula).
double SpreadSum(const TailSummand& s, bool* converged) {
    *converged = true;
    const double rho2 = s.rho2;
    const double mean = s.bp * rho2 / (1.0 - rho2), sd = std::sqrt(s.bp * rho2) / (1.0 - rho2);
    // Beyond end the weights are below e^-100 of their largest one.
    const double end = 2.0 * (mean + 100.0 * sd + 100.0);

    // The summand is unimodal: the best point of a doubling grid has the
    // largest summand between its neighbours.
    double best = 0.0, top = s.LogAt(0.0);
    for (double t = 1.0; t <= end; t *= 2.0) {
        const double v = s.LogAt(t);
        if (v > top) {
            top = v;
            best = t;
        }
    }
    double lo = best >= 2.0 ? best / 2.0 : 0.0, hi = best >= 1.0 ? std::min(2.0 * best, end) : 1.0;
    const double g = 0.6180339887498949;
    double c = hi - g * (hi - lo), d = lo + g * (hi - lo);
    double fc = s.LogAt(c), fd = s.LogAt(d);
    for (int iteration = 0; iteration < 400 && hi - lo > 0.5; ++iteration) {
        if (fc >= fd) {
            hi = d;
            d = c;
            fd = fc;
            c = hi - g * (hi - lo);
            fc = s.LogAt(c);
        } else {
            lo = c;
            c = d;
            fc = fd;
            d = lo + g * (hi - lo);
            fd = s.LogAt(d);
        }
    }
    double peak = best;
    if (fc > top) top = fc, peak = c;
    if (fd > top) top = fd, peak = d;
    // A tail below the doubles' range.
    if (top < -745.0) return 0.0;

    // The ends of the bulk, where the summand falls below e^-kDropNats of
    // its largest value, each to 1% of its distance from the peak or half a
    // term, whichever is larger: the end returned lies beyond the bulk.
    auto below = [&](double t) { return s.LogAt(t) < top - kDropNats; };
    auto bisect = [&](double inside, double outside) {
        for (;;) {
            const double m = (inside + outside) / 2.0;
            if (std::fabs(outside - inside) <= std::max(0.5, 0.01 * std::fabs(inside - peak)) ||
                m == inside || m == outside)
                return outside;
            (below(m) ? outside : inside) = m;
        }
    };
    const double tLo = below(0.0) ? bisect(peak, 0.0) : 0.0;
    if (!below(end)) {
        *converged = false;
        return kNaN;
    }
    const double tHi = bisect(peak, end);

    const double i0 = std::floor(tLo), i1 = std::ceil(tHi);
    double total = 0.0;
    if (i1 - i0 <= kDirectTerms && i1 < kLargestStepped) {
        total = DirectSum(s, i0, i1, top);
    } else {
        // Far out the first terms lie below e^-kDropNats of the largest, and
        // neither they nor the boundary correction count.
        const double m = i0 < kLargestStepped ? i0 + kLeadTerms : i0 + 0.5;
        if (i0 < kLargestStepped) total = DirectSum(s, i0, m - 1.0, top);
        // Log-concave with its maximum 1 and e^-kDropNats at both ends of
        // the bulk: the integral is at least the bulk's length / kDropNats,
        // and this tolerance per unit length keeps 1e-9 of it (far less in
        // practice: the halves are much closer than the whole), above the
        // rounding of the summand's logarithm where the index is near 1e14.
        const double tol = 1e-9 / kDropNats;
        // The summand varies on a scale of about t / sqrt(max(b, b')) at t
        // (the weights like t^(b' - 1), the beta ratios like t^b or
        // e^(-t (1 - x)) away from their step), so the panels grow
        // geometrically: a feature that one wide panel would hide between
        // its nodes, such as the last rise of a ratio next to the peak, is
        // then always inside a panel that sees it. The peak is a cut too.
        const double ratio = std::min(2.0, 1.0 + 4.0 / std::sqrt(std::max({s.b, s.bp, 1.0})));
        std::vector<double> cuts{m - 0.5};
        for (double t = (m - 0.5) * ratio; t < i1; t *= ratio) cuts.push_back(t);
        cuts.push_back(i1);
        if (m - 0.5 < peak && peak < i1) cuts.push_back(peak);
        std::sort(cuts.begin(), cuts.end());
        for (size_t j = 0; j + 1 < cuts.size(); ++j) {
            double piece = 0.0;
            if (!Integrate(s, top, cuts[j], cuts[j + 1], tol, &piece)) *converged = false;
            total += piece;
        }
        if (i0 < kLargestStepped) {
            // f'(M - 1/2) and f'''(M - 1/2) from f(M - 2) ... f(M + 1).
            double f[4];
            for (int j = 0; j < 4; ++j) f[j] = std::exp(s.LogAt(m - 2.0 + j) - top);
            const double first = (27.0 * (f[2] - f[1]) - (f[3] - f[0])) / 24.0;
            const double third = f[3] - 3.0 * f[2] + 3.0 * f[1] - f[0];
            total += first / 24.0 - 7.0 * third / 5760.0;
        }
    }
    return std::exp(top + std::log(total));
}

}  // namespace

double SquaredMultipleCorrelationSpreadTail(double x, double rho2, double k, double N, bool upper,
                                            bool* converged) {
    *converged = true;
    if (x <= 0.0) return upper ? 1.0 : 0.0;
    if (x >= 1.0) return upper ? 0.0 : 1.0;
    return SpreadSum({(k - 1.0) / 2.0, (N - k) / 2.0, (N - 1.0) / 2.0, rho2, x, upper}, converged);
}

double SquaredMultipleCorrelationSpreadDensity(double x, double rho2, double k, double N,
                                               bool* converged) {
    *converged = true;
    if (!(0.0 < x && x < 1.0)) return 0.0;
    return SpreadSum({(k - 1.0) / 2.0, (N - k) / 2.0, (N - 1.0) / 2.0, rho2, x, false, true},
                     converged);
}

// Density: sum_i pi_i f_i(x), f_i the beta density with shapes (a + i, b),
// summed on the log scale outward from the largest weight, so that neither
// a weight nor a beta density underflows on the way to the largest terms.
double SquaredMultipleCorrelationDensity(double x, double rho2, double k, double N, double eps,
                                         bool* converged) {
    *converged = true;
    if (!(0.0 < x && x < 1.0)) return 0.0;
    const double a = (k - 1.0) / 2.0, b = (N - k) / 2.0, bp = (N - 1.0) / 2.0;
    const double logX = std::log(x), log1mX = std::log1p(-x);
    auto logBetaDensity = [&](double i) {
        return (b - 1.0) * log1mX + (a + i - 1.0) * logX - LogBeta(a + i, b);
    };
    // A population correlation of one puts all mass at R^2 = 1.
    if (rho2 == 1.0) return 0.0;
    const double i0 = rho2 > 0.0 ? WeightMode(rho2, N) : 0.0;
    const double logTerm0 = LogWeight(i0, rho2, bp) + logBetaDensity(i0);
    if (rho2 == 0.0) return std::exp(logTerm0);

    // The sum is kept as exp(scale) * scaled, rescaled as larger terms come.
    double scale = logTerm0, scaled = 1.0;
    auto add = [&](double logTerm) {
        if (logTerm > scale) {
            scaled = scaled * std::exp(scale - logTerm);
            scale = logTerm;
        }
        scaled += std::exp(logTerm - scale);
    };
    // The log terms are concave in i: once they fall, they keep falling, and
    // the rest of a direction is bounded by a geometric series.
    auto restNegligible = [&](double logTerm, double logRatio) {
        if (!(logRatio < 0.0)) return false;
        const double ratio = std::exp(logRatio);
        return std::exp(logTerm - scale) * ratio / (1.0 - ratio) < eps * scaled;
    };

    double i = i0, logTerm = logTerm0;
    bool done = false;
    for (long steps = 0; steps < kDensitySteps && i > 0.0; ++steps) {
        const double logRatio = std::log(i / ((bp + i - 1.0) * rho2)) +
                                std::log((a + i - 1.0) / ((a + b + i - 1.0) * x));
        logTerm += logRatio;
        i -= 1.0;
        add(logTerm);
        if (restNegligible(logTerm, logRatio)) {
            done = true;
            break;
        }
    }
    if (!done && i > 0.0) *converged = false;

    i = i0, logTerm = logTerm0, done = false;
    for (long steps = 0; steps < kDensitySteps; ++steps) {
        const double logRatio =
            std::log((bp + i) * rho2 / (i + 1.0)) + std::log((a + b + i) * x / (a + i));
        logTerm += logRatio;
        i += 1.0;
        add(logTerm);
        if (restNegligible(logTerm, logRatio)) {
            done = true;
            break;
        }
    }
    if (!done) *converged = false;
    return std::exp(scale) * scaled;
}

namespace {

// One tail of spread weights from its own summand; a summand that could not
// be integrated is reported, never shown.
double SpreadTail(double x, double rho2, double k, double N, bool upper) {
    bool summed = true;
    const double tail = SquaredMultipleCorrelationSpreadTail(x, rho2, k, N, upper, &summed);
    if (!summed || !(0.0 <= tail && tail <= 1.0 + 1e-12))
        throw QuorixError("MRCDist-Cdf: failed to converge", QuorixError::kNoConvergence, tail);
    return std::min(tail, 1.0);
}

}  // namespace

double MRCDistribution::Pdf(double x) {
    const double rho2 = p[0], k = p[1], N = p[2];
    // With N = k the fit is perfect and R^2 is 1: no density inside (0, 1).
    if (!(0.0 < x && x < 1.0) || !ParametersValid(rho2, k, N) || N == k) return 0.0;
    bool converged = true;
    const double density =
        rho2 < 1.0 && WeightsSpread(rho2, N)
            ? SquaredMultipleCorrelationSpreadDensity(x, rho2, k, N, &converged)
            : SquaredMultipleCorrelationDensity(x, rho2, k, N, 1e-12, &converged);
    return converged ? density : kNaN;
}

double MRCDistribution::Cdf(double x) {
    return LowerTail(x, true);
}

double MRCDistribution::LowerTail(double x, bool smallTailDigits) {
    const double rho2 = p[0], k = p[1], N = p[2];
    if (!(0.0 <= x && x <= 1.0) || !ParametersValid(rho2, k, N))
        Fail("MRCDist-Cdf", "input parameter out of range", QuorixError::kOutOfRange);
    if (x == 0.0) return 0.0;
    if (x == 1.0) return 1.0;
    // With N = k the fit is perfect and R^2 is 1.
    if (N == k) return 0.0;
    const double m = k - 1.0, nu2 = N - k;
    if (rho2 < 1e-12) {
        FDistribution central(m, nu2);
        return central.Cdf(nu2 * x / ((1.0 - x) * m));
    }
    // A population correlation of one puts all mass at R^2 = 1.
    if (rho2 == 1.0) return 0.0;

    // The approximations build noncentral F and chi-square distributions
    // whose noncentrality grows with N rho^2 / (1 - rho^2); one beyond their
    // range (1e10, where their sums would take seconds) is this input's.
    try {
        if (method_ == kNoncentralF) {
            const double phi = rho2 / (1.0 - rho2);
            const double g1 = 1.0 + phi;
            double u[4];
            for (int j = 1; j <= 3; ++j) u[j] = (std::pow(g1, j) - 1.0) * (N - 1.0) + m;
            const double g = (u[2] - std::sqrt(u[2] * u[2] - u[1] * u[3])) / u[1];
            const double s = std::sqrt(nu2 * (N - 1.0) * g1);
            const double lambda = s * phi / (g * g);
            const double nu1 = (u[2] - 2.0 * phi * s) / (g * g);
            FDistribution approx(nu1, nu2, lambda);
            return approx.Cdf(x / (1.0 - x) * nu2 / (nu1 * g));
        }
        if (method_ == kChiSquareExpansion) {
            const double theta = (N - 1.0) * rho2 / (1.0 - rho2);
            const double y = nu2 * x / (1.0 - x);
            double f[5];
            for (int j = 0; j < 5; ++j) {
                ChiDistribution chi(m + 2.0 * j, theta);
                f[j] = chi.Cdf(y);
            }
            return f[0] + ((m * (m - 2.0) + theta * theta) * f[0] -
                           2.0 * (m * m - m * theta + theta * theta) * f[1] +
                           (m * (m + 2.0) - 4.0 * (m + 1.0) * theta + 2.0 * theta * theta) * f[2] +
                           2.0 * theta * (m + 2.0 - theta) * f[3] + theta * theta * f[4]) /
                              (4.0 * nu2);
        }
    } catch (const QuorixError& e) {
        if (e.GetCode() == QuorixError::kOutOfRange)
            Fail("MRCDist-Cdf", "input parameter out of range", QuorixError::kOutOfRange);
        throw;
    }
    if (WeightsSpread(rho2, N)) return SpreadTail(x, rho2, k, N, false);
    bool converged = true;
    // The series from the largest weight serves every rho^2 up to
    // 0.9999999999 (the series from zero would walk as far as b x / (1 - x)
    // terms before its first large increment); beyond that the weights
    // spread over more terms than any sum can visit, and the series from
    // zero gives the (vanishing) mass that R^2 has below x.
    const double result =
        rho2 <= 0.9999999999
            ? SquaredMultipleCorrelationCdfFromMode(x, rho2, k, N, 1e-12, &converged)
            : SquaredMultipleCorrelationCdfFromZero(x, rho2, k, N, 1e-12, &converged);
    if (!converged)
        throw QuorixError("MRCDist-Cdf: failed to converge", QuorixError::kNoConvergence, result);
    // That sum stops at an absolute 1e-12: a lower tail below kSmallTail
    // is summed again from its own side.
    if (smallTailDigits && result < kSmallTail && OwnSideTailSummable(rho2, N))
        return SquaredMultipleCorrelationTail(x, rho2, k, N, false);
    return result;
}

double MRCDistribution::Survival(double x) {
    const double rho2 = p[0], k = p[1], N = p[2];
    if (!(0.0 <= x && x <= 1.0) || !ParametersValid(rho2, k, N))
        Fail("MRCDist-Cdf", "input parameter out of range", QuorixError::kOutOfRange);
    if (x == 0.0) return 1.0;
    if (x == 1.0 || N == k) return 0.0;
    if (rho2 < 1e-12) {
        const double m = k - 1.0, nu2 = N - k;
        FDistribution central(m, nu2);
        return central.Survival(nu2 * x / ((1.0 - x) * m));
    }
    if (method_ == kExact && rho2 < 1.0 && WeightsSpread(rho2, N))
        return SpreadTail(x, rho2, k, N, true);
    // The digits of a small lower tail are lost in 1 - it anyway.
    const double complement = 1.0 - LowerTail(x, false);
    if (method_ == kExact && complement < kSmallTail && OwnSideTailSummable(rho2, N))
        return SquaredMultipleCorrelationTail(x, rho2, k, N, true);
    return complement;
}

namespace {

// The quantile where the weights spread (WeightsSpread), solved in
// v = ln(1 - x), on whose scale the distribution is smooth and its bulk lies
// near ln((1 - rho^2)(N - k)/(N - 1)) whatever rho^2: from there a walk
// doubling its steps brackets the root, and the Illinois variant of the
// false position closes in with a few evaluations of the tail, where a
// bisection in x would need some forty. The tail is the one target lies in:
// P(R^2 > x) = target (upper) or P(R^2 <= x) = target. Stops where the tail
// meets target to a relative 1e-8, or x is known to a relative 1e-9 of
// itself or of 1 - x, as the bisection does.
double SpreadQuantile(MRCDistribution& d, double target, bool upper) {
    const double rho2 = d.GetParam(0), k = d.GetParam(1), N = d.GetParam(2);
    // h falls with v for the lower tail and rises for the upper one;
    // g = h - target written so that it rises with v in both cases.
    auto g = [&](double v) {
        const double x = -std::expm1(v);
        return upper ? d.Survival(x) - target : target - d.Cdf(x);
    };
    // At v = 0 (x = 0) g is positive, at kLowestV (x rounds to 1)
    // negative, for either tail.
    constexpr double kLowestV = -40.0;
    const double start = std::log((1.0 - rho2) * (N - k) / (N - 1.0));
    const double fStart = g(start);
    double a = start, fa = fStart, b = start, fb = fStart;
    // The rough standard deviation of ln(1 - R^2) as the first step.
    const double spread = std::sqrt(2.0 / (N - k) + 2.0 / (N - 1.0));
    for (double step = spread; fStart > 0.0; step *= 2.0) {
        b = a, fb = fa;
        a = std::max(kLowestV, start - step);
        fa = g(a);
        if (fa <= 0.0 || a == kLowestV) break;
    }
    for (double step = spread; fStart < 0.0; step *= 2.0) {
        a = b, fa = fb;
        b = std::min(0.0, start + step);
        fb = g(b);
        if (fb >= 0.0 || b == 0.0) break;
    }
    if (fa == 0.0) return -std::expm1(a);
    if (fb == 0.0) return -std::expm1(b);
    const double tolerance = 1e-8 * target;
    // ga and gb keep the ends' own values, which the Illinois step halves
    // in fa and fb.
    double c = b, ga = fa, gb = fb;
    int side = 0;
    for (int iteration = 0; iteration < kWalkSteps; ++iteration) {
        c = (a * fb - b * fa) / (fb - fa);
        if (!(a < c && c < b)) c = (a + b) / 2.0;
        const double fc = g(c);
        // 1 - x is e^c itself: within 1e-16 of 1, x rounds to 1 and
        // 1 - x to 0, which would pass any test of width.
        const double x = -std::expm1(c), distance = std::exp(c);
        if (std::fabs(fc) < tolerance) break;
        // An end kept twice in a row has its value halved (Illinois).
        if (fc > 0.0) {
            b = c, fb = gb = fc;
            if (side == 1) fa /= 2.0;
            side = 1;
        } else {
            a = c, fa = ga = fc;
            if (side == -1) fb /= 2.0;
            side = -1;
        }
        if ((b - a) * distance <= 1e-9 * std::min(x, distance)) break;
        // Ends on neighbouring doubles (x near 1): no x lies between them,
        // and the one whose tail is nearer target is the quantile.
        const double xa = -std::expm1(a), xb = -std::expm1(b);
        if (xa <= std::nextafter(xb, 2.0)) return std::fabs(ga) <= std::fabs(gb) ? xa : xb;
    }
    return -std::expm1(c);
}

}  // namespace

double MRCDistribution::Quantile(double prob) {
    const double rho2 = p[0], k = p[1], N = p[2];
    if (!(0.0 <= prob && prob <= 1.0) || !ParametersValid(rho2, k, N))
        Fail("MRCDist-Quantile", "input parameter out of range", QuorixError::kOutOfRange);
    if (prob == 0.0) return 0.0;
    if (prob == 1.0) return 1.0;
    const double m = k - 1.0, nu2 = N - k;
    if (rho2 < 1e-12) return CentralR2(m, nu2, prob, false);
    // A population correlation of one puts all mass at R^2 = 1; any rho^2
    // short of it spreads its weights and is solved like every other.
    if (rho2 == 1.0) return 1.0;
    if (method_ == kExact && N > k && WeightsSpread(rho2, N))
        return prob > 0.5 ? SpreadQuantile(*this, 1.0 - prob, true)
                          : SpreadQuantile(*this, prob, false);

    // A lower tail below kSmallTail is summed again from its own side only
    // where prob is that small too: against a larger prob its absolute
    // 1e-12 decides every comparison below the same way.
    const bool smallTailDigits = prob < 2.0 * kSmallTail;
    auto cdf = [&](double x) { return LowerTail(x, smallTailDigits); };
    // Walk out from rho^2 until the bracket holds prob, each point passed
    // becoming the other end: down by halving, and below 1e-10 by factors
    // of 1e4, so that a quantile of 1e-53 is bracketed within a factor of
    // 1e4 by some forty steps; up by halving the distance to 1, since with
    // N - k = 1 the upper tail thins like sqrt(1 - x) and a prob of
    // 1 - 1e-7 already lies within 1e-14 of 1. Cdf(0) = 0 and Cdf(1) = 1, so
    // a walk that runs out of steps falls back to that end.
    double lo = rho2, hi = rho2;
    if (cdf(rho2) > prob) {
        for (int steps = 0;; ++steps) {
            hi = lo;
            lo = lo > 1e-10 ? lo / 2.0 : lo * 1e-4;
            if (steps == kWalkSteps || lo < 1e-300) {
                lo = 0.0;
                break;
            }
            if (!(cdf(lo) > prob)) break;
        }
    } else {
        for (int steps = 0;; ++steps) {
            lo = hi;
            hi += (1.0 - hi) / 2.0;
            if (steps == kWalkSteps || hi >= 1.0) {
                hi = 1.0;
                break;
            }
            if (!(cdf(hi) < prob)) break;
        }
    }

    // The interval closes in relative to the quantile itself, or to its
    // distance from 1 where that is smaller: a critical R^2 near 1e-4 would
    // keep only four digits of an absolute 1e-8, one near 1 - 1e-14 none.
    // The halvings are bounded, since a quantile far below 1e-100 is 0 to
    // every output, and end where the doubles do.
    const double nearer = std::min(prob, 1.0 - prob);
    const bool smallTail = nearer < kSmallTail;
    const double probTolerance =
        (smallTail ? kSmallTailProbTolerance : kQuantileProbTolerance) * nearer;
    const double width = smallTail ? kSmallTailWidth : kQuantileWidth;
    double mid = lo;
    int halvings = 0;
    do {
        // Halved on the log scale while the ends lie far apart.
        mid = lo > 0.0 && hi > 2.0 * lo ? std::sqrt(lo) * std::sqrt(hi) : (lo + hi) / 2.0;
        if (mid <= lo || mid >= hi) break;
        const double f = cdf(mid);
        // Relative to the nearer tail, so that a small prob is not met by
        // any point whose probability is merely below 1e-8.
        if (std::fabs(f - prob) < probTolerance) break;
        if (prob < f)
            hi = mid;
        else
            lo = mid;
    } while (hi - lo > width * std::min(hi, 1.0 - lo) && ++halvings < kMaxQuantileHalvings);
    return mid;
}

double MRCDistribution::UpperQuantile(double q) {
    const double rho2 = p[0], k = p[1], N = p[2];
    if (method_ == kExact && 0.0 < q && q < 0.5 && ParametersValid(rho2, k, N) && N > k &&
        !(rho2 < 1e-12) && WeightsSpread(rho2, N))
        return SpreadQuantile(*this, q, true);
    // An upper tail below kSmallTail, where 1 - q keeps few digits, from
    // the survival function itself, to the digits of a small tail.
    if (method_ == kExact && !(rho2 < 1e-12) && 0.0 < q && q < kSmallTail &&
        ParametersValid(rho2, k, N) && N > k && OwnSideTailSummable(rho2, N)) {
        double lo = rho2, hi = rho2;
        while (hi < 1.0 && Survival(hi) > q) hi += (1.0 - hi) / 2.0;
        while (lo > 0.0 && Survival(lo) < q) lo /= 2.0;
        double mid = lo;
        for (int halvings = 0; halvings < kMaxQuantileHalvings; ++halvings) {
            mid = (lo + hi) / 2.0;
            if (mid <= lo || mid >= hi) break;
            const double f = Survival(mid);
            if (std::fabs(f - q) < kSmallTailProbTolerance * q) break;
            if (f > q)
                lo = mid;
            else
                hi = mid;
            if (hi - lo <= kSmallTailWidth * std::min(hi, 1.0 - lo)) break;
        }
        return mid;
    }
    if (!(rho2 < 1e-12) || !(0.0 < q && q < 0.5) || !ParametersValid(rho2, k, N))
        return Quantile(1.0 - q);
    return CentralR2(k - 1.0, N - k, q, true);
}

// R^2 = f / (f + nu2/m) of the F quantile f with m and nu2 df. An F quantile
// beyond the driver's search bound of 1e100 is an R^2 that rounds to 1: with
// nu2 = 1 the upper tail of R^2 thins like the root of 1 - x, so an alpha
// below some 1e-8 has its critical value within 1e-16 of 1 already.
double MRCDistribution::CentralR2(double m, double nu2, double prob, bool upper) {
    FDistribution central(m, nu2);
    double f = 0.0;
    try {
        f = upper ? central.UpperQuantile(prob) : central.Quantile(prob);
    } catch (const QuorixError& e) {
        if (e.GetCode() != QuorixError::kAboveUpperBound) throw;
        return 1.0;
    }
    return f / (f + nu2 / m);
}

double MRCRoot::Evaluate(double x) {
    if (mode == 0) return target - distribution.Cdf(x);
    // The family rises stochastically with rho^2, so the quantile p equals
    // target exactly where P(R^2 <= target) = p: one tail at target instead
    // of a quantile search at every step. The tail each limit is read from
    // is the small one, which keeps its digits where 1 - p rounds.
    distribution.SetParam(0, x);
    if (mode == 1) return alpha / 2.0 - distribution.Survival(target);
    return distribution.Cdf(target) - alpha / 2.0;
}

namespace {

// Brackets the rho^2 at which root's quantile equals its target, starting
// from start: the quantile grows with rho^2 (root's value falls), so rho^2
// shrinks by a factor 1.6 while the quantile lies above the target and
// otherwise moves half way towards 1.
void BracketRho(MRCRoot& root, double start, double* lo, double* hi) {
    double rho2 = start;
    *lo = *hi = rho2;
    double value = root.Evaluate(rho2);
    if (value < 0.0) {
        for (int steps = 0; value < 0.0; ++steps) {
            if (steps == kWalkSteps)
                Fail("MRCDist-SolveRhoInterval", "failed to converge", QuorixError::kNoConvergence);
            *hi = rho2;
            rho2 /= 1.6;
            value = root.Evaluate(rho2);
        }
        *lo = rho2;
    } else {
        for (int steps = 0; value > 0.0; ++steps) {
            if (steps == kWalkSteps)
                Fail("MRCDist-SolveRhoInterval", "failed to converge", QuorixError::kNoConvergence);
            *lo = rho2;
            rho2 += (1.0 - rho2) / 2.0;
            value = root.Evaluate(rho2);
        }
        *hi = rho2;
    }
}

}  // namespace

void MRCDistribution::SolveRhoInterval(double r2, double alpha, double* q, double* lower,
                                       double* upper) {
    if (!(0.0 <= r2 && r2 < 1.0) || !(0.0 < alpha && alpha < 1.0))
        Fail("MRCDist-SolveRhoInterval", "input parameter out of range", QuorixError::kOutOfRange);
    MRCDistribution null(0.0, p[1], p[2]);
    *q = null.Quantile(alpha / 2.0);
    const double c = null.Quantile(1.0 - alpha / 2.0);
    if (*q > r2) {
        *lower = *upper = 0.0;
        return;
    }
    MRCDistribution solved(0.0, p[1], p[2]);
    solved.SetMethod(method_);
    MRCRoot root(solved, r2, alpha, 1);
    auto solve = [&](int mode, double lo, double hi, int maxit) {
        root.mode = mode;
        const double x = root.Solve(lo, hi, 1e-8, maxit);
        if (root.status != Root::kConverged)
            Fail("MRCDist-SolveRhoInterval", "failed to converge", QuorixError::kNoConvergence);
        return x;
    };

    double lo = 0.0, hi = 0.0;
    if (r2 > c) {
        root.mode = 1;
        BracketRho(root, r2, &lo, &hi);
        *lower = solve(1, lo, hi, 10000);
    } else {
        *lower = 0.0;
    }
    root.mode = 2;
    BracketRho(root, r2 > c ? r2 : c, &lo, &hi);
    *upper = solve(2, lo, hi, 1000);
}
