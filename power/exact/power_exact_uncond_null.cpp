#include "power/exact/power_exact_uncond_null.h"

#include <algorithm>
#include <cmath>

#include "analysis/family_support.h"

namespace {

// x ln x, 0 at 0.
double XLogX(double y) {
    return y > 0.0 ? y * std::log(y) : 0.0;
}

// A difference d with the continuity correction h, over sd: one tail moves
// it away from its rejection side; two tails move it towards 0, and stop
// there where the correction exceeds the difference, so that the value
// never falls as x1 grows and an outcome with p1 above p2 is never taken
// for one in the lower tail.
double Corrected(double d, double h, double sd, int side) {
    if (side == 0) return (d - h) / sd;
    if (side == 1) return (d + h) / sd;
    if (d > 0.0) return std::max(d - h, 0.0) / sd;
    return std::min(d + h, 0.0) / sd;
}

}  // namespace

PowerExactUncTwoPropNull::PowerExactUncTwoPropNull() {
    PowerExactUncTwoPropNull::SetStandardValues();
}

PowerAnalysis* PowerExactUncTwoPropNull::Clone() {
    auto* copy = CloneAs<PowerExactUncTwoPropNull>();
    CopyOptionsTo(*copy);
    return copy;
}

void PowerExactUncTwoPropNull::SetStandardValues() {
    nullDifference = 0.0;
    proportion1 = 0.6;
    proportion2 = 0.3;
    effectIndex = 1;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
    sampleSize = 100.0;
    allocationRatio = 1.0;
    alpha = 0.05;
    power = 0.95;
    effectDirection = -1.0;
    SetEffectFromP1();
    ratio = kStandardRatio;
}

ParameterId PowerExactUncTwoPropNull::GetNoncentralityId() {
    switch (effectIndex) {
        case 0:
            return kProportionP1Id;
        case 1:
            return kDifferenceId;
        case 2:
            return kRiskRatioId;
        case 3:
            return kOddsRatio2Id;
        default:
            return -1;
    }
}

// ------------------------------------------------------------ statistic

// Group 1 (pB, nB) is tested against the reference group 2 (pA, nA). The
// likelihood ratio is approximated as the pooled z; Mantel-Haenszel has
// moments of its own.
StatisticMoments PowerExactUncTwoPropNull::GetStatisticMoments(double pB, double, double nB,
                                                               double nA) {
    StatisticMoments m = SharedMoments(statistic == 5 ? 0 : statistic, pB, nB, nA);
    if (statistic != 4) return m;
    const double pA = proportion2;
    const double n = nA + nB;
    const double a = pA * nA;
    const double total = pB * nB + a;
    const double e = a - total * nA / n;
    if (std::fabs(e) < 1e-12) return m;
    const double v = nB * nA * total * (n - a - pB * nB) / (n * n * (n - 1.0));
    m.nullSd = m.alternativeSd = v >= 0.0 ? std::sqrt(v) : 0.0;
    m.lowerMean = m.upperMean = -e;
    return m;
}

// Without an offset the pooled z, the Mantel-Haenszel statistic (the
// pooled z times sqrt((N - 1)/N)), the signed root of the likelihood ratio
// (whose square falls while p1^ < p2^ and grows after) and the unpooled z
// and t (slope of the sign of p1^ (1 - p2^) + p2^ (1 - p1^)) grow with x1
// over every row. The corrected z moves the difference by h on the side it
// tests, or towards 0 with two tails, and grows wherever it lies beyond 0:
// its accepted x1 form an interval when the critical value is not below 0.
bool PowerExactUncTwoPropNull::AcceptsAnInterval(int, int, int, int, double c) {
    if (statistic == 1 || statistic == 3) return c >= 0.0;
    return 0 <= statistic && statistic <= 6;
}

// The outcome xB of nB in group 1 against xA of nA in group 2; s is the
// side tested (0 upper, 1 lower, 2 both).
double PowerExactUncTwoPropNull::StatisticValue(int code, double xA, double xB, double nA,
                                                double nB, double, int s) {
    const double delta = nullDifference;
    const double pA = xA / nA, pB = xB / nB;
    const double d = pB - pA - delta;
    const double n = nA + nB;
    if (std::fabs(pA - pB + delta) < 1e-40 || code < 0 || code > 6) return 0.0;
    switch (code) {
        case 1: {
            const double sd = PooledSd(xB, nB, xA, nA);
            return sd > 0.0 ? Corrected(d, (1.0 / nA + 1.0 / nB) / 2.0, sd, s) : 0.0;
        }
        case 3: {
            // Where the standard deviation vanishes only the two extreme
            // outcomes remain (all of one group, none of the other): they
            // lie beyond every critical value on the side of their
            // difference.
            const double sd = UnpooledSd(pB, nB, pA, nA);
            if (!(sd > 0.0)) return d > 0.0 ? 1e30 : -1e30;
            return Corrected(d, (1.0 / nA + 1.0 / nB) / 2.0, sd, s);
        }
        case 4: {
            const double e = (xA + xB) * nA / n;
            if (std::fabs(xA - e) < 1e-11) return 0.0;
            const double v = nA * nB * (xA + xB) * (n - xA - xB) / (n * n * (n - 1.0));
            if (v <= 0.0) return 0.0;
            return -(xA - e) / std::sqrt(v);
        }
        case 5:
            return 2.0 * (XLogX(xA) + XLogX(xB) + XLogX(nA - xA) + XLogX(nB - xB) + XLogX(n) -
                          XLogX(xA + xB) - XLogX(n - xA - xB) - XLogX(nA) - XLogX(nB));
        default:
            return SharedValue(code, xB, nB, xA, nA, pB, pA);
    }
}
