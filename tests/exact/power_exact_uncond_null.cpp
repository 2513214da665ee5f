#include "tests/exact/power_exact_uncond_null.h"

#include <algorithm>
#include <cmath>

#include "analysis/test_family_support.h"
#include "numerics/quorix_error.h"

namespace {

constexpr double kMargin = 1e-6;

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

int ClampedSum(long n1, long n2) {
    return GroupSizeSum(n1, n2);
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

bool PowerExactUncTwoPropNull::HasDistributionPlot() {
    return UsesLargeSample(groupSize1, groupSize2) && statistic != 6;
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

std::string PowerExactUncTwoPropNull::GetMethodText() {
    static const char* const kNames[] = {"z-test pooled",
                                         "z-test pooled with c.c.",
                                         "z-test unpooled",
                                         "z-test unpooled with c.c.",
                                         "Mantel-Haenzsel test",
                                         "Likelihood ratio test",
                                         "t-test"};
    std::string text = UsesLargeSample(groupSize1, groupSize2) ? "large sample approx" : "";
    if (0 <= statistic && statistic <= 6) {
        if (!text.empty()) text += ", ";
        text += kNames[statistic];
    }
    return text;
}

void PowerExactUncTwoPropNull::UpdateProportionFromEffect() {
    proportion1 = Convert23(effectSize);
}

// ------------------------------------------------------------ statistic

// Group 1 (pB, nB) is tested against the reference group 2 (pA, nA).
StatisticMoments PowerExactUncTwoPropNull::GetStatisticMoments(double pB, double, double nB,
                                                               double nA) {
    StatisticMoments m;
    const double pA = proportion2, delta = nullDifference;
    const double n = nA + nB;
    m.side = !oneTailed ? 2 : (pA + delta > pB ? 0 : 1);
    const double pooled = (pA * nA + pB * nB) / n;
    const double unpooled = std::sqrt(pB * (1.0 - pB) / nB + pA * (1.0 - pA) / nA);
    const double pooledSd = std::sqrt((1.0 / nB + 1.0 / nA) * pooled * (1.0 - pooled));
    const double h = (1.0 / nB + 1.0 / nA) / 2.0;
    const double d = pB - pA - delta;
    switch (statistic) {
        case 0:
        case 5:
            m.lowerMean = m.upperMean = d;
            m.nullSd = pooledSd;
            m.alternativeSd = unpooled;
            break;
        case 1:
            m.lowerMean = d + h;
            m.upperMean = d - h;
            m.nullSd = pooledSd;
            m.alternativeSd = unpooled;
            break;
        case 2:
            m.lowerMean = m.upperMean = d;
            m.nullSd = m.alternativeSd = unpooled;
            break;
        case 3:
            m.lowerMean = d + h;
            m.upperMean = d - h;
            m.nullSd = m.alternativeSd = unpooled;
            break;
        case 4: {
            const double a = pA * nA;
            const double total = pB * nB + a;
            const double e = a - total * nA / n;
            if (std::fabs(e) < 1e-12) break;
            const double v = nB * nA * total * (n - a - pB * nB) / (n * n * (n - 1.0));
            m.nullSd = m.alternativeSd = v >= 0.0 ? std::sqrt(v) : 0.0;
            m.lowerMean = m.upperMean = -e;
            break;
        }
        case 6: {
            const double a = pA * nA, b = pB * nB;
            const double g = (nA - a) * b - (nB - b) * a;
            if (std::fabs(g) >= 1e-12) {
                const double w = (b * nA * (nB - b) + a * nB * (nA - a)) * n;
                m.lowerMean = w > 0.0 ? std::sqrt((n - 2.0) / w) * g : (g > 0.0 ? 1e30 : -1e30);
            }
            m.upperMean = n;
            break;
        }
        default:
            break;
    }
    return m;
}

double PowerExactUncTwoPropNull::LargeSamplePower(double p1, double alphaValue, double n1,
                                                  double n2) {
    const StatisticMoments m = GetStatisticMoments(p1, alphaValue, n1, n2);
    if (statistic == 6) return TApproximationPower(m.lowerMean, m.upperMean, alphaValue, m.side);
    return NormalApproximationPower(m.lowerMean, m.upperMean, m.nullSd, m.alternativeSd, alphaValue,
                                    m.side);
}

// Without an offset the pooled z, the Mantel-Haenszel statistic (the
// pooled z times sqrt((N - 1)/N)), the signed root of the likelihood ratio
// (whose square falls while p1^ < p2^ and grows after) and the unpooled z
// and t (slope of the sign of p1^ (1 - p2^) + p2^ (1 - p1^)) grow with x1
// over every row. The corrected z moves the difference by h on the side it
// tests, or towards 0 with two tails, and grows wherever it lies beyond 0:
// its accepted x1 form an interval when the critical value is not below 0.
bool PowerExactUncTwoPropNull::AcceptsAnInterval(int, int, int, double c) {
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
    // Where a standard deviation vanishes only the two extreme outcomes
    // remain (all of one group, none of the other): they lie beyond every
    // critical value on the side of their difference.
    auto beyond = [&] { return d > 0.0 ? 1e30 : -1e30; };
    switch (code) {
        case 0:
        case 1: {
            const double pooled = (xA + xB) / n;
            if (pooled <= 0.0 || pooled >= 1.0) return 0.0;
            const double sd = std::sqrt((1.0 / nA + 1.0 / nB) * pooled * (1.0 - pooled));
            if (code == 0) return d / sd;
            return Corrected(d, (1.0 / nA + 1.0 / nB) / 2.0, sd, s);
        }
        case 2:
        case 3: {
            const double sd = std::sqrt(pB * (1.0 - pB) / nB + pA * (1.0 - pA) / nA);
            if (!(sd > 0.0)) return beyond();
            if (code == 2) return d / sd;
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
        case 6: {
            const double g = (nA - xA) * xB - (nB - xB) * xA;
            if (std::fabs(g) < 1e-12) return 0.0;
            const double w = (xB * nA * (nB - xB) + xA * nB * (nA - xA)) * n;
            if (w > 0.0) return std::sqrt((n - 2.0) / w) * g;
            return g > 0.0 ? 1e30 : -1e30;
        }
        default:
            return 0.0;
    }
}

// --------------------------------------------------------------- checks

bool PowerExactUncTwoPropNull::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckSampleSizeMinimum(n >= 2147483647.0 ? 2147483647 : static_cast<int>(n), 3);
}

bool PowerExactUncTwoPropNull::CheckEffectFor(double x, double p2) {
    switch (effectIndex) {
        case 0:
            return CheckNamedRangeInclusive("Proportion p1", x, kMargin);
        case 1:
            return CheckEffectGivesProportion(x, p2, kMargin);
        case 2: {
            if (!CheckEffectRatio(x, kMargin)) return false;
            // A ratio whose p1 is no proportion: the statistics and the
            // binomial masses of group 1 have no meaning there.
            const double p1 = p2 * x;
            if (kMargin < p1 && p1 < 1.0 - kMargin) return true;
            messages << "Effect size specification (" << x << ") leads to a proportion "
                     << "p1 = " << p1 << '\n'
                     << "that falls outside the admissible range (" << kMargin << ", 1-" << kMargin
                     << ").";
            return false;
        }
        case 3:
            return CheckOddsRatio(x, kMargin);
        default:
            return false;
    }
}

bool PowerExactUncTwoPropNull::CheckEffectSize(int, double x) {
    ClearMessage();
    return CheckEffectFor(x, proportion2);
}

// --------------------------------------------------------- lists and run

void PowerExactUncTwoPropNull::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    SetEffectFromP1();
    AddTailsInput(inputs);
    const GivenInputs given = GivenInputsOf(type);
    if (type == kSensitivity) AddEffectDirectionInput(inputs, "p1$\\le$p2", "p1$\\ge$p2");
    if (given.effect) AddEffectSizeInput(inputs, GetNoncentralityId(), GetTestId(), "", true);
    AddDoubleInput(inputs, kProportionP2Id, proportion2);
    AddGivenInputs(*this, type, inputs, [] {});
    if (given.sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
}

CalculateStatus PowerExactUncTwoPropNull::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int p2Row = -1, tailsRow = -1;
    const double p2 = ReadDouble(inputs, kProportionP2Id, &p2Row);
    if (!CheckNamedRangeInclusive("Proportion p2", p2, kMargin)) return p2Row;
    const int tails = ReadTails(inputs, &tailsRow);
    nullDifference = 0.0;
    // A code without a statistic would reject nothing and show a power of 0.
    if (!(0 <= statistic && statistic <= 6)) {
        throw QuorixError("Exact-Unconditional: no such statistic", QuorixError::kOutOfRange,
                          statistic);
    }

    const ParameterId effectId = GetNoncentralityId();
    int effectRow = -1, alphaRow = -1, powerRow = -1, row1 = -1, row2 = -1, otherRow = -1;
    auto store = [&] {
        oneTailed = tails == 0;
        proportion2 = p2;
    };
    auto storeEffect = [&](double e) {
        effectSize = e;
        UpdateProportionFromEffect();
    };
    auto storeGroups = [&](long n1, long n2) {
        groupSize1 = static_cast<double>(n1);
        groupSize2 = static_cast<double>(n2);
        allocationRatio = groupSize2 / groupSize1;
        sampleSize = groupSize1 + groupSize2;
    };
    // The sizes of each group and their total; the row at fault or -1.
    auto checkGroups = [&](long n1, long n2) {
        if (!CheckSampleSizeMinimum(static_cast<int>(n1), 1)) return row1;
        if (!CheckSampleSizeMinimum(static_cast<int>(n2), 1)) return row2;
        if (!CheckTotalSampleSize(ClampedSum(n1, n2), 3, 2147483647)) return row1;
        return -1;
    };
    switch (type) {
        case kAPriori: {
            const double e = ReadEffectSize(inputs, &effectRow, effectId);
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            const double r = ReadAllocationRatio(inputs, &otherRow);
            if (!CheckAllocationRatio(r, 0.01)) return otherRow;
            if (!CheckEffectFor(e, p2)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            const double shownEffect = effectSize, shownP1 = proportion1, shownP2 = proportion2;
            store();
            storeEffect(e);
            // p1 = p2 is no effect: the power is alpha at every N, and there
            // is no sample size to find.
            if (!(std::fabs(proportion1 - p2) > 1e-6)) {
                effectSize = shownEffect;
                proportion1 = shownP1;
                proportion2 = shownP2;
                messages << "In an a priori analysis, the proportions p1 and p2\n"
                         << "must differ by more than 1e-06.";
                return effectRow;
            }
            allocationRatio = r;
            SolveSampleSize(proportion1, a, p, true);
            break;
        }
        case kSensitivity: {
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            const int direction = ReadEffectDirection(inputs, &otherRow);
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (const int bad = checkGroups(n1, n2); bad >= 0) return bad;
            store();
            storeGroups(n1, n2);
            effectDirection = direction == 0 ? -1.0 : 1.0;
            // A failed search leaves p1, and so the effect shown, as it was.
            RestoringOnFailure(proportion1,
                               [&] { return SolveEffectSize2(a, p, groupSize1, groupSize2); });
            effectSize = Convert24(proportion1);
            break;
        }
        case kPostHoc: {
            const double e = ReadEffectSize(inputs, &effectRow, effectId);
            const double a = ReadAlpha(inputs, &alphaRow);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (!CheckEffectFor(e, p2)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (const int bad = checkGroups(n1, n2); bad >= 0) return bad;
            store();
            storeEffect(e);
            storeGroups(n1, n2);
            power = ComputePower2(proportion1, a, groupSize1, groupSize2);
            break;
        }
        case kCriterion: {
            const double e = ReadEffectSize(inputs, &effectRow, effectId);
            const double p = ReadPower(inputs, &powerRow);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (const int bad = checkGroups(n1, n2); bad >= 0) return bad;
            if (!CheckEffectFor(e, p2)) return effectRow;
            if (!CheckPowerRange(p)) return powerRow;
            store();
            storeEffect(e);
            storeGroups(n1, n2);
            alpha = SolveAlpha2(proportion1, p, groupSize1, groupSize2);
            break;
        }
        case kCompromise: {
            const double e = ReadEffectSize(inputs, &effectRow, effectId);
            const double q = ReadRatio(inputs, &otherRow);
            const long n1 = ReadSampleSize1(inputs, &row1);
            const long n2 = ReadSampleSize2(inputs, &row2);
            if (const int bad = checkGroups(n1, n2); bad >= 0) return bad;
            if (!CheckEffectFor(e, p2)) return effectRow;
            if (!CheckRatio(q, 0.01, 100.0)) return otherRow;
            store();
            storeEffect(e);
            storeGroups(n1, n2);
            actualRatio = SolveCompromise2(proportion1, q, groupSize1, groupSize2);
            break;
        }
    }
    return kCalculateDone;
}
