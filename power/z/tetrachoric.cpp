#include "power/z/tetrachoric.h"

#include <gsl/gsl_integration.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>

#include "distributions/normal.h"
#include "numerics/quorix_error.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMaxIterations = 1000;
constexpr double kTolerance = 1e-10;
constexpr double kSeriesLimit = 0.95;
constexpr double kMaxR = 0.9999;

double Phi(double x) {
    NormalDistribution n(0.0, 1.0);
    return n.Cdf(x);
}

double PhiInverse(double p) {
    NormalDistribution n(0.0, 1.0);
    return n.Quantile(p);
}

double Density(double x) {
    return std::exp(-0.5 * x * x) / std::sqrt(2.0 * kPi);
}

double BivariateDensity(double h, double k, double r) {
    const double s = std::sqrt(1.0 - r * r);
    return std::exp(-(h * h - 2.0 * r * h * k + k * k) / (2.0 * s * s)) / (2.0 * kPi * s);
}

// The tetrachoric series P(r) = p_r p_c + phi(h) phi(k) sum_j r^j/j!
// H_{j-1}(h) H_{j-1}(k) and its derivative; `terms` is the index reached.
struct Series {
    double value = 0.0;
    double derivative = 0.0;
    int terms = 0;
};

Series EvaluateSeries(double r, double h, double k, double base) {
    Series s;
    // d_j = phi(h) phi(k) r^(j-1)/(j-1)!, carried from term to term; the
    // Hermite values are scaled down together with it scaled up, so that
    // their products keep their value where each alone would leave the
    // range of doubles.
    double d = Density(h) * Density(k);
    double hPrev = 0.0, hCur = 1.0, kPrev = 0.0, kCur = 1.0;  // H_{j-2}, H_{j-1}
    double sum = 0.0, derivative = 0.0;
    int small = 0;
    int j = 1;
    for (;; ++j) {
        const double hermite = hCur * kCur;
        const double dTerm = d * hermite;
        const double term = dTerm * r / j;
        sum += term;
        derivative += dTerm;
        small = std::fabs(term) <= 1e-12 ? small + 1 : 0;
        if (small >= 2 && j >= 5) break;
        if (j > 100000) break;
        // Next: H_j(x) = x H_{j-1}(x) - (j - 1) H_{j-2}(x); d_{j+1} = d_j r/j.
        const double hNext = h * hCur - (j - 1) * hPrev;
        const double kNext = k * kCur - (j - 1) * kPrev;
        hPrev = hCur;
        hCur = hNext;
        kPrev = kCur;
        kCur = kNext;
        d *= r / j;
        if (d != 0.0 && std::fabs(d) <= 1e-80) {
            d /= 1e-80;
            hPrev *= 1e-40;
            hCur *= 1e-40;
            kPrev *= 1e-40;
            kCur *= 1e-40;
        }
        if (d == 0.0 && r == 0.0 && j >= 5) break;
    }
    s.value = base + sum;
    s.derivative = derivative;
    s.terms = j + 1;
    return s;
}

// P(X <= h, Y > k) at r by the 32-point Gauss-Legendre rule on [k, 5].
double UpperCell(double r, double h, double k) {
    static const std::unique_ptr<gsl_integration_glfixed_table,
                                 decltype(&gsl_integration_glfixed_table_free)>
        table(gsl_integration_glfixed_table_alloc(32), &gsl_integration_glfixed_table_free);
    const double s = std::sqrt(1.0 - r * r);
    const double mid = (k + 5.0) / 2.0, half = (5.0 - k) / 2.0;
    double sum = 0.0;
    for (size_t i = 0; i < 32; ++i) {
        double x = 0.0, w = 0.0;
        gsl_integration_glfixed_point(-1.0, 1.0, i, &x, &w, table.get());
        const double y = mid + half * x;
        const double arg = (h - r * y) / s;
        if (arg < -30.0) continue;
        sum += w * Phi(arg) * std::exp(-0.5 * y * y) / std::sqrt(2.0 * kPi);
    }
    return half * sum;
}

}  // namespace

TetrachoricEstimate EstimateTetrachoricR(double a, double b, double c, double d) {
    TetrachoricEstimate e;
    if (!(a >= 0.0 && b >= 0.0 && c >= 0.0 && d >= 0.0)) {
        e.fault = 2;
        return e;
    }
    int zeroClass = 1;
    if (a == 0.0 || d == 0.0) zeroClass = 2;
    if (b == 0.0 || c == 0.0) zeroClass += 2;
    if (zeroClass == 4) {
        e.fault = 2;
        return e;
    }
    double shift = 0.0;
    bool fixed = false;
    double r = 0.0;
    if (zeroClass == 2) {
        shift = 0.5;
        if (a == 0.0 && d == 0.0) {
            r = -1.0;
            e.method = 3;
            fixed = true;
        }
    } else if (zeroClass == 3) {
        shift = -0.5;
        if (b == 0.0 && c == 0.0) {
            r = 1.0;
            e.method = 3;
            fixed = true;
        }
    }
    const double a1 = a + shift, d1 = d + shift, b1 = b - shift, c1 = c - shift;
    const double n = a1 + b1 + c1 + d1;
    const double cross = a1 * d1 - b1 * c1;
    if (!fixed && cross == 0.0) {
        r = 0.0;
        e.method = 4;
        fixed = true;
    }
    // Positive association as it stands; otherwise the columns are swapped
    // and the sign is restored at the end.
    const bool swapped = cross < 0.0;
    const double pr = (a1 + b1) / n;
    const double pc = swapped ? (b1 + d1) / n : (a1 + c1) / n;
    const double target = swapped ? b1 / n : a1 / n;
    const double h = PhiInverse(pr);
    double k = PhiInverse(pc);

    if (!fixed) {
        if (a == d && b == c) {
            r = -std::cos(2.0 * kPi * target);
            e.method = 2;
        } else {
            int iterations = 0;
            double previousR = 0.0;
            double previousValue = pr * pc;
            bool quadrature = false;
            r = std::pow(std::sqrt(a1 * d1) - std::sqrt(b1 * c1), 2) / std::fabs(cross);
            if (r > kSeriesLimit) {
                quadrature = true;
            } else {
                for (;;) {
                    const Series s = EvaluateSeries(r, h, k, pr * pc);
                    if (std::fabs(s.value - target) <= kTolerance) {
                        e.method = s.terms;
                        break;
                    }
                    if (++iterations >= kMaxIterations) {
                        e = TetrachoricEstimate{};
                        e.fault = 1;
                        return e;
                    }
                    previousR = r;
                    previousValue = s.value;
                    double step = (s.value - target) / s.derivative;
                    if (iterations == 1) step *= 0.5;
                    r = std::clamp(r - step, 0.0, kMaxR);
                    if (r > kSeriesLimit) {
                        quadrature = true;
                        break;
                    }
                }
            }
            if (quadrature) {
                e.method = 1;
                const double target2 = swapped ? a1 / n : b1 / n;
                double previousF = pr - previousValue;
                for (;;) {
                    const double f = UpperCell(r, h, k);
                    if (std::fabs(target2 - f) <= kTolerance) break;
                    if (++iterations >= kMaxIterations) {
                        e = TetrachoricEstimate{};
                        e.fault = 1;
                        return e;
                    }
                    const double g = target2 - f, gPrev = target2 - previousF;
                    const double next =
                        std::clamp((g * previousR - gPrev * r) / (g - gPrev), 0.0, kMaxR);
                    previousR = r;
                    previousF = f;
                    if (next == r) break;
                    r = next;
                }
            }
        }
        if (zeroClass > 1) e.method = -e.method;
        if (swapped) {
            r = -r;
            k = -k;
        }
        const double s = std::sqrt(1.0 - r * r);
        const double u = Phi((h - r * k) / s) - 0.5;
        const double v = Phi((k - r * h) / s) - 0.5;
        const double q = (a1 + d1) * (b1 + c1) / 4.0 + (a1 + c1) * (b1 + d1) * u * u +
                         (a1 + b1) * (c1 + d1) * v * v + 2.0 * (a1 * d1 - b1 * c1) * u * v -
                         (a1 * b1 - c1 * d1) * u - (a1 * c1 - b1 * d1) * v;
        e.standardError =
            q < 0.0 ? 0.0 : std::sqrt(q) / (BivariateDensity(h, k, r) * std::pow(n, 1.5));
    }
    e.standardErrorAtZero = std::sqrt((a1 + b1) * (a1 + c1) * (b1 + d1) * (c1 + d1) / n) /
                            (n * n * Density(h) * Density(k));
    if (r == 0.0) e.standardError = e.standardErrorAtZero;
    e.r = r;
    return e;
}

double TetrachoricStandardError(double a, double b, double c, double d, double rho, double n) {
    const double h = PhiInverse(1.0 - (b + d));
    const double k = PhiInverse(1.0 - (c + d));
    const double s = std::sqrt(1.0 - rho * rho);
    const double u = Phi((h - rho * k) / s) - 0.5;
    const double v = Phi((k - rho * h) / s) - 0.5;
    const double q = (a + d) * (b + c) / 4.0 + (a + c) * (b + d) * v * v +
                     (a + b) * (c + d) * u * u + 2.0 * (a * d - b * c) * u * v -
                     (a * b - c * d) * v - (a * c - b * d) * u;
    if (!(q >= 0.0)) {
        throw QuorixError("TetrachoricStandardError: negative variance", QuorixError::kUnknown, q);
    }
    return std::sqrt(q) / (std::sqrt(n) * BivariateDensity(h, k, rho));
}

// ------------------------------------------------------------- the record

void TetrachoricTable::SetCounts(double a, double b, double c, double d) {
    counts[0] = a;
    counts[1] = b;
    counts[2] = c;
    counts[3] = d;
}

void TetrachoricTable::SetProportions(double a, double b, double c, double d) {
    proportions[0] = a;
    proportions[1] = b;
    proportions[2] = c;
    proportions[3] = d;
}

void TetrachoricTable::SetProportionsFromCounts(double add, bool excludeAddedFromTotal) {
    total = counts[0] + counts[1] + counts[2] + counts[3];
    double denominator = total + 4.0 * add;
    if (excludeAddedFromTotal) denominator -= 4.0 * add;
    for (int i = 0; i < 4; ++i) proportions[i] = (counts[i] + add) / denominator;
}

double TetrachoricTable::EstimateR() {
    const TetrachoricEstimate e =
        EstimateTetrachoricR(proportions[0] * total, proportions[1] * total, proportions[2] * total,
                             proportions[3] * total);
    if (e.fault != 0) {
        throw QuorixError(e.fault == 1 ? "Tetrachoric-R: no convergence"
                                       : "Tetrachoric-R: no estimate for this table",
                          e.fault == 1 ? QuorixError::kNoConvergence : QuorixError::kUnknown,
                          e.fault);
    }
    r = e.r;
    standardError = e.standardError;
    standardErrorAtZero = e.standardErrorAtZero;
    return r;
}

int TetrachoricTable::ComputeLimits(double alpha) {
    EstimateR();
    const double z = PhiInverse(alpha / 2.0);
    lowerLimit = r + z * standardError;
    upperLimit = r - z * standardError;
    return 0;
}

namespace {

struct BonettPrice {
    double omega, c, seLogOmega;
};

BonettPrice BonettPriceTerms(const double* p, double total) {
    const double a = p[0], b = p[1], c = p[2], d = p[3];
    const double m = std::min({a + b, c + d, a + c, b + d});
    return {a * d / (b * c),
            (1.0 - std::fabs((a + b) - (a + c)) / 5.0 - std::pow(0.5 - m, 2)) / 2.0,
            std::sqrt((1.0 / a + 1.0 / b + 1.0 / c + 1.0 / d) / total)};
}

double RStar(double omega, double c) {
    return std::cos(kPi / (1.0 + std::pow(omega, c)));
}

}  // namespace

double TetrachoricTable::ApproximateR() {
    const BonettPrice t = BonettPriceTerms(proportions, total);
    oddsRatio = t.omega;
    exponentC = t.c;
    approximateR = RStar(t.omega, t.c);
    const double wc = std::pow(t.omega, t.c);
    approximateStandardError =
        t.seLogOmega * t.c * kPi * wc * std::sin(kPi / (1.0 + wc)) / std::pow(1.0 + wc, 2);
    return approximateR;
}

void TetrachoricTable::ComputeApproxLimits(double alpha) {
    const BonettPrice t = BonettPriceTerms(proportions, total);
    const double z = PhiInverse(alpha / 2.0);
    approximateLowerLimit = RStar(std::exp(std::log(t.omega) + z * t.seLogOmega), t.c);
    approximateUpperLimit = RStar(std::exp(std::log(t.omega) - z * t.seLogOmega), t.c);
}
