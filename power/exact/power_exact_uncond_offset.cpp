#include "power/exact/power_exact_uncond_offset.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "analysis/family_support.h"

namespace {

constexpr double kPi = 3.141592653589793;

// Gart and Nam's skewness-corrected z: the root of z = w + g (w^2 - 1)
// that tends to z as the skewness g tends to 0, written so that it has no
// zero divisor; a discriminant below 0 (no real root) is taken as 0.
double GartNam(double z, double g) {
    if (!std::isfinite(g) || g == 0.0) return z;
    const double a = std::max(1.0 + 4.0 * g * (z + g), 0.0);
    return 2.0 * (z + g) / (std::sqrt(a) + 1.0);
}

// The difference d with the continuity correction h over sd, for the side
// tested (0 upper tail, 1 lower, 2 both): the correction is -h when group 1
// shows the larger proportion and +h otherwise, and each tail tested alone
// drops the correction that would move its statistic towards it.
double Corrected(double d, double h, double sd, bool firstLarger, int side) {
    double k = firstLarger ? -1.0 : 1.0;
    if ((side == 0 && !firstLarger) || (side == 1 && firstLarger)) k = 0.0;
    return (d + k * h) / sd;
}

// Whether the pooled z against the offset delta grows with x1 over the whole
// row x2 (of m2, against m1 subjects in group 1). Its slope has the sign of
// f(x1) = 2 n2 s (N - s) - (x1 n2 - x2 n1 - delta n1 n2)(N - 2 s), s = x1 +
// x2, whose terms in x1^2 cancel: f is linear in x1, so f above 0 at both
// ends of the row holds over it. The first and last rows hold an outcome
// without pooled spread (value 0) and are not taken.
bool PooledZGrowsOverRow(int x2, int m1, int m2, double delta) {
    if (x2 <= 0 || x2 >= m2) return false;
    const double n1 = m1, n2 = m2, n = n1 + n2, y = x2;
    auto slope = [&](double x1) {
        const double s = x1 + y;
        return 2.0 * n2 * s * (n - s) - (x1 * n2 - y * n1 - delta * n1 * n2) * (n - 2.0 * s);
    };
    // A margin far above the rounding of terms of size n2 N^2.
    const double margin = 1e-9 * n2 * n * n;
    return slope(0.0) > margin && slope(n1) > margin;
}

// The range of the restricted estimate of p1 for the score statistics of
// the difference over the x1 lo..hi (of n1) of a row with proportion h2 in
// group 2: the log-likelihood along p1 - p2 = delta is concave in p1, and
// its slope is above 0 below both h1 and h2 + delta and below 0 above
// both, so the restricted maximum lies between the two (each clamped to
// the p1 allowed).
void RestrictedRange(double h2, double delta, int lo, int hi, double n1, double* a, double* b) {
    const double low = std::max(0.0, delta), high = std::min(1.0, 1.0 + delta);
    const double e2 = h2 + delta;
    *a = std::clamp(std::min(lo / n1, e2), low, high);
    *b = std::clamp(std::max(hi / n1, e2), low, high);
}

// The range of the restricted estimate t of p2 for the score statistics of
// the ratio rho over the x1 lo..hi (of n1) of the row x2 (of n2). The
// log-likelihood along p1 = rho p2 is concave in p2, its slope above 0 below
// both h1/rho and h2 and below 0 above both: t lies between the two, in
// 0..min(1, 1/rho). Its root 2 s/(k + sqrt(k^2 - 4 N rho s)), s = x1 + x2,
// k = rho n1 + x1 + n2 + rho x2, is also at least s/k.
void RatioRange(double rho, int x2, int lo, int hi, double n1, double n2, double* a, double* b) {
    const double h2 = x2 / n2, top = std::min(1.0, 1.0 / rho);
    const double least = (lo + x2) / (rho * n1 + hi + n2 + rho * x2);
    *a = std::clamp(std::max(std::min(lo / (rho * n1), h2), least), 0.0, top);
    *b = std::clamp(std::max(hi / (rho * n1), h2), 0.0, top);
}

// The H0 odds ratio psi of the score statistics of the odds ratio, and the
// proportion of group 1 at H0 odds for the proportion p of group 2, psi p/
// (psi p + 1 - p), in a form that gives 0 and 1 at the ends.
double OddsOf(double p) {
    return p / (1.0 - p);
}
double AtOdds(double psi, double p) {
    return psi * p / (psi * p + (1.0 - p));
}

}  // namespace

PowerExactUncTwoPropOffset::PowerExactUncTwoPropOffset() {
    PowerExactUncTwoPropOffset::SetStandardValues();
}

PowerAnalysis* PowerExactUncTwoPropOffset::Clone() {
    auto* copy = CloneAs<PowerExactUncTwoPropOffset>();
    CopyOptionsTo(*copy);
    return copy;
}

void PowerExactUncTwoPropOffset::SetStandardValues() {
    proportion2 = 0.5;
    proportion1 = 0.65;
    effectIndex = 0;
    effectSize = 0.65;
    nullDifference = 0.05;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
    alpha = 0.05;
    power = 0.95;
    effectDirection = -1.0;
    SetEffectFromP1();
    ratio = kStandardRatio;
}

ParameterId PowerExactUncTwoPropOffset::GetNoncentralityId() {
    static const ParameterId kIds[] = {kProportionP1H1Id, kDifferenceH1Id, kRiskRatioH1Id,
                                       kOddsRatioH1Id};
    return 0 <= effectIndex && effectIndex < 4 ? kIds[effectIndex] : 0;
}

std::vector<int> PowerExactUncTwoPropOffset::OfferedStatistics(int index) {
    switch (index) {
        case 0:
        case 1:
            return {0, 1, 2, 3, 6, 9, 7, 8};
        case 2:
            return {12, 10, 11};
        case 3:
            return {13, 14};
        default:
            return {};
    }
}

bool PowerExactUncTwoPropOffset::OffersStatistic() const {
    const std::vector<int> offered = OfferedStatistics(effectIndex);
    return std::find(offered.begin(), offered.end(), statistic) != offered.end();
}

void PowerExactUncTwoPropOffset::SelectEffectIndex(int index) {
    SetEffectIndex(index);
    const std::vector<int> offered = OfferedStatistics(index);
    if (!offered.empty() && !OffersStatistic()) SetStatistic(offered.front());
}

// ------------------------------------------------- restricted estimates

// The likelihood's maximum on p1 - p2 = delta is the middle root of a cubic
// (Farrington and Manning), taken in its trigonometric form.
void PowerExactUncTwoPropOffset::DifferenceEstimates(double x1, double n1, double x2, double n2,
                                                     double* p1, double* p2) const {
    const double delta = nullDifference;
    const double n = n1 + n2, s = x1 + x2;
    const double k = (2.0 * n1 + n2) * delta + n + s;
    const double q = n1 * delta * delta + (2.0 * x1 + n) * delta + s;
    const double v =
        (-27.0 * n * n * delta * (delta + 1.0) * x1 - 2.0 * k * k * k + 9.0 * n * k * q) /
        (54.0 * n * n * n);
    double u = std::sqrt(std::max((k * k - 3.0 * n * q) / (9.0 * n * n), 0.0));
    if (v < 0.0) u = -u;
    double t = k / (3.0 * n);
    // u = 0 is a triple root at k/(3n).
    if (u != 0.0) {
        const double c = std::clamp(v / (u * u * u), -1.0, 1.0);
        t += 2.0 * u * std::cos((std::acos(c) + kPi) / 3.0);
    }
    *p1 = std::clamp(t, std::max(0.0, delta), std::min(1.0, 1.0 + delta));
    *p2 = *p1 - delta;
}

// On p1 = rho0 p2 the maximum is the smaller root of a quadratic, written
// without the cancellation of its textbook form.
void PowerExactUncTwoPropOffset::RatioEstimates(double x1, double n1, double x2, double n2,
                                                double* p1, double* p2) const {
    const double rho = NullProportion() / proportion2;
    const double n = n1 + n2, s = x1 + x2;
    const double a = n * rho;
    const double k = rho * n1 + x1 + n2 + rho * x2;
    const double root = std::sqrt(std::max(k * k - 4.0 * a * s, 0.0));
    *p2 = 2.0 * s / (k + root);
    *p1 = rho * *p2;
}

// On the odds ratio psi0 the maximum of p2 solves a quadratic whose leading
// coefficient n2 (psi0 - 1) vanishes at psi0 = 1; the form used here has no
// zero divisor there and gives its linear root (x1 + x2)/N.
void PowerExactUncTwoPropOffset::OddsRatioEstimates(double x1, double n1, double x2, double n2,
                                                    double* p1, double* p2) const {
    const double p0 = NullProportion(), q2 = proportion2;
    const double psi = (p0 / (1.0 - p0)) / (q2 / (1.0 - q2));
    const double s = x1 + x2;
    const double a = n2 * (psi - 1.0);
    const double b = psi * n1 + n2 - (psi - 1.0) * s;
    const double root = std::sqrt(std::max(b * b + 4.0 * a * s, 0.0));
    *p2 = b >= 0.0 ? 2.0 * s / (root + b) : (root - b) / (2.0 * a);
    *p1 = psi * *p2 / (1.0 + (psi - 1.0) * *p2);
}

// ------------------------------------------------------------ statistic

double PowerExactUncTwoPropOffset::ScoreValue(int code, double x1, double n1, double x2, double n2,
                                              bool floors) {
    const double n = n1 + n2, s = x1 + x2;
    const double h1 = x1 / n1, h2 = x2 / n2;
    double t1, t2;
    if (code <= 9) {
        DifferenceEstimates(x1, n1, x2, n2, &t1, &t2);
        const double d = h1 - h2 - nullDifference;
        double v = t1 * (1.0 - t1) / n1 + t2 * (1.0 - t2) / n2;
        if (code == 8) v *= n / (n - 1.0);
        if (!(v > 0.0)) return Beyond(d);
        const double z = d / std::sqrt(v);
        if (code != 9) return z;
        const double g =
            (std::pow(v, -1.5) / 6.0) * (t1 * (1.0 - t1) * (1.0 - 2.0 * t1) / (n1 * n1) -
                                         t2 * (1.0 - t2) * (1.0 - 2.0 * t2) / (n2 * n2));
        return GartNam(z, g);
    }
    if (code <= 12) {
        // No success in either group agrees with every ratio.
        if (s <= 0.0) return 0.0;
        const double rho = NullProportion() / proportion2;
        RatioEstimates(x1, n1, x2, n2, &t1, &t2);
        const double r = h1 - rho * h2;
        double v = t1 * (1.0 - t1) / n1 + rho * rho * t2 * (1.0 - t2) / n2;
        if (code == 11) v *= n / (n - 1.0);
        double sd = std::sqrt(std::max(v, 0.0));
        if (sd < 1e-12) sd = 1e-5;
        if (floors && sd < 1e-5) sd += 1e-7;
        const double z = r / sd;
        if (code != 12) return z;
        const double g = ((1.0 - 2.0 * t1) * (1.0 - t1) / (n1 * n1 * t1 * t1) -
                          (1.0 - 2.0 * t2) * (1.0 - t2) / (n2 * n2 * t2 * t2)) /
                         (6.0 * std::pow((1.0 - t1) / (n1 * t1) + (1.0 - t2) / (n2 * t2), 1.5));
        return GartNam(z, g);
    }
    // No success, or no failure, in either group agrees with every odds
    // ratio.
    if (s <= 0.0 || s >= n) return 0.0;
    OddsRatioEstimates(x1, n1, x2, n2, &t1, &t2);
    double v = 1.0 / (n1 * t1 * (1.0 - t1)) + 1.0 / (n2 * t2 * (1.0 - t2));
    if (code == 14) v *= n / (n - 1.0);
    const double u = (h1 - t1) / (t1 * (1.0 - t1)) - (h2 - t2) / (t2 * (1.0 - t2));
    const double z = u / std::sqrt(v);
    return std::isfinite(z) ? z : 0.0;
}

double PowerExactUncTwoPropOffset::StatisticValue(int code, double x2, double x1, double n2,
                                                  double n1, double, int side) {
    if (7 <= code && code <= 14) return ScoreValue(code, x1, n1, x2, n2, true);
    const double h1 = x1 / n1, h2 = x2 / n2;
    if (code != 1 && code != 3) return SharedValue(code, x1, n1, x2, n2, h1, h2);
    const double d = h1 - h2 - nullDifference;
    // Compared as x1 n2 against x2 n1: the exact order of the proportions.
    const bool firstLarger = x1 * n2 > x2 * n1;
    // Without spread (pooled, or in either group) the outcome says nothing
    // against H0, whatever the offset makes of its difference.
    const double sd = code == 1 ? PooledSd(x1, n1, x2, n2) : UnpooledSd(h1, n1, h2, n2);
    return sd > 0.0 ? Corrected(d, (1.0 / n1 + 1.0 / n2) / 2.0, sd, firstLarger, side) : 0.0;
}

// The statistics whose numerator is the difference d = h1 - h2 - delta
// (codes 0 to 3, 7, 8) or r = h1 - rho h2 (codes 10, 11), within the
// continuity correction, over a spread that no outcome takes above its
// value at proportions of 1/2: an accepted |value| <= c keeps |d| (or |r|)
// within c times that spread, plus the correction. The t (code 6) has
// |t| >= 2 |d| sqrt((N - 2) n1 n2)/N. Values of 0 for want of spread occur
// at the corners of the table alone, which the caller adds. Codes 9 and
// 12 correct z for a skewness without a bound of its own, and the odds
// ratio's score has no such numerator: no reach for them.
bool PowerExactUncTwoPropOffset::AcceptedReach(double c, int m1, int m2, double* rho, double* shift,
                                               double* reach) const {
    const double n1 = m1, n2 = m2, n = n1 + n2;
    const double half = (1.0 / n1 + 1.0 / n2) / 2.0;
    double spread;
    *rho = 1.0;
    *shift = nullDifference;
    switch (statistic) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 7:
            spread = std::sqrt(half / 2.0);
            break;
        case 8:
            spread = std::sqrt(half / 2.0 * n / (n - 1.0));
            break;
        case 6:
            spread = n / (2.0 * std::sqrt((n - 2.0) * n1 * n2));
            break;
        case 10:
        case 11: {
            *rho = NullProportion() / proportion2;
            *shift = 0.0;
            const double v = (1.0 / n1 + *rho * *rho / n2) / 4.0;
            // The floors of the ratio's spread (below 1e-5 it is raised).
            spread = std::max(std::sqrt(statistic == 11 ? v * n / (n - 1.0) : v), 1e-5 + 1e-7);
            break;
        }
        default:
            return false;
    }
    if (!(n > 2.0) || !std::isfinite(*rho)) return false;
    const double correction = statistic == 1 || statistic == 3 ? half : 0.0;
    // Far above the rounding of the value and of the bound.
    *reach = (c * spread + correction) * (1.0 + 1e-9);
    return true;
}

// Where the x1 accepted for one x2 form an interval, for the statistics
// without the restricted estimates. With the proportion a = x2/n2 + delta of
// group 1 at which the difference d of the row vanishes, and p = x1/n1:
// - unpooled z and t (codes 2, 6): the slope of d/sd in p has the sign of
//   p (1 - a) + a (1 - p) (plus a term >= 0), so the statistic grows over
//   the whole row when 0 <= a <= 1, where d > 0 when a >= 0 and where d < 0
//   when a <= 1; a vanishing sd gives +-infinity by the sign of d, in step;
// - pooled z (code 0): the slope has the sign of 2 n2 s (N - s) - (x1 N -
//   s n1 - delta n1 n2)(N - 2 s), s = x1 + x2, which is >= 0 for delta = 0
//   over the whole row, and where d > 0 (d < 0) when delta >= 0 (<= 0);
//   the outcomes without pooled spread lie at the row's ends with value 0;
//   with any delta and either side, the rows over which it grows
//   throughout (PooledZGrowsOverRow);
// - corrected z (codes 1, 3), one tail: where the value is beyond 0 on the
//   tested side the correction is the same throughout when delta lies on
//   that side of 0 (>= 0 upper, <= 0 lower), and the value is the pooled or
//   unpooled z with the offset moved by the correction, as above. Two
//   tails flip the correction at p = x2/n2 and need not give an interval;
//   the unpooled sd also vanishes at (n1, 0) and (0, n2), which value 0
//   leaves among the accepted outcomes, so those rows are scanned too.
// Where the value grows only where it lies beyond 0, the critical value
// must not be below 0 (a one-tailed alpha above 1/2). The score statistics
// have no such proof here.
bool PowerExactUncTwoPropOffset::AcceptsAnInterval(int x2, int m1, int m2, int side, double c) {
    const double delta = nullDifference;
    const double a = static_cast<double>(x2) / m2 + delta;
    const bool upperOnly = side == 0 && c >= 0.0, lowerOnly = side == 1 && c >= 0.0;
    switch (statistic) {
        case 0:
            return delta == 0.0 || (upperOnly && delta > 0.0) || (lowerOnly && delta < 0.0) ||
                   PooledZGrowsOverRow(x2, m1, m2, delta);
        case 2:
        case 6:
            return (0.0 <= a && a <= 1.0) || (upperOnly && a >= 0.0) || (lowerOnly && a <= 1.0);
        case 1:
            return (upperOnly && delta >= 0.0) || (lowerOnly && delta <= 0.0);
        case 3:
            if (x2 == 0 || x2 == m2) return false;
            return (upperOnly && delta >= 0.0) || (lowerOnly && delta <= 0.0);
        default:
            return false;
    }
}

// The score statistics of the difference (codes 7 to 9) have z = d/sqrt(v),
// d = h1 - h2 - delta, v = t1 (1 - t1)/n1 + t2 (1 - t2)/n2 (times N/(N - 1)
// for code 8) at the restricted estimate t1 = t2 + delta, which over the
// x1 lo..hi of a row lies between the smaller and the larger of lo/n1,
// hi/n1 and h2 + delta (RestrictedRange). There v, concave in t1, is at
// least its smaller value at the ends and at most its largest value
// between them. Code 9 corrects this z for skewness (SkewOverRow). The unpooled z (code 2) and the
// t (code 6) are d over a spread that is concave in h1 alone, bounded the same way over lo..hi. The
// bounds are kept from a spread small against its rounding.
bool PowerExactUncTwoPropOffset::BoundsOverRow(int x2, int lo, int hi, int m1, int m2, double* near,
                                               double* far) {
    if (!OffersRowBounds()) return false;
    const double n1 = m1, n2 = m2, n = n1 + n2, delta = nullDifference;
    const double h2 = static_cast<double>(x2) / n2;
    double a = lo / n1, b = hi / n1, vertex = 0.5, scale = 1.0;
    std::function<double(double)> variance;
    if (statistic == 13 || statistic == 14) return OddsRatioBounds(x2, lo, hi, m1, m2, near, far);
    if (10 <= statistic && statistic <= 12) {
        // The score statistics of the ratio rho, r = h1 - rho h2 over the
        // root of v = rho t (1 - rho t)/n1 + rho^2 t (1 - t)/n2 at the
        // restricted estimate t of p2 (code 12 corrects this z for
        // skewness), t in the range of RatioRange. v is concave in t.
        // Spreads near the floors of the statistic (below 1e-5) are not
        // bounded.
        const double rho = NullProportion() / proportion2;
        RatioRange(rho, x2, lo, hi, n1, n2, &a, &b);
        if (statistic == 11) scale = n / (n - 1.0);
        variance = [=](double t) {
            return rho * t * (1.0 - rho * t) / n1 + rho * rho * t * (1.0 - t) / n2;
        };
        vertex = (1.0 / n1 + rho / n2) / (2.0 * rho * (1.0 / n1 + 1.0 / n2));
        vertex = std::clamp(vertex, a, b);
        const double vmin = scale * std::min(variance(a), variance(b));
        const double vmax = scale * std::max({variance(a), variance(b), variance(vertex)});
        if (!(vmin > 1e-9 * vmax) || !(vmin > 1e-9)) return false;
        *near = 1.0 / std::sqrt(vmax);
        *far = 1.0 / std::sqrt(vmin);
        return true;
    }
    if (statistic == 2 || statistic == 6) {
        // The unpooled z and the t depend on x1 through h1 (1 - h1) alone.
        const double w2 = statistic == 2 ? h2 * (1.0 - h2) / n2 : n2 * h2 * (1.0 - h2);
        variance = [=, this](double h) {
            return statistic == 2 ? h * (1.0 - h) / n1 + w2 : n1 * h * (1.0 - h) + w2;
        };
        // t = d sqrt((N - 2) n1 n2 / (N u)), u = n1 h1 (1 - h1) + n2 h2 (1 - h2).
        if (statistic == 6) scale = n / ((n - 2.0) * n1 * n2);
    } else {
        RestrictedRange(h2, delta, lo, hi, n1, &a, &b);
        if (statistic == 8) scale = n / (n - 1.0);
        variance = [=](double t) {
            return t * (1.0 - t) / n1 + (t - delta) * (1.0 - t + delta) / n2;
        };
        vertex = (1.0 / n1 + (1.0 + 2.0 * delta) / n2) / (2.0 / n1 + 2.0 / n2);
    }
    vertex = std::clamp(vertex, a, b);
    const double vmin = scale * std::min(variance(a), variance(b));
    const double vmax = scale * std::max({variance(a), variance(b), variance(vertex)});
    if (!(vmin > 1e-9 * vmax)) return false;
    *near = 1.0 / std::sqrt(vmax);
    *far = 1.0 / std::sqrt(vmin);
    return true;
}

// The score statistics of the odds ratio psi (codes 13, 14) have z = u/
// sqrt(v), u = (h1 - t1)/(t1 (1 - t1)) - (h2 - t2)/(t2 (1 - t2)), v = V
// (times N/(N - 1) for code 14), V = 1/(n1 t1 (1 - t1)) + 1/(n2 t2 (1 -
// t2)), at the restricted estimates t1 = f(t2), f(p) = psi p/(psi p + 1 -
// p). These maximise the likelihood with the odds ratio fixed, so their
// expected successes match the observed ones: n1 t1 + n2 t2 = s = x1 + x2.
// Then n2 (h2 - t2) = -n1 (h1 - t1) and u = n1 (h1 - t1) V, z = n1 (h1 -
// t1) sqrt(V/scale). With d = h1 - f(h2), which vanishes where the sample
// odds ratio is psi, n1 d = n1 (f(t2) - f(h2)) + n2 (t2 - h2) = (t2 - h2)
// (n2 + n1 S), S = psi/(w(t2) w(h2)) the slope of f between h2 and t2, w(p)
// = psi p + 1 - p. So z = d G(t2), G = n1 n2 sqrt(V/scale)/(n2 + n1 S):
// - t2 grows with s (the expected successes n1 f(p) + n2 p grow with p),
//   so over the x1 lo..hi it lies between its values at lo and hi;
// - V = (w^2/(n1 psi) + 1/n2)/(t (1 - t)) = C + P0/t + P1/(1 - t), P0 =
//   1/(n1 psi) + 1/n2, P1 = psi/n1 + 1/n2, C = -(psi - 1)^2/(n1 psi): convex
//   in t, largest at an end, least at t = 1/(1 + sqrt(P1/P0)) or the end
//   nearest to it;
// - S moves one way with t.
// Estimates within 1e-6 of 0 or 1, where the rounding of 1 - t1 or 1 - t2
// is no longer small against the margin of the sums, are not bounded; nor
// are H0 odds ratios below 1 so small that the closed form of t2 loses
// more than some 8 digits to cancellation under its root, whose
// discriminant is at least (n2 psi)^2 there.
bool PowerExactUncTwoPropOffset::OddsRatioBounds(int x2, int lo, int hi, int m1, int m2,
                                                 double* near, double* far) const {
    const double n1 = m1, n2 = m2, n = n1 + n2;
    const double psi = OddsOf(NullProportion()) / OddsOf(proportion2);
    if (!(psi > 0.0) || !std::isfinite(psi)) return false;
    if (psi < 1.0 && !(n2 * psi > 1e-4 * (psi * n1 + n2 + n))) return false;
    double unused = 0.0, a = 0.0, b = 0.0;
    OddsRatioEstimates(lo, n1, x2, n2, &unused, &a);
    OddsRatioEstimates(hi, n1, x2, n2, &unused, &b);
    constexpr double kEdge = 1e-6;
    if (!(a > kEdge && 1.0 - b > kEdge && AtOdds(psi, a) > kEdge &&
          (1.0 - b) / (psi * b + (1.0 - b)) > kEdge && a <= b)) {
        return false;
    }
    const double scale = statistic == 14 ? n / (n - 1.0) : 1.0;
    auto w = [psi](double t) { return psi * t + (1.0 - t); };
    auto variance = [&](double t) {
        return (w(t) * w(t) / (n1 * psi) + 1.0 / n2) / (t * (1.0 - t));
    };
    const double p0 = 1.0 / (n1 * psi) + 1.0 / n2, p1 = psi / n1 + 1.0 / n2;
    const double least = std::clamp(1.0 / (1.0 + std::sqrt(p1 / p0)), a, b);
    const double vmin = variance(least) / scale;
    const double vmax = std::max(variance(a), variance(b)) / scale;
    const double wh = w(static_cast<double>(x2) / n2);
    const double ga = n2 + n1 * psi / (w(a) * wh), gb = n2 + n1 * psi / (w(b) * wh);
    *near = n1 * n2 * std::sqrt(vmin) / std::max(ga, gb);
    *far = n1 * n2 * std::sqrt(vmax) / std::min(ga, gb);
    return std::isfinite(*near) && std::isfinite(*far) && *near > 0.0 && *near <= *far;
}

// The numerator of the bounds: the difference less the offset, for the
// score statistics of the ratio h1 - rho h2, for those of the odds ratio h1
// less the proportion of group 1 at which the sample odds ratio is psi.
double PowerExactUncTwoPropOffset::RowDifference(int x2, int x1, int m1, int m2) const {
    if (statistic < 10 || statistic > 14) {
        return PowerExactUncondTwoProp::RowDifference(x2, x1, m1, m2);
    }
    return static_cast<double>(x1) / m1 - RowCentre(x2, m2);
}

// The sums ask for the centre of one row at every outcome they screen: the
// last one is kept with what it was computed from.
double PowerExactUncTwoPropOffset::RowCentre(int x2, int m2) const {
    if (statistic < 10 || statistic > 14) return PowerExactUncondTwoProp::RowCentre(x2, m2);
    CentreKey key{x2, m2, statistic, NullProportion(), proportion2};
    if (key == centreKey_) return centre_;
    const double h2 = static_cast<double>(x2) / m2;
    centre_ = statistic <= 12 ? key.p0 / key.p2 * h2 : AtOdds(OddsOf(key.p0) / OddsOf(key.p2), h2);
    centreKey_ = key;
    return centre_;
}

// Gart and Nam's skewness of the score statistic of the difference is g =
// K(t1)/(6 v^1.5), K(t) = c(t)/n1^2 - c(t - delta)/n2^2, c(u) = u (1 - u)
// (1 - 2 u), at the restricted estimate t1. Over a row K, a cubic, is
// bounded on the range of t1 by its values at the ends and where its
// slope vanishes, and 1/(6 v^1.5) by the bounds on v: g lies between the
// products of the two ranges, widened far beyond their rounding.
bool PowerExactUncTwoPropOffset::SkewOverRow(int x2, int lo, int hi, int m1, int m2, double* gLo,
                                             double* gHi) {
    if (statistic == 12) return RatioSkewOverRow(x2, lo, hi, m1, m2, gLo, gHi);
    if (statistic != 9) return PowerExactUncondTwoProp::SkewOverRow(x2, lo, hi, m1, m2, gLo, gHi);
    double nearScale = 0.0, farScale = 0.0;
    if (!BoundsOverRow(x2, lo, hi, m1, m2, &nearScale, &farScale)) return false;
    const double n1 = m1, n2 = m2, delta = nullDifference, e = 1.0 / (n1 * n1), f = 1.0 / (n2 * n2);
    double a = 0.0, b = 0.0;
    RestrictedRange(static_cast<double>(x2) / n2, delta, lo, hi, n1, &a, &b);
    auto cubic = [](double u) { return u * (1.0 - u) * (1.0 - 2.0 * u); };
    auto k = [&](double t) { return e * cubic(t) - f * cubic(t - delta); };
    double kLo = std::min(k(a), k(b)), kHi = std::max(k(a), k(b));
    auto take = [&](double t) {
        if (!(a < t && t < b)) return;
        kLo = std::min(kLo, k(t));
        kHi = std::max(kHi, k(t));
    };
    // K'(t) = qa t^2 + qb t + qc.
    const double qa = 6.0 * (e - f), qb = -6.0 * e + 12.0 * f * delta + 6.0 * f,
                 qc = e - f * (6.0 * delta * delta + 6.0 * delta + 1.0);
    const double disc = qb * qb - 4.0 * qa * qc;
    if (qa == 0.0) {
        if (qb != 0.0) take(-qc / qb);
    } else if (disc >= 0.0) {
        const double q = -0.5 * (qb + std::copysign(std::sqrt(disc), qb));
        take(q / qa);
        if (q != 0.0) take(qc / q);
    }
    const double wLo = nearScale * nearScale * nearScale / 6.0,
                 wHi = farScale * farScale * farScale / 6.0;
    const double slack = 1e-9 * (std::max(std::fabs(kLo), std::fabs(kHi)) + e + f) * wHi;
    *gLo = std::min(kLo * wLo, kLo * wHi) - slack;
    *gHi = std::max(kHi * wLo, kHi * wHi) + slack;
    return std::isfinite(*gLo) && std::isfinite(*gHi);
}

// Gart and Nam's skewness of the score statistic of the ratio rho is g =
// K/(6 W^1.5) at the restricted estimates t1 = rho t, t2 = t, with K = (1 -
// 2 t1)(1 - t1)/(n1 t1)^2 - (1 - 2 t2)(1 - t2)/(n2 t2)^2 and W = (1 - t1)/
// (n1 t1) + (1 - t2)/(n2 t2), t in the range of RatioRange. In y = 1/t, K
// = (y^2/rho^2 - 3 y/rho + 2)/n1^2 - (y^2 - 3 y + 2)/n2^2 is a quadratic,
// bounded by its values at the ends and at its vertex, and W = (1/(n1 rho)
// + 1/n2) y - (1/n1 + 1/n2) falls with t. g lies between the products of
// the two ranges, widened far beyond their rounding. A W that nearly
// vanishes (both estimates near 1) is not bounded.
bool PowerExactUncTwoPropOffset::RatioSkewOverRow(int x2, int lo, int hi, int m1, int m2,
                                                  double* gLo, double* gHi) {
    const double n1 = m1, n2 = m2, rho = NullProportion() / proportion2;
    double a = 0.0, b = 0.0;
    RatioRange(rho, x2, lo, hi, n1, n2, &a, &b);
    if (!(a > 0.0 && a <= b)) return false;
    const double e = 1.0 / (n1 * n1), f = 1.0 / (n2 * n2);
    auto k = [&](double t) {
        const double t1 = rho * t;
        return (1.0 - 2.0 * t1) * (1.0 - t1) * e / (t1 * t1) -
               (1.0 - 2.0 * t) * (1.0 - t) * f / (t * t);
    };
    auto spread = [&](double t) {
        const double t1 = rho * t;
        return (1.0 - t1) / (n1 * t1) + (1.0 - t) / (n2 * t);
    };
    if (!(spread(b) > 1e-6 * (1.0 / (n1 * rho) + 1.0 / n2) / b) || !std::isfinite(spread(a))) {
        return false;
    }
    // The vertex of K in t, if any.
    const double qa = e / (rho * rho) - f, qb = 3.0 * (e / rho - f);
    const double vertex = qa != 0.0 && qb != 0.0 ? 2.0 * qa / qb : -1.0;
    // K and W vary most where t is small: the range is cut into pieces of
    // equal ratio, each bounded as above, so that the product of the two
    // ranges stays close to g.
    constexpr int kPieces = 8;
    const double step = std::pow(b / a, 1.0 / kPieces);
    double u = a, ku = k(a), wu = spread(a);
    double lowest = HUGE_VAL, highest = -HUGE_VAL;
    for (int i = 0; i < kPieces; ++i) {
        const double v = i + 1 == kPieces ? b : u * step;
        const double kv = k(v), wv = spread(v);
        double kLo = std::min(ku, kv), kHi = std::max(ku, kv);
        if (u < vertex && vertex < v) {
            kLo = std::min(kLo, k(vertex));
            kHi = std::max(kHi, k(vertex));
        }
        // W^-1.5 / 6 at the ends: W falls with t.
        const double wLo = 1.0 / (6.0 * wu * std::sqrt(wu)), wHi = 1.0 / (6.0 * wv * std::sqrt(wv));
        const double slack = 1e-9 * (std::max(std::fabs(kLo), std::fabs(kHi)) + e + f) * wHi;
        lowest = std::min(lowest, std::min(kLo * wLo, kLo * wHi) - slack);
        highest = std::max(highest, std::max(kHi * wLo, kHi * wHi) + slack);
        u = v;
        ku = kv;
        wu = wv;
    }
    *gLo = lowest;
    *gHi = highest;
    return std::isfinite(*gLo) && std::isfinite(*gHi);
}

// The moments of the score statistics at the expected counts p n1 and
// p2 n2.
StatisticMoments PowerExactUncTwoPropOffset::GetStatisticMoments(double p, double, double n1,
                                                                 double n2) {
    StatisticMoments m = SharedMoments(statistic, p, n1, n2);
    if (!(7 <= statistic && statistic <= 14)) return m;
    const double p2 = proportion2;
    const double n = n1 + n2;
    const double d = p - p2 - nullDifference;
    const double unpooled = std::sqrt(p2 * (1.0 - p2) / n2 + p * (1.0 - p) / n1);
    const double x1 = p * n1, x2 = p2 * n2;
    double t1, t2;
    switch (statistic) {
        case 7:
        case 8:
        case 9: {
            DifferenceEstimates(x1, n1, x2, n2, &t1, &t2);
            double v = t1 * (1.0 - t1) / n1 + t2 * (1.0 - t2) / n2;
            if (statistic == 8) v *= n / (n - 1.0);
            m.lowerMean = m.upperMean = d;
            m.nullSd = std::sqrt(v);
            m.alternativeSd = unpooled;
            if (statistic == 9) {
                // The standard deviation that turns d into the corrected z;
                // without a difference there is nothing to correct.
                const double z = ScoreValue(9, x1, n1, x2, n2, false);
                if (d != 0.0 && z != 0.0 && std::isfinite(z)) m.nullSd = d / z;
            }
            break;
        }
        case 10:
        case 11:
        case 12: {
            const double rho = NullProportion() / p2;
            RatioEstimates(x1, n1, x2, n2, &t1, &t2);
            double v = t1 * (1.0 - t1) / n1 + rho * rho * t2 * (1.0 - t2) / n2;
            if (statistic == 11) v *= n / (n - 1.0);
            double sd = std::sqrt(std::max(v, 0.0));
            if (sd < 1e-12) sd = 1e-5;
            const double r = p - rho * p2;
            m.lowerMean = m.upperMean = r;
            m.nullSd = sd;
            m.alternativeSd = std::sqrt(rho * rho * p2 * (1.0 - p2) / n2 + p * (1.0 - p) / n1);
            if (statistic == 12) {
                const double z = ScoreValue(12, x1, n1, x2, n2, false);
                if (r != 0.0 && z != 0.0 && std::isfinite(z)) m.nullSd = r / z;
            }
            break;
        }
        case 13:
        case 14:
            m.lowerMean = m.upperMean = ScoreValue(statistic, x1, n1, x2, n2, false);
            m.nullSd = m.alternativeSd = 1.0;
            break;
        default:
            break;
    }
    return m;
}
