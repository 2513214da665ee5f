#include "distributions/t.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "numerics/cdf_drivers.h"
#include "numerics/cephes.h"
#include "numerics/cumulative.h"
#include "numerics/incomplete_beta.h"
#include "numerics/saddle_point.h"
#include "numerics/special_functions.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.14159265358979323846;

// I_x(a, b), or its complement, with y = 1 - x given separately.
double IncompleteBeta(double a, double b, double x, double y, bool complement) {
    double w = 0.0, w1 = 0.0;
    int ierr = 0;
    bratio(&a, &b, &x, &y, &w, &w1, &ierr);
    return complement ? w1 : w;
}

// ln Gamma(x + d) - ln Gamma(x) for x > 0 without the cancellation of two
// large log-gammas: from x = 10 on by Stirling's series, whose leading
// terms combine into (x - 1/2) ln(1 + d/x) + d ln(x + d) - d.
double LogGammaRatio(double x, double d) {
    if (x < 10.0 || x + d < 10.0) return LogGamma(x + d) - LogGamma(x);
    return (x - 0.5) * std::log1p(d / x) + d * std::log(x + d) - d + lgammacor(x + d) -
           lgammacor(x);
}

// P(T <= -a) for a > 0 and delta > 0, the tail on the far side of 0:
// P(Z + delta <= -a sqrt(V/nu)) = integral over w > 0 of
// phi(delta + w) P(chi-square(nu) <= nu w^2 / a^2) dw (w = -Z - delta), all
// terms positive. Composite 20-point Gauss-Legendre: geometric panels from
// 1e-12 to 1 follow the w^nu rise of the chi-square factor, panels of 1/4
// carry the normal factor to w = 40, beyond which it is below 1e-348, and
// narrow panels follow the chi-square factor's steep rise at large nu.
double FarSideLowerTail(double a, double nu, double delta) {
    // Positive nodes and weights of the 20-point Gauss-Legendre rule.
    static constexpr double kNodes[10] = {
        0.076526521133497338, 0.2277858511416451,  0.37370608871541955, 0.51086700195082713,
        0.63605368072651502,  0.7463319064601508,  0.83911697182221878, 0.91223442825132584,
        0.96397192727791381,  0.99312859918509488,
    };
    static constexpr double kWeights[10] = {
        0.15275338713072578,  0.14917298647260366,  0.14209610931838187,  0.13168863844917653,
        0.11819453196151825,  0.10193011981724026,  0.083276741576704671, 0.062672048334109443,
        0.040601429800386217, 0.017614007139153273,
    };
    const double scale = nu / (a * a);
    auto integrand = [&](double w) {
        double c = scale * w * w, df = nu, cum = 0.0, ccum = 0.0;
        cumchi(&c, &df, &cum, &ccum);
        const double z = delta + w;
        return std::exp(-0.5 * z * z) * 0.3989422804014327 * cum;
    };
    auto panel = [&](double lo, double hi) {
        const double mid = 0.5 * (lo + hi), half = 0.5 * (hi - lo);
        double s = 0.0;
        for (int i = 0; i < 10; ++i) {
            s += kWeights[i] *
                 (integrand(mid - half * kNodes[i]) + integrand(mid + half * kNodes[i]));
        }
        return s * half;
    };
    std::vector<double> cuts = {0.0};
    for (double c = 1e-12; c < 1.0; c *= 10.0) cuts.push_back(c);
    for (double c = 1.0; c <= 40.0; c += 0.25) cuts.push_back(c);
    // For large nu the chi-square factor rises as a step of width about
    // a / sqrt(2 nu) at w = a: panels of half that width across it.
    const double width = a / std::sqrt(2.0 * nu);
    if (width < 0.25) {
        for (int k = -24; k <= 24; ++k) {
            const double c = a + 0.5 * k * width;
            if (c > 0.0 && c < 40.0) cuts.push_back(c);
        }
    }
    std::sort(cuts.begin(), cuts.end());
    double total = 0.0;
    for (size_t i = 1; i < cuts.size(); ++i) {
        if (cuts[i] > cuts[i - 1]) total += panel(cuts[i - 1], cuts[i]);
    }
    return total;
}

// Status of a series that ran out of terms before its stop criterion.
constexpr int kNotConverged = 4;
// Beyond this many terms a side (|delta| near 7e5) a call would take seconds.
constexpr double kMostTerms = 2e7;

double CentralTCdf(double x, double nu, int* status, double* bound) {
    int which = 1;
    double prob = 0.0, q = 0.0;
    cdft(&which, &prob, &q, &x, &nu, status, bound);
    return prob;
}

}  // namespace

double NoncentralTCdf(double x, double nu, double delta, int* status) {
    *status = 0;
    // An undefined delta is out of range, like a df that is not positive.
    if (!(nu > 0.0) || std::isnan(delta)) {
        *status = -1;
        return 0.0;
    }
    if (std::fabs(delta) < 1e-100) {
        double bound = 0.0;
        return CentralTCdf(x, nu, status, &bound);
    }
    if (std::isnan(x)) {
        *status = -1;
        return x;
    }
    if (x == kInfinity) return 1.0;
    if (x == -kInfinity) return 0.0;

    // For x < 0, P(T <= x; delta) = 1 - P(T <= -x; -delta).
    const bool reflected = x < 0.0;
    if (reflected) {
        x = -x;
        delta = -delta;
    }
    // Wanted after a reflection: the upper tail 1 - P(T <= x). With delta > 0
    // it is summed on its own from the complementary ratios
    // J = 1 - I = I_v(nu/2, s), using sum_i P_i = 1 and sum_i Q_i = erf(delta/sqrt 2):
    // 1 - S = (1/2) sum_i (P_i Ja_i + Q_i Jb_i), all terms positive.
    const bool upper = reflected && delta > 0.0;
    const double direction = upper ? 1.0 : -1.0;  // how the ratios move as i grows
    double sum = 0.0;
    // Sum of the terms' magnitudes: with delta < 0 the even and odd terms
    // have opposite signs and their sum can cancel to far below its parts.
    double magnitude = 0.0;
    if (x > 0.0) {
        const double x2 = x * x;
        const double u = x2 / (x2 + nu);
        const double v = nu / (x2 + nu);
        const double half = nu / 2.0;
        const double h = delta * delta / 2.0;
        const double k = std::floor(h);

        // Poisson weights of the even and odd terms at the mode,
        // e^-h h^k / k! and sign(delta) e^-h h^(k+1/2) / Gamma(k + 3/2), by the
        // saddle-point form, which keeps full precision where k ln h and
        // ln Gamma(k + 1) are large and nearly cancel.
        const double pMode = dpois_raw(k, h, 0);
        const double qMode = (delta < 0.0 ? -1.0 : 1.0) * dpois_raw(k + 0.5, h, 0);
        // Incomplete beta ratios at the mode. The ratio of TOMS 708 keeps
        // full precision where nu is large (nu = 1e6 would cost the
        // log-gamma differences of a continued-fraction form 1e-10) and
        // chooses its own side of the mean.
        const double iaMode = IncompleteBeta(k + 0.5, half, u, v, upper);
        const double ibMode = IncompleteBeta(k + 1.0, half, u, v, upper);
        // I_u(s + 1, nu/2) = I_u(s, nu/2) - E(s), with
        // E(s) = u^s v^(nu/2) / (s B(s, nu/2)): the beta-term increments.
        auto increment = [&](double s) {
            double a = s, b = half, xu = u, yv = v;
            return brcomp(&a, &b, &xu, &yv) / s;
        };
        const double eaMode = increment(k + 0.5);
        const double ebMode = increment(k + 1.0);

        constexpr double kRelativeStop = 5.551115123125783e-17;
        // The Poisson weights spread over some sqrt(h) terms on each side of
        // the mode and fall to nothing some 40 of those widths away: the
        // limit grows with them, up to a cost of about a second.
        const double sd = std::sqrt(h);
        if (!(60.0 * sd <= kMostTerms)) {  // NaN too: it could not be an int below
            *status = kNotConverged;
            return 0.0;  // the sum so far: none
        }
        const int kMaxTerms = static_cast<int>(50000.0 + 60.0 * sd);
        // Every ratio lies in [0, 1], so a term is at most the weights
        // pw + |qw|, which only fall away from the mode: once they are
        // below 1e-300 the terms left add less than 1e-292 in all. (They
        // cannot be followed to 0: among the subnormal numbers a product
        // with a ratio near 1 rounds back to where it was.)
        bool converged = true;

        double pw = pMode, qw = qMode, ia = iaMode, ib = ibMode, ea = eaMode, eb = ebMode;
        int terms = 0;
        for (double i = k;; i += 1.0) {
            const double term = pw * ia + qw * ib;
            sum += term;
            magnitude += std::fabs(pw * ia) + std::fabs(qw * ib);
            ++terms;
            if (sum != 0.0 && std::fabs(term) / std::fabs(sum) <= kRelativeStop) break;
            if (pw + std::fabs(qw) < 1e-300) break;
            if (terms > kMaxTerms) {
                converged = false;
                break;
            }
            const double previousA = ia, previousB = ib;
            ia += direction * ea;
            ib += direction * eb;
            // A ratio that falls to less than half of the last keeps mostly
            // the rounding of the last; take it afresh (see below).
            if (ia < 0.5 * previousA) ia = IncompleteBeta(i + 1.5, half, u, v, upper);
            if (ib < 0.5 * previousB) ib = IncompleteBeta(i + 2.0, half, u, v, upper);
            pw *= h / (i + 1.0);
            qw *= h / (i + 1.5);
            ea *= u * (i + 0.5 + half) / (i + 1.5);
            eb *= u * (i + 1.0 + half) / (i + 2.0);
        }

        pw = pMode, qw = qMode, ia = iaMode, ib = ibMode, ea = eaMode, eb = ebMode;
        terms = 0;
        for (double i = k - 1.0; i >= 0.0; i -= 1.0) {
            pw *= (i + 1.0) / h;
            qw *= (i + 1.5) / h;
            ea *= (i + 1.5) / ((i + 0.5 + half) * u);
            eb *= (i + 2.0) / ((i + 1.0 + half) * u);
            const double previousA = ia, previousB = ib;
            ia -= direction * ea;
            ib -= direction * eb;
            // Where one ratio is far smaller than its neighbour, their
            // difference keeps only the neighbour's rounding, noise that the
            // Poisson weights would carry into a small tail: take it afresh.
            if (ia < 0.5 * previousA) ia = IncompleteBeta(i + 0.5, half, u, v, upper);
            if (ib < 0.5 * previousB) ib = IncompleteBeta(i + 1.0, half, u, v, upper);
            const double term = pw * ia + qw * ib;
            sum += term;
            magnitude += std::fabs(pw * ia) + std::fabs(qw * ib);
            ++terms;
            if (sum != 0.0 && std::fabs(term) / std::fabs(sum) <= kRelativeStop) break;
            if (pw + std::fabs(qw) < 1e-300) break;
            if (terms > kMaxTerms) {
                converged = false;
                break;
            }
        }
        // A sum cut off at the limit is no distribution function.
        if (!converged) {
            *status = kNotConverged;
            return std::clamp(sum / 2.0, 0.0, 1.0);
        }
    }
    if (upper) return std::clamp(sum / 2.0, 0.0, 1.0);
    // With delta < 0 after the reflection, 1 - (Phi(-delta) + sum/2) is formed
    // as Phi(delta) - sum/2, so that the small lower tail left of 0 is not
    // the difference of two numbers near 1.
    if (reflected) {
        const double phi = cephes::ndtr(delta);
        const double s = std::clamp(phi - sum / 2.0, 0.0, 1.0);
        // The rounding left in s is some ulps of phi and of the terms'
        // magnitudes (the terms cancel among themselves as well as against
        // phi: at delta 30 a sum of parts near 1e-23 leaves noise of 1e-36
        // for a tail of 1e-200). Where that could exceed 1e-13 of s, the
        // tail is taken as an integral of positive terms instead.
        if (100.0 * s < phi + magnitude / 2.0) return FarSideLowerTail(x, nu, -delta);
        return s;
    }
    return std::clamp(cephes::ndtr(-delta) + sum / 2.0, 0.0, 1.0);
}

double NoncentralTDensitySeries(double x, double nu, double delta, bool* converged) {
    const double x2 = x * x;
    // f0: the central density at x times e^(-delta^2/2), in logarithms.
    const double logF0 = -((nu + 1.0) / 2.0) * std::log1p(x2 / nu) -
                         0.5 * (std::log(kPi) + std::log(nu)) - delta * delta / 2.0 +
                         LogGammaRatio(nu / 2.0, 0.5);
    const double logC1 = LogGammaRatio((nu + 1.0) / 2.0, 0.5) + std::log(delta) +
                         0.5 * std::log(2.0) - 0.5 * std::log(nu + x2);
    double sum =
        std::exp(logF0) + (x < 0.0 ? -1.0 : 1.0) * std::exp(logF0 + logC1 + std::log(std::fabs(x)));
    *converged = true;
    const double q = x2 * delta * delta / (nu + x2);
    if (q < 2.220446049250313e-14) return std::max(sum, 0.0);

    // Coefficient of term j + 2 = coefficient of term j * (nu + j + 1) q / ((j + 1)(j + 2)),
    // carried as logarithms; even and odd terms alternate.
    const double tol = std::pow(1e-40, 0.75);
    const double logQ = std::log(q);
    // The odd terms are carried with their factor |x| inside the logarithm,
    // so that at large |x| the coefficient alone cannot underflow.
    const double sign = x < 0.0 ? -1.0 : 1.0;
    // The logarithms climb from about -delta^2/2 by thousands of small
    // increments at large delta; each is added with its rounding error kept
    // (compensated summation), so that the terms near the peak keep the
    // accuracy of their starting value instead of gathering an ulp of
    // delta^2/2 per step.
    struct CompensatedLog {
        double hi, lo;
        void Add(double v) {
            const double t = hi + v;
            lo += std::fabs(hi) >= std::fabs(v) ? (hi - t) + v : (v - t) + hi;
            hi = t;
        }
        double Value() const { return hi + lo; }
    };
    CompensatedLog logEvenSum{logF0, 0.0};
    CompensatedLog logOddSum{logF0 + logC1 + std::log(std::fabs(x)), 0.0};
    double jEven = 0.0;
    double jOdd = 1.0;
    int counter = 1;
    bool even = true;
    bool done = false;
    while (counter < 100000) {
        // The size of the term just added; convergence is judged on it (the
        // odd coefficient without its x would pass the test far too early
        // at large |x|).
        double size;
        if (even) {
            logEvenSum.Add(std::log(nu + jEven + 1.0) + logQ -
                           std::log((jEven + 1.0) * (jEven + 2.0)));
            jEven += 2.0;
            size = std::exp(logEvenSum.Value());
            sum += size;
        } else {
            logOddSum.Add(std::log(nu + jOdd + 1.0) + logQ - std::log((jOdd + 1.0) * (jOdd + 2.0)));
            jOdd += 2.0;
            size = std::exp(logOddSum.Value());
            sum += sign * size;
        }
        ++counter;
        even = !even;
        if (size > 0.0 && size < std::fabs(sum) && std::fabs(size / sum) < tol) {
            done = true;
            break;
        }
    }
    *converged = done;
    // Left of 0 the odd terms cancel the even ones, leaving rounding noise of
    // the size of the largest term. There the series is f0 E[exp(y sqrt(G))]
    // with y < 0 and G a gamma variable, so the density lies in [0, f0].
    if (x < 0.0) return std::clamp(sum, 0.0, std::exp(logF0));
    return std::max(sum, 0.0);
}

double NoncentralTDensityDifference(double x, double nu, double delta) {
    if (std::fabs(x) < 0.001) {
        bool converged = true;
        return NoncentralTDensitySeries(x, nu, delta, &converged);
    }
    // Each distribution function is taken on the side where it is computed
    // directly, so a small tail keeps its digits.
    const double y = x * std::sqrt((nu + 2.0) / nu);
    TDistribution wider(nu + 2.0, delta, false);
    TDistribution plain(nu, delta, false);
    const double f2 = plain.Cdf(x);
    if (x > 0.0 && f2 > 0.5) {
        // Above the median both distribution functions are near 1 and their
        // difference keeps only their rounding (nothing at all once both
        // round to 1): take the difference of the upper tails instead,
        // P(T > x) = P(-T < -x) with -T noncentral t of noncentrality -delta.
        TDistribution widerMirror(nu + 2.0, -delta, false);
        TDistribution plainMirror(nu, -delta, false);
        return std::max(0.0, (nu / x) * (plainMirror.Cdf(-x) - widerMirror.Cdf(-y)));
    }
    // (0.0 first: a difference of -0.0 is returned as 0.)
    return std::max(0.0, (nu / x) * (wider.Cdf(y) - f2));
}

double NoncentralTQuantile(double prob, double nu, double delta, int* status) {
    *status = 0;
    if (!(0.0 <= prob && prob <= 1.0)) {
        *status = -1;
        return std::numeric_limits<double>::quiet_NaN();
    }
    if (prob == 0.0) return -kInfinity;
    if (prob == 1.0) return kInfinity;

    const double tol = std::sqrt(2.220446049250313e-16);
    double x0 = delta;
    if (std::fabs(delta) * tol >= 1.0) return x0;
    // A distribution function whose series ran out of terms fails the search.
    bool failed = false;
    auto cdf = [&](double x) {
        int st = 0;
        const double f = NoncentralTCdf(x, nu, delta, &st);
        if (st == kNotConverged) failed = true;
        return f;
    };
    double f0 = cdf(x0);
    if (failed) {
        *status = kNotConverged;
        return x0;
    }

    // Step sign: the density is taken with delta > 0 by reflection.
    auto density = [&](double x) {
        return delta < 0.0 ? NoncentralTDensityDifference(-x, nu, -delta)
                           : NoncentralTDensityDifference(x, nu, delta);
    };

    // The last move is judged relative to the scale of x0 (at least 1):
    // an absolute 1.5e-8 can never be met where the quantile lies at 1e9
    // or beyond, as it does for small nu.
    double lastStep = 1.0;
    int steps = 0;
    while (std::fabs(lastStep) > tol * std::max(1.0, std::fabs(x0)) && steps < 1000) {
        ++steps;
        const double d = f0 - prob;
        double step = d / density(x0);
        // A vanishing density far out in a tail gives no usable Newton step;
        // the widest allowed move stands in for it.
        const double reach = 5.0 * std::max(std::fabs(x0), 1.0);
        if (!std::isfinite(step)) step = d > 0.0 ? reach : -reach;
        double x1 = std::clamp(x0 - step, -reach, reach);
        double f1 = cdf(x1);
        // (At most 200 halvings: among subnormal numbers the midpoint can
        // stop moving before the relative test is met.)
        for (int halvings = 0;
             halvings < 200 && std::fabs(f1 - prob) > std::fabs(d) * (1.0 + tol) &&
             std::fabs(x1 - x0) > std::fabs(x0) * tol;
             ++halvings) {
            x1 = (x0 + x1) / 2.0;
            f1 = cdf(x1);
        }
        if (failed) {
            *status = kNotConverged;
            return x0;
        }
        // No move reduces the error: x0 is as close as the rounding of the
        // distribution function lets any point come.
        if (std::fabs(f1 - prob) > std::fabs(d) * (1.0 + tol)) break;
        lastStep = x1 - x0;
        x0 = x1;
        f0 = f1;
        if (std::fabs(step) <= std::fabs(x0) * tol) break;
    }
    // Far in a tail the steps can run out of doubles (an answer beyond
    // them, or a distribution function that no longer resolves prob) and
    // end on an infinite x or one whose probability is not prob: a failure,
    // never an answer.
    if ((steps >= 1000 || !std::isfinite(x0)) && std::fabs(f0 - prob) / prob > 1e-7) *status = 1;
    if (!std::isfinite(x0)) *status = 1;
    return x0;
}

double TDistribution::Cdf(double x) {
    const double delta = p[0];
    double nu = p[1];
    if (std::fabs(delta) < 1e-100) {
        int status = 0;
        double bound = 0.0;
        const double prob = CentralTCdf(x, nu, &status, &bound);
        ThrowDriverStatus("TDist-Cdf", status, bound, prob);
        return prob;
    }
    int status = 0;
    const double prob = NoncentralTCdf(x, nu, delta, &status);
    if (status == kNotConverged) {
        throw QuorixError("TDist-Cdf: failed to converge", QuorixError::kNoConvergence, prob);
    }
    ThrowDriverStatus("TDist-Cdf", status, 0.0, prob);
    return prob;
}

double TDistribution::Quantile(double prob) {
    const double delta = p[0];
    double nu = p[1];
    int which = 2, status = 0;
    double q = 1.0 - prob, x = 0.0, bound = 0.0;
    if (std::fabs(delta) < 1e-100) {
        cdft(&which, &prob, &q, &x, &nu, &status, &bound);
    } else if (nu >= 1e7) {
        double mean = delta, sd = 1.0;
        cdfnor(&which, &prob, &q, &x, &mean, &sd, &status, &bound);
    } else {
        if (!(nu > 0.0)) {
            status = -1;
        } else {
            x = NoncentralTQuantile(prob, nu, delta, &status);
        }
    }
    if (status == kNotConverged) {
        throw QuorixError("TDist-Quantile: failed to converge", QuorixError::kNoConvergence, x);
    }
    ThrowDriverStatus("TDist-Quantile", status, bound, x);
    return x;
}

double TDistribution::Pdf(double x) {
    double delta = p[0];
    const double nu = p[1];
    if (nu > 1e7) {
        if (std::fabs(delta - x) > 100.0) return 0.0;
        return std::exp(-(x - delta) * (x - delta) / 2.0) / std::sqrt(8.0 * std::atan(1.0));
    }
    if (std::fabs(delta) < 1e-100) return CentralTDensity(x, nu, 0);
    if (delta < 0.0) {
        x = -x;
        delta = -delta;
    }
    if (method_) return NoncentralTDensityDifference(x, nu, delta);
    bool converged = true;
    const double sum = NoncentralTDensitySeries(x, nu, delta, &converged);
    if (converged) return sum;
    // The series peaks near term delta^2 x^2 / (nu + x^2), beyond its term
    // limit from delta of about 316 on; its partial sum there is no density
    // (at the mode it is 0), but the difference form still is.
    const double fallback = NoncentralTDensityDifference(x, nu, delta);
    if (std::isfinite(fallback)) return fallback;
    throw QuorixError("TDist-Pdf: failed to converge", QuorixError::kNoConvergence, sum);
}

double TDistribution::GetMean() {
    const double delta = p[0];
    const double nu = p[1];
    if (!(nu > 1.0)) {
        throw QuorixError("TDist-GetMean: input parameter out of range", QuorixError::kOutOfRange,
                          1.0);
    }
    return delta * std::sqrt(nu / 2.0) * std::exp(-LogGammaRatio((nu - 1.0) / 2.0, 0.5));
}

double TDistribution::GetVariance() {
    const double delta = p[0];
    const double nu = p[1];
    if (!(nu > 2.0)) {
        throw QuorixError("TDist-GetVariance: input parameter out of range",
                          QuorixError::kOutOfRange, 2.0);
    }
    const double ratio = std::exp(-2.0 * LogGammaRatio((nu - 1.0) / 2.0, 0.5));
    return (delta * delta + 1.0) * nu / (nu - 2.0) - delta * delta * (nu / 2.0) * ratio;
}
