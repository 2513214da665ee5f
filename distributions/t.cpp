#include "distributions/t.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numerics/cdf_drivers.h"
#include "numerics/cephes.h"
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

// e^x - 1 - x, given ex = e^x, by its Taylor series where ex - 1 - x would
// cancel.
double ExpRemainder(double x, double ex) {
    const double ax = std::fabs(x);
    if (ax > 0.5) return (ex - 1.0) - x;
    // 1/k, so that the series' steps multiply instead of divide.
    static constexpr double kInverse[18] = {
        0.0,     1.0,      1.0 / 2,  1.0 / 3,  1.0 / 4,  1.0 / 5,  1.0 / 6,  1.0 / 7,  1.0 / 8,
        1.0 / 9, 1.0 / 10, 1.0 / 11, 1.0 / 12, 1.0 / 13, 1.0 / 14, 1.0 / 15, 1.0 / 16, 1.0 / 17,
    };
    // x^2/2 (1 + x/3 (1 + x/4 (1 + ... (1 + x/n)))), with the terms left out
    // below 1e-17 of the sum.
    const int last = ax > 0.1 ? 17 : ax > 1e-2 ? 11 : ax > 1e-4 ? 8 : 5;
    double s = 1.0;
    for (int k = last; k >= 3; --k) s = 1.0 + s * x * kInverse[k];
    return 0.5 * x * x * s;
}

// The tail on the far side of 0, P(T <= -a) for a > 0 and delta > 0:
// P(Z + delta <= -a V/sqrt(nu)) = E[Q(delta + a V/sqrt(nu))] over the chi
// variable V, Q(z) = P(Z > z), all terms positive. With V = sqrt(nu) e^u
// the density of u is sqrt(nu/pi) e^(-stirlerr(nu/2)) e^(-(nu/2) r(2u)),
// r(x) = e^x - 1 - x, which carries none of the large cancelling logarithms
// of the chi density at large nu; the integrand
// g(u) = e^(-(nu/2) r(2u)) Q(delta + a e^u) is log-concave for every
// nu > 0 (one maximum, tails that fall at least exponentially) and an
// entire function of u.
class FarSideIntegral {
  public:
    FarSideIntegral(double a, double nu, double delta)
        : a_(a), nu_(nu), delta_(delta), halfNu_(0.5 * nu), logA_(std::log(a)) {}

    double Compute() {
        // Every term is below Q(delta).
        if (UpperNormal(delta_) == 0.0) return 0.0;
        FindMode();
        double sum = 0.0;
        if (!(sigma_ > 0.0 && sigma_ < kInfinity) || !Trapezoid(&sum)) sum = Panels();
        return std::sqrt(nu_ / kPi) * std::exp(-stirlerr(halfNu_)) * sum;
    }

  private:
    static double UpperNormal(double z) { return 0.5 * std::erfc(z / std::sqrt(2.0)); }

    // e^(x^2) erfc(x), which neither underflows nor cancels where Q does.
    static double ScaledErfc(double x) {
        int scaled = 1;
        return erfc1(&scaled, &x);
    }

    // a e^u, given e = e^u; where a is so large that the u that matter lie
    // beyond the doubles' e^u (below e^-745), as e^(u + ln a).
    double TimesA(double u, double e) const { return a_ > 1e280 ? std::exp(u + logA_) : a_ * e; }

    double LogG(double u) const {
        const double e = std::exp(u);
        const double z = delta_ + TimesA(u, e);
        return -halfNu_ * ExpRemainder(2.0 * u, e * e) +
               std::log(0.5 * ScaledErfc(z / std::sqrt(2.0))) - 0.5 * z * z;
    }

    // g(u) e^-peak, the peak taken out so that far tails of moderate size
    // keep their digits; where the peak itself is far below 1 the node is
    // formed in logarithms, so that no factor can overflow.
    double ScaledG(double u) const {
        if (peak_ < -600.0) return std::exp(LogG(u) - peak_);
        const double e = std::exp(u);
        return std::exp(-halfNu_ * ExpRemainder(2.0 * u, e * e) - peak_) *
               UpperNormal(delta_ + TimesA(u, e));
    }

    // (ln g)' and (ln g)'', with the normal hazard M = phi/Q, M' = M (M - z).
    double Slope(double u, double* curvature) const {
        const double e = std::exp(u);
        const double ae = TimesA(u, e);
        const double z = delta_ + ae;
        const double m = 0.79788456080286536 / ScaledErfc(z / std::sqrt(2.0));  // sqrt(2/pi)
        // M - z is about 1/z, and beyond z of 1e4 the difference keeps none
        // of its digits: there M' = 1 - 2/z^2 + O(z^-4).
        const double mPrime = z > 1e4 ? 1.0 - 2.0 / (z * z) : std::clamp(m * (m - z), 0.0, 1.0);
        *curvature = -2.0 * nu_ * e * e - ae * m - ae * ae * mPrime;
        return -nu_ * std::expm1(2.0 * u) - ae * m;
    }

    // (ln g)' falls from nu at -infinity through 0 to -a M(delta + a) < 0
    // at u = 0. Newton steps inside a bracket, bisecting where a step would
    // leave it or the steps shrink more slowly than halvings (far from the
    // maximum, where (ln g)' grows like e^(2u), Newton moves by halves), to
    // a hundredth of a standard deviation: the maximum only centres the
    // nodes.
    void FindMode() {
        double lo = -1.0, hi = 0.0, curvature = 0.0;
        for (int i = 0; i < 64 && Slope(lo, &curvature) <= 0.0; ++i) {
            hi = lo;
            lo *= 2.0;
        }
        mode_ = hi;
        double step = hi - lo, previousStep = step;
        for (int i = 0; i < 200; ++i) {
            const double g = Slope(mode_, &curvature);
            if (g > 0.0) {
                lo = mode_;
            } else {
                hi = mode_;
            }
            if (std::fabs(g) < 1e-2 * std::sqrt(-curvature)) break;
            double next = mode_ - g / curvature;
            previousStep = step;
            if (!(lo < next && next < hi) ||
                std::fabs(2.0 * g) > std::fabs(previousStep * curvature)) {
                next = 0.5 * (lo + hi);
            }
            step = next - mode_;
            mode_ = next;
        }
        sigma_ = 1.0 / std::sqrt(-curvature);
        peak_ = LogG(mode_);
    }

    // The trapezoidal rule over the whole line, in steps of 0.9 standard
    // deviations at the maximum and then halves of them: for an entire
    // integrand it converges geometrically, squaring its error with each
    // halving, so a change below 1e-8 between two steps leaves the finer sum
    // within about 1e-16 (a change of 1e-7 could leave 1e-12; measured). On
    // a normal integrand the first step leaves 5e-11 (a whole standard
    // deviation would leave 5e-9, too close to the limit), so near-normal
    // integrands stop at the first halving, some 41 nodes, and skewed ones
    // (small nu, where the chi factor is far from normal) one halving later. Each side ends
    // where the terms, falling faster and faster by log-concavity, leave
    // less than 1e-17 of the sum. False where the integrand spans more than
    // 40 steps on a side or the sums do not settle; *sum is then unset.
    bool Trapezoid(double* sum) {
        constexpr int kMostSteps = 40;
        const double unit = 0.9 * sigma_;
        auto node = [&](double t) { return ScaledG(mode_ + unit * t); };
        const double centre = node(0.0);
        double total = centre;
        int ends[2] = {0, 0};
        for (int side = 0; side < 2; ++side) {
            const double direction = side == 0 ? 1.0 : -1.0;
            double previous = centre;
            int k = 1;
            for (;; ++k) {
                if (k > kMostSteps) return false;
                const double value = node(direction * k);
                total += value;
                const double ratio = value / previous;
                if (value == 0.0 || (ratio < 1.0 && value <= 1e-17 * total * (1.0 - ratio))) break;
                previous = value;
            }
            ends[side] = k;
        }
        double step = 1.0, integral = total;
        for (int halvings = 0; halvings < 5; ++halvings) {
            double midpoints = 0.0;
            for (double t = -ends[1] + 0.5 * step; t < ends[0]; t += step) {
                midpoints += node(t);
            }
            const double finer = 0.5 * integral + 0.5 * step * midpoints;
            const bool settled = std::fabs(finer - integral) <= 1e-8 * finer;
            integral = finer;
            step *= 0.5;
            if (settled) {
                *sum = integral * unit * std::exp(peak_);
                return true;
            }
        }
        return false;
    }

    // Where the trapezoidal rule would need too many nodes (small nu, whose
    // left tail falls only as e^(nu u)): composite 20-point Gauss-Legendre
    // marched out from the maximum. Each panel spans a fall of ln g of
    // about 4, predicted from the slope and curvature at its inner end
    // (halved while the actual fall exceeds 6), and a side ends where the
    // tail beyond, at most g/|(ln g)'| by concavity, is below 1e-17 of the
    // sum.
    double Panels() const {
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
        constexpr double kPanelFall = 4.0;
        constexpr int kMostPanels = 200;
        auto panel = [&](double from, double to) {
            const double mid = 0.5 * (from + to), half = 0.5 * (to - from);
            double s = 0.0;
            for (int i = 0; i < 10; ++i) {
                s += kWeights[i] *
                     (ScaledG(mid - half * kNodes[i]) + ScaledG(mid + half * kNodes[i]));
            }
            return s * std::fabs(half);
        };
        double total = 0.0, curvature = 0.0;
        for (const double direction : {1.0, -1.0}) {
            double u = mode_, level = peak_;
            for (int k = 0; k < kMostPanels; ++k) {
                const double g = std::fabs(Slope(u, &curvature));
                const double c = std::fabs(curvature);
                // The width at which g w + c w^2/2 reaches the fall, in the
                // form that does not cancel for small c.
                double width = 2.0 * kPanelFall / (g + std::sqrt(g * g + 2.0 * c * kPanelFall));
                double next = LogG(u + direction * width);
                for (int halvings = 0; halvings < 60 && level - next > 1.5 * kPanelFall;
                     ++halvings) {
                    width *= 0.5;
                    next = LogG(u + direction * width);
                }
                total += panel(u, u + direction * width);
                u += direction * width;
                level = next;
                const double tail = std::exp(level - peak_) / std::fabs(Slope(u, &curvature));
                if (!(tail > 1e-17 * total)) break;
            }
        }
        return total * std::exp(peak_);
    }

    double a_, nu_, delta_, halfNu_, logA_;
    double mode_ = 0.0, sigma_ = 1.0, peak_ = 0.0;
};

double FarSideLowerTail(double a, double nu, double delta) {
    return FarSideIntegral(a, nu, delta).Compute();
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
    // With delta < 0 after the reflection (x < 0 < delta before it) the
    // series would give Phi(delta) less a sum of about its size, whose terms
    // also cancel among themselves: the tail on the far side of 0 is
    // integrated instead, from positive terms only.
    if (reflected && delta < 0.0) return FarSideLowerTail(x, nu, -delta);
    // Wanted after a reflection: the upper tail 1 - P(T <= x). With delta > 0
    // it is summed on its own from the complementary ratios
    // J = 1 - I = I_v(nu/2, s), using sum_i P_i = 1 and sum_i Q_i = erf(delta/sqrt 2):
    // 1 - S = (1/2) sum_i (P_i Ja_i + Q_i Jb_i), all terms positive.
    const bool upper = reflected;
    const double direction = upper ? 1.0 : -1.0;  // how the ratios move as i grows
    double sum = 0.0;
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
        // The median of a symmetric distribution, which the search would
        // miss by an ulp or so.
        if (prob == 0.5 && nu > 0.0) return 0.0;
        if (prob == quantileProb_ && nu == quantileDf_) return quantile_;
        const double askedProb = prob, askedDf = nu;
        cdft(&which, &prob, &q, &x, &nu, &status, &bound);
        if (status == 0) {
            quantileProb_ = askedProb;
            quantileDf_ = askedDf;
            quantile_ = x;
        }
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
