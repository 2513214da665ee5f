#include "power/exact/power_exact_uncond.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <utility>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "analysis/read_check_solve.h"
#include "distributions/normal.h"
#include "distributions/t.h"
#include "numerics/cancel.h"
#include "numerics/freed_memory.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "power/exact/exact_search.h"
#include "power/exact/restore.h"

namespace {

// The extremes of p1 the large-sample Sensitivity search looks at.
constexpr double kSmallestP1 = 1e-6;
constexpr double kLargestP1 = 0.9999999;
// Candidates of the exact A priori search above the large-sample N, and
// its step back down.
constexpr int kAPrioriCandidates = 300;
constexpr int kAPrioriStepBack = 30;
// A split that needs more subjects than this to reach the target is a
// failed search.
constexpr int kMaxExtraSubjects = 1000;

double Infinity() {
    return std::numeric_limits<double>::infinity();
}

// Phi(x) and 1 - Phi(x), each from its own tail.
double NormalCdf(double x) {
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}
double NormalSurvival(double x) {
    return 0.5 * std::erfc(x / std::sqrt(2.0));
}

// The lower quantile of the standard normal; +-infinity at the ends.
double NormalQuantile(double p) {
    if (!(p > 0.0)) return -Infinity();
    if (!(p < 1.0)) return Infinity();
    NormalDistribution normal;
    return normal.Quantile(p);
}

// A size as an int count, NaN and values beyond the int range held at its
// ends.
int AsCount(double n) {
    if (std::isnan(n)) return INT_MIN;
    if (n >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (n <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(n);
}

[[noreturn]] void Unreachable(const char* where, double value) {
    throw QuorixError(std::string(where) + ": target power not reachable",
                      QuorixError::kAboveUpperBound, value);
}

// A Compromise whose ratio no alpha meets.
[[noreturn]] void NoCompromise() {
    throw QuorixError("Solver-Compromise: no solution", QuorixError::kNoConvergence, 0.0);
}

// How far inside (0, 1) a proportion must lie.
constexpr double kMargin = 1e-6;

// The statistics by code: the name the method text gives, and whether the
// test of p1 = p2 and the test with an H0 value compute it. Mantel-Haenszel
// and the likelihood ratio test equality only; the score statistics with
// the restricted estimates need an H0 value of their measure.
struct StatisticEntry {
    const char* name;
    bool equality;
    bool withH0;
};
constexpr StatisticEntry kStatistics[] = {
    {"z-test pooled", true, true},
    {"z-test pooled with c.c.", true, true},
    {"z-test unpooled", true, true},
    {"z-test unpooled with c.c.", true, true},
    {"Mantel-Haenzsel test", true, false},
    {"Likelihood ratio test", true, false},
    {"t-test", true, true},
    {"L score: Farrington & Manning", false, true},
    {"L score: Miettinen & Nurminen", false, true},
    {"L score: Gart & Nam", false, true},
    {"L score: Farrington & Manning", false, true},
    {"L score: Miettinen & Nurminen", false, true},
    {"L score: Gart & Nam", false, true},
    {"L score: Farrington & Manning", false, true},
    {"L score: Miettinen & Nurminen", false, true},
};

// The entry of the statistic `code` that the test computes; null for none.
const StatisticEntry* StatisticOf(int code, bool withH0) {
    if (!(0 <= code && code < static_cast<int>(std::size(kStatistics)))) return nullptr;
    const StatisticEntry& entry = kStatistics[code];
    return (withH0 ? entry.withH0 : entry.equality) ? &entry : nullptr;
}

}  // namespace

void PowerExactUncondTwoProp::CopyStateTo(PowerAnalysis& target) const {
    PowerExact::CopyStateTo(target);
    auto& copy = static_cast<PowerExactUncondTwoProp&>(target);
    copy.nullDifference = nullDifference;
}

PowerExactUncondTwoProp::PowerExactUncondTwoProp() {
    // The rows of a search hold the statistics and masses of every outcome
    // they visit, some tens of MB at large groups.
    KeepFreedMemory();
    distribution = new NormalDistribution(0.0, 1.0);
    maxSampleSize = 1000000.0;
    exactFlag = true;
    sampleSize = 100.0;
    allocationRatio = 1.0;
}

void PowerExactUncondTwoProp::SetStandardValues() {
    proportion1 = 0.65;
    proportion2 = 0.5;
    nullDifference = 0.05;
    effectSize = 0.65;
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    groupSize1 = RoundTo(sampleSize / 2.0, 0);
    groupSize2 = sampleSize - groupSize1;
    allocationRatio = groupSize2 / groupSize1;
    ratio = kStandardRatio;
}

void PowerExactUncondTwoProp::CopyOptionsTo(PowerExactUncondTwoProp& target) const {
    target.largeSample = largeSample;
    target.exactLimit = exactLimit;
    target.statistic = statistic;
    target.referenceDistribution = referenceDistribution;
    target.effectIndex = effectIndex;
}

void PowerExactUncondTwoProp::SetStatistic(int code) {
    statistic = code;
    referenceDistribution = code == 6 ? 1 : code == 5 ? 2 : 0;
}

void PowerExactUncondTwoProp::SetEffectIndex(int index) {
    // Only the four measures have labels and conversions.
    if (!(0 <= index && index <= 3)) return;
    effectIndex = index;
    effectSize = Convert24(proportion1);
    for (ParameterId id : {kProportionP1Id, kDifferenceId, kRiskRatioId, kOddsRatio2Id,
                           kProportionP1H1Id, kProportionP1H0Id, kDifferenceH1Id, kDifferenceH0Id,
                           kRiskRatioH1Id, kRiskRatioH0Id, kOddsRatioH1Id, kOddsRatioH0Id}) {
        int row = -1;
        if (Property* old = inputTexts.FindWithIndex(ParameterNames[id], &row)) {
            delete old;
            inputTexts.erase(inputTexts.begin() + row);
        }
    }
}

bool PowerExactUncondTwoProp::UsesLargeSample(double n1, double n2) const {
    const double n = std::trunc(n1 + n2);
    return largeSample || n > exactLimit;
}

bool PowerExactUncondTwoProp::IsContinuous() {
    return UsesLargeSample(groupSize1, groupSize2);
}

// --------------------------------------------------------- conversions

double PowerExactUncondTwoProp::Convert23(double x) const {
    const double p2 = proportion2;
    switch (effectIndex) {
        case 0:
            return x;
        case 1:
            return p2 + x;
        case 2:
            return p2 * x;
        case 3:
            return p2 * x / ((x - 1.0) * p2 + 1.0);
        default:
            return 0.0;
    }
}

double PowerExactUncondTwoProp::Convert24(double p1) const {
    const double p2 = proportion2;
    switch (effectIndex) {
        case 0:
            return p1;
        case 1:
            return p1 - p2;
        case 2:
            return p1 / p2;
        case 3:
            return (p1 / (1.0 - p1)) / (p2 / (1.0 - p2));
        default:
            return 0.0;
    }
}

ParameterId PowerExactUncondTwoProp::GetH0EffectId() const {
    static const ParameterId kIds[] = {kProportionP1H0Id, kDifferenceH0Id, kRiskRatioH0Id,
                                       kOddsRatioH0Id};
    return 0 <= effectIndex && effectIndex < 4 ? kIds[effectIndex] : 0;
}

double PowerExactUncondTwoProp::SetOffsetFromH0Effect(double x) {
    nullDifference = Convert23(x) - proportion2;
    return nullDifference;
}

double PowerExactUncondTwoProp::H0EffectFromOffset(double d) const {
    return Convert24(d + proportion2);
}

// ------------------------------------------------- the shared statistics

bool PowerExactUncondTwoProp::OffersStatistic() const {
    return StatisticOf(statistic, TakesH0Value()) != nullptr;
}

std::string PowerExactUncondTwoProp::GetMethodText() {
    static const char* const kMeasures[] = {"proportion", "difference", "risk ratio", "odds ratio"};
    std::string text;
    auto append = [&](const std::string& part) {
        if (!text.empty()) text += ", ";
        text += part;
    };
    // With an H0 value the measure says what H0 states.
    if (TakesH0Value() && 0 <= effectIndex && effectIndex < 4) append(kMeasures[effectIndex]);
    if (UsesLargeSample(groupSize1, groupSize2)) append("large sample approx");
    if (const StatisticEntry* entry = StatisticOf(statistic, TakesH0Value())) append(entry->name);
    return text;
}

bool PowerExactUncondTwoProp::HasDistributionPlot() {
    return UsesLargeSample(groupSize1, groupSize2) && statistic != 6;
}

// The moments at the expected counts p1 n1 and p2 n2.
StatisticMoments PowerExactUncondTwoProp::SharedMoments(int code, double p1, double n1,
                                                        double n2) const {
    StatisticMoments m;
    const double p2 = proportion2, delta = nullDifference;
    const double n = n1 + n2;
    m.side = !oneTailed ? 2 : (p1 < p2 + delta ? 0 : 1);
    const double d = p1 - p2 - delta;
    const double pooled = (p1 * n1 + p2 * n2) / n;
    const double pooledSd = std::sqrt((1.0 / n1 + 1.0 / n2) * pooled * (1.0 - pooled));
    const double unpooled = std::sqrt(p2 * (1.0 - p2) / n2 + p1 * (1.0 - p1) / n1);
    const double h = (1.0 / n1 + 1.0 / n2) / 2.0;
    switch (code) {
        case 0:
        case 1:
        case 2:
        case 3: {
            const bool corrected = code == 1 || code == 3;
            m.lowerMean = corrected ? d + h : d;
            m.upperMean = corrected ? d - h : d;
            m.nullSd = code <= 1 ? pooledSd : unpooled;
            m.alternativeSd = unpooled;
            break;
        }
        case 6:
            m.lowerMean = TValue(p1 * n1, n1, p2 * n2, n2, delta);
            m.upperMean = n;
            break;
        default:
            break;
    }
    return m;
}

StatisticMoments PowerExactUncondTwoProp::GetStatisticMoments(double p1, double, double n1,
                                                              double n2) {
    return SharedMoments(statistic, p1, n1, n2);
}

double PowerExactUncondTwoProp::LargeSamplePower(double p1, double alphaValue, double n1,
                                                 double n2) {
    const StatisticMoments m = GetStatisticMoments(p1, alphaValue, n1, n2);
    if (statistic == 6) return TApproximationPower(m.lowerMean, m.upperMean, alphaValue, m.side);
    return NormalApproximationPower(m.lowerMean, m.upperMean, m.nullSd, m.alternativeSd, alphaValue,
                                    m.side);
}

double PowerExactUncondTwoProp::LargeSampleBeta(double p1, double alphaValue, double n1,
                                                double n2) {
    const StatisticMoments m = GetStatisticMoments(p1, alphaValue, n1, n2);
    if (statistic == 6) return TApproximationBeta(m.lowerMean, m.upperMean, alphaValue, m.side);
    return NormalApproximationBeta(m.lowerMean, m.upperMean, m.nullSd, m.alternativeSd, alphaValue,
                                   m.side);
}

double PowerExactUncondTwoProp::StatisticValue(int code, double x2, double x1, double n2, double n1,
                                               double, int) {
    return SharedValue(code, x1, n1, x2, n2, x1 / n1, x2 / n2);
}

bool PowerExactUncondTwoProp::AcceptsAnInterval(int, int, int, int, double) {
    return false;
}

bool PowerExactUncondTwoProp::SkewOverRow(int, int, int, int, int, double* gLo, double* gHi) {
    *gLo = *gHi = 0.0;
    return true;
}

double PowerExactUncondTwoProp::RowCentre(int x2, int m2) const {
    return static_cast<double>(x2) / m2 + nullDifference;
}

double PowerExactUncondTwoProp::RowDifference(int x2, int x1, int m1, int m2) const {
    return static_cast<double>(x1) / m1 - static_cast<double>(x2) / m2 - nullDifference;
}

bool PowerExactUncondTwoProp::BoundsOverRow(int, int, int, int, int, double*, double*) {
    return false;
}

double PowerExactUncondTwoProp::NormalApproximationPower(double meanLower, double meanUpper,
                                                         double sd0, double sd1, double alphaValue,
                                                         int side) {
    // A statistic without spread has no effect either (its record is all
    // zero): the power is alpha.
    if (!(sd0 > 0.0) || !(sd1 > 0.0)) {
        criticalValue = criticalValue2 = 0.0;
        return alphaValue;
    }
    if (side == 0) {
        const double c = sd0 * NormalQuantile(alphaValue);
        criticalValue = criticalValue2 = c;
        return NormalCdf((c - meanLower) / sd1);
    }
    if (side == 1) {
        const double c = -sd0 * NormalQuantile(alphaValue);
        criticalValue = criticalValue2 = c;
        return NormalSurvival((c - meanUpper) / sd1);
    }
    const double c1 = sd0 * NormalQuantile(alphaValue / 2.0);
    const double c2 = -c1;
    criticalValue = c1;
    criticalValue2 = c2;
    return std::min(1.0,
                    NormalCdf((c1 - meanLower) / sd1) + NormalSurvival((c2 - meanUpper) / sd1));
}

double PowerExactUncondTwoProp::NormalApproximationBeta(double meanLower, double meanUpper,
                                                        double sd0, double sd1, double alphaValue,
                                                        int side) {
    const double p = NormalApproximationPower(meanLower, meanUpper, sd0, sd1, alphaValue, side);
    if (!(sd0 > 0.0) || !(sd1 > 0.0)) return 1.0 - p;
    if (side == 0) return NormalSurvival((criticalValue - meanLower) / sd1);
    if (side == 1) return NormalCdf((criticalValue - meanUpper) / sd1);
    // Between the critical values, from the tails on the side away from
    // the bulk of the statistic.
    const double zLower = (criticalValue - meanLower) / sd1;
    const double zUpper = (criticalValue2 - meanUpper) / sd1;
    const double beta = zLower + zUpper > 0.0 ? NormalSurvival(zLower) - NormalSurvival(zUpper)
                                              : NormalCdf(zUpper) - NormalCdf(zLower);
    return std::max(beta, 0.0);
}

double PowerExactUncondTwoProp::TApproximationBeta(double mean, double n, double alphaValue,
                                                   int side) {
    // The power sets the critical values; the upper one is c, the lower -c.
    TApproximationPower(mean, n, alphaValue, side);
    const double c = side == 1 ? criticalValue : -criticalValue;
    const double dof = n - 2.0;
    auto below = [&](double x) {
        if (mean >= 1e29) return 0.0;
        if (mean <= -1e29) return 1.0;
        if (!std::isfinite(x)) return x > 0.0 ? 1.0 : 0.0;
        TDistribution shifted(dof, mean);
        return shifted.Cdf(x);
    };
    // P(T > x) as P(-T < -x), the shifted t mirrored, so that a small upper
    // tail keeps its digits.
    auto above = [&](double x) {
        if (mean >= 1e29) return 1.0;
        if (mean <= -1e29) return 0.0;
        if (!std::isfinite(x)) return x > 0.0 ? 0.0 : 1.0;
        TDistribution mirrored(dof, -mean);
        return mirrored.Cdf(-x);
    };
    if (side == 0) return above(-c);
    if (side == 1) return below(c);
    const double beta = mean >= 0.0 ? below(c) - below(-c) : above(-c) - above(c);
    return std::max(beta, 0.0);
}

double PowerExactUncondTwoProp::TApproximationPower(double mean, double n, double alphaValue,
                                                    int side) {
    const double dof = n - 2.0;
    TDistribution central(dof, 0.0);
    const double lowQ = alphaValue / (side == 2 ? 2.0 : 1.0);
    // The upper critical value; the lower one is its mirror image.
    double c = -Infinity();
    if (!(lowQ > 0.0)) {
        c = Infinity();
    } else if (lowQ < 1.0) {
        c = -central.Quantile(lowQ);
    }
    criticalValue = side == 1 ? c : -c;
    criticalValue2 = side == 0 ? -c : c;
    // The t mean is +-1e30 where the variance term vanishes: the statistic
    // then lies beyond every critical value.
    auto below = [&](double x) {
        if (mean >= 1e29) return 0.0;
        if (mean <= -1e29) return 1.0;
        if (!std::isfinite(x)) return x > 0.0 ? 1.0 : 0.0;
        TDistribution shifted(dof, mean);
        return shifted.Cdf(x);
    };
    if (side == 0) return below(-c);
    if (side == 1) return 1.0 - below(c);
    return std::min(1.0, below(-c) + 1.0 - below(c));
}

// ------------------------------------------------------------ plot

double PowerExactUncondTwoProp::GetEffectSize() {
    return proportion1 - NullProportion();
}

double PowerExactUncondTwoProp::GetCriticalValue() {
    const StatisticMoments m = GetStatisticMoments(proportion1, alpha, groupSize1, groupSize2);
    const double d = m.nullSd != 0.0 ? m.nullSd : 1.0;
    return (GetEffectSize() >= 0.0 ? criticalValue2 : criticalValue) / d;
}

double PowerExactUncondTwoProp::GetLowerCriticalValue() {
    const StatisticMoments m = GetStatisticMoments(proportion1, alpha, groupSize1, groupSize2);
    const double d = m.nullSd != 0.0 ? m.nullSd : 1.0;
    return (GetEffectSize() >= 0.0 ? criticalValue : criticalValue2) / d;
}

void PowerExactUncondTwoProp::SetCentralDistribution() {
    distribution->SetParam(0, 0.0);
    distribution->SetParam(1, 1.0);
}

void PowerExactUncondTwoProp::SetNoncentralDistribution() {
    const StatisticMoments m = GetStatisticMoments(proportion1, alpha, groupSize1, groupSize2);
    distribution->SetParam(0, 0.0);
    distribution->SetParam(1, 1.0);
    const double d = m.nullSd != 0.0 ? m.nullSd : 1.0;
    if (m.side >= 0 && m.side <= 2) {
        distribution->SetParam(0, (m.side == 1 ? m.upperMean : m.lowerMean) / d);
        distribution->SetParam(1, m.alternativeSd / d);
    }
}

// --------------------------------------------------------------- power

double PowerExactUncondTwoProp::ComputePower2(double p1, double alphaValue, double n1, double n2) {
    alpha = alphaValue;
    actualAlpha = alphaValue;
    proportion1 = p1;
    double result;
    if (!UsesLargeSample(n1, n2)) {
        result = ExactPower(p1, alphaValue, n1, n2);
    } else {
        result = LargeSamplePower(p1, alphaValue, n1, n2);
        actualAlpha = alphaValue;
    }
    actualPower = result;
    power = result;
    return result;
}

double PowerExactUncondTwoProp::PowerAt(double p1, double alphaValue, double n1, double n2) {
    const double p = ComputePower2(p1, alphaValue, n1, n2);
    if (std::isnan(p)) {
        throw QuorixError("Exact-Unconditional: power is not a number", QuorixError::kUnknown, p1);
    }
    return p;
}

void PowerExactUncondTwoProp::SplitTotal(double k, double* n1, double* n2) const {
    *n1 = RoundTo(k / (allocationRatio + 1.0), 0);
    *n2 = RoundTo(*n1 * allocationRatio, 0);
}

double PowerExactUncondTwoProp::ComputePower(double effect, double alphaValue, double n) {
    const double n1 = n / (allocationRatio + 1.0);
    return ComputePower2(Convert23(effect), alphaValue, n1, n - n1);
}

double PowerExactUncondTwoProp::SolveEffectSize(double alphaValue, double target, double n) {
    const double n1 = n / (allocationRatio + 1.0);
    return SolveEffectSize2(alphaValue, target, n1, n - n1);
}

double PowerExactUncondTwoProp::SolveAlpha(double effect, double target, double n) {
    const double n1 = n / (allocationRatio + 1.0);
    return SolveAlpha2(Convert23(effect), target, n1, n - n1);
}

double PowerExactUncondTwoProp::SolveCompromise(double effect, double q, double n) {
    const double n1 = n / (allocationRatio + 1.0);
    return SolveCompromise2(Convert23(effect), q, n1, n - n1);
}

// ---------------------------------------------------------- objectives

double PowerExactUncondTwoProp::APrioriObjective(double x) {
    const double n1 = x / (allocationRatio + 1.0);
    return LargeSamplePower(proportion1, alpha, n1, x - n1) - power;
}

double PowerExactUncondTwoProp::CriterionObjective(double x) {
    return LargeSamplePower(proportion1, x, groupSize1, groupSize2) - power;
}

double PowerExactUncondTwoProp::CompromiseObjective(double x) {
    const double beta = LargeSampleBeta(proportion1, x, groupSize1, groupSize2);
    return 1.0 - beta / (x * ratio);
}

double PowerExactUncondTwoProp::SensitivityObjective(double x) {
    const double v = LargeSamplePower(x, alpha, groupSize1, groupSize2) - power;
    const double h = NullProportion();
    if (effectDirection > 0.0) return x >= h ? v : v + 1.0;
    return x <= h ? -v : v + 1.0;
}

void PowerExactUncondTwoProp::BracketSampleSize() {
    // Three subjects at least: the t statistic has N - 2 df.
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerExactUncondTwoProp::BracketEffectSize() {
    const double h = NullProportion();
    if (effectDirection > 0.0) {
        BracketFromStart(h, 1.0, (h + 1.0) / 2.0);
    } else {
        BracketFromStart(0.0, h, h / 2.0);
    }
}

// ------------------------------------------------------------ A priori

double PowerExactUncondTwoProp::SolveSampleSize(double p1, double alphaValue, double target, bool) {
    proportion1 = p1;
    alpha = alphaValue;
    power = target;
    analysisType = kAPriori;
    BracketSampleSize();
    const double n = SolveInBracket("Solver-SampleSize", 300, true);

    // Neither path answers with a group of one.
    auto valid = [](double a, double b) { return a > 1.0 && b > 1.0; };
    double n1, n2;
    SplitTotal(n, &n1, &n2);
    while (n1 + n2 < n || !valid(n1, n2)) {
        n1 += 1.0;
        n2 = RoundTo(n1 * allocationRatio, 0);
    }
    auto finish = [&](double a, double b) {
        groupSize1 = a;
        groupSize2 = b;
        sampleSize = a + b;
        power = target;
        proportion1 = p1;
        alpha = alphaValue;
        return sampleSize;
    };

    if (UsesLargeSample(n1, n2)) {
        // Rounding a group down can cost a little power: the next splits
        // until one reaches the target.
        for (int extra = 0;; ++extra) {
            actualPower = LargeSamplePower(p1, alphaValue, n1, n2);
            actualAlpha = alphaValue;
            if (actualPower >= target) break;
            if (extra == kMaxExtraSubjects) Unreachable("Solver-SampleSize", n1 + n2);
            n1 += 1.0;
            n2 = RoundTo(n1 * allocationRatio, 0);
            if (IsCancelled()) throw CancelledError();
        }
        return finish(n1, n2);
    }

    // The exact power is not monotone in N: the first N from below, within
    // the window scanned, that reaches the target. Totals that split into
    // the same groups (with equal groups, each odd total and the next) are
    // evaluated once: the scan asks each of them.
    std::map<std::pair<double, double>, bool> known;
    auto reaches = [&](double k) {
        double a, b;
        SplitTotal(k, &a, &b);
        if (!valid(a, b)) return false;
        const auto [it, fresh] = known.try_emplace({a, b}, false);
        if (fresh) it->second = PowerAt(p1, alphaValue, a, b) >= target;
        return it->second;
    };
    double answer;
    {
        const Restore<bool> plainSizes(sizeOnItsSide_, false);
        const Restore<double> decideOnly(decideTarget_, target);
        answer = exact_search::FirstTotalReaching(reaches, std::ceil(n), kAPrioriCandidates,
                                                  kAPrioriStepBack, 2.0, "Solver-SampleSize");
    }
    SplitTotal(answer, &n1, &n2);
    ComputePower2(p1, alphaValue, n1, n2);
    return finish(n1, n2);
}

// ------------------------------------------------------------ Criterion

template <class Approximation>
double PowerExactUncondTwoProp::ApproximateStart(AnalysisType type, double p1, double n1, double n2,
                                                 double fallback, Approximation solve) {
    proportion1 = p1;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    analysisType = type;
    try {
        return solve();
    } catch (const QuorixError&) {
        // The exact search needs the approximation's alpha only as a start.
        if (UsesLargeSample(n1, n2)) throw;
        return fallback;
    }
}

double PowerExactUncondTwoProp::SolveAlpha2(double p1, double target, double n1, double n2) {
    power = target;
    actualPower = target;
    const double start = ApproximateStart(kCriterion, p1, n1, n2, 0.5, [this] {
        BracketAlpha();
        return SolveInBracket("Solver-Alpha", 300);
    });
    alpha = actualAlpha = start;
    if (UsesLargeSample(n1, n2)) return start;

    const Restore<bool> sorted(sortRows_, true);
    Restore<bool> plainSizes(sizeOnItsSide_, false);
    // The exact power grows with alpha in steps: the smallest alpha (to
    // 1e-7, and below 1e-7 to 1e-7 of itself) whose power reaches the
    // target, none where alpha 1e-99 already reaches it.
    auto powerAt = [&](double x) { return PowerAt(p1, x, n1, n2); };
    double lo = 0.0, hi = 1.0;
    if (target > powerAt(start)) {
        lo = start;
    } else {
        hi = start;
    }
    hi = exact_search::SmallestAlphaReaching(powerAt, target, lo, hi, "Solver-Alpha");
    // The search's last evaluation is at the answer; once more for its size.
    sizeOnItsSide_ = true;
    powerAt(hi);
    power = target;
    if (actualPower < target) Unreachable("Solver-Alpha", hi);
    alpha = hi;
    return hi;
}

// ----------------------------------------------------------- Compromise

exact_search::CompromiseRules PowerExactUncondTwoProp::CompromiseSearchRules() {
    exact_search::CompromiseRules rules;
    rules.steps = exact_search::CompromiseRules::Steps::kSquareWhileSmall;
    rules.halving = exact_search::CompromiseRules::Halving::kLogarithmBelowSmall;
    rules.fromSize = false;
    rules.ceiling = 0.9999999999;
    rules.lastTwoTrials = true;
    // A walk that has not crossed q in a few steps often never does (a beta
    // that underflows at every alpha it tries): its last trial tells so at
    // once, where each step would sum the whole table again.
    rules.probeEndAfter = 8;
    return rules;
}

double PowerExactUncondTwoProp::SolveCompromise2(double p1, double q, double n1, double n2) {
    ratio = q;
    const double start = ApproximateStart(kCompromise, p1, n1, n2, 0.05, [this] {
        BracketCompromiseAlpha();
        return SolveInBracket("Solver-Compromise", 100);
    });
    alpha = actualAlpha = start;
    if (UsesLargeSample(n1, n2)) {
        power = actualPower = LargeSamplePower(p1, start, n1, n2);
        compromiseBeta = LargeSampleBeta(p1, start, n1, n2);
        const double r = compromiseBeta / actualAlpha;
        if (!std::isfinite(r)) NoCompromise();
        return r;
    }
    // Where beta and the size meet far below the floor (a large effect at
    // large groups), bounds at the floor tell so at once: the walk down
    // would evaluate the exact power at every step to the floor, each
    // summing a beta of next to nothing over every accepted outcome.
    if (CompromiseBelowFloor(p1, q, n1, n2)) exact_search::NoAlphaAboveFloor("Solver-Compromise");

    // The realised ratio falls with alpha in steps; beta and the size are
    // each summed on their own side. The walk starts from the
    // approximation's alpha itself and brackets q between its last two
    // trials.
    const Restore<bool> withTails(wantTails_, true);
    const Restore<bool> sorted(sortRows_, true);
    // The search halves alpha to 1e-7 of itself, long after its bracket
    // holds one jump of the regions: an alpha whose critical value every
    // comparison of an earlier evaluation decides as before, with the same
    // spans, takes that evaluation's outcome and members.
    struct Known {
        double from, below;
        std::vector<SpanRecord> spans;
        exact_search::Step step;
        double size, power, beta;
    };
    std::vector<Known> known;
    // With a bar (the walk's probe of its last trial), only whether the
    // ratio lies below it is asked: an evaluation that stops once it knows
    // gives a bound, and is not kept.
    auto at = [&](double a, double bar = 0.0) {
        const double c = known.empty() ? 0.0 : ExactCriticalValue(a, side_);
        for (const Known& k : known) {
            if (k.from <= c && c < k.below && SpansStay(k.spans, c)) {
                alpha = a;
                critical_ = c;
                actualAlpha = k.size;
                actualPower = power = k.power;
                exactBeta_ = k.beta;
                return k.step;
            }
        }
        {
            const Restore<bool> traced(traceCritical_, true);
            const Restore<double> probe(probeBar_, bar);
            sameFrom_ = -Infinity();
            sameBelow_ = Infinity();
            spanRecords_.clear();
            // Every row's interval is found again, so that its comparisons
            // are noted.
            regionKey_ = RegionKey{};
            PowerAt(p1, a, n1, n2);
        }
        if (probeBounded_) {
            probeBounded_ = false;
            return exact_search::Step{exactBeta_ / actualAlpha, actualAlpha, true};
        }
        const exact_search::Step step{actualAlpha > 0.0 ? exactBeta_ / actualAlpha : Infinity(),
                                      actualAlpha};
        if (sameFrom_ <= critical_ && critical_ < sameBelow_) {
            known.push_back(
                {sameFrom_, sameBelow_, spanRecords_, step, actualAlpha, actualPower, exactBeta_});
        }
        return step;
    };
    const exact_search::CompromiseResult searched =
        exact_search::CompromiseAlpha(at, q, start, CompromiseSearchRules());
    // Neither growing nor shrinking alpha brings the attained ratio to q:
    // the approximation's alpha is no answer of the exact test. A walk
    // down that ends at the floor with the ratio still below q has its
    // answer below every alpha the search may show.
    if (!searched.bracketed) {
        if (!(searched.alpha > exact_search::kAlphaFloor))
            exact_search::NoAlphaAboveFloor("Solver-Compromise");
        NoCompromise();
    }
    // The regions grow with alpha, so the ratio never rises with it: the
    // alpha shown is one Post hoc takes, on the step nearest to q.
    const exact_search::CompromiseResult found = exact_search::NearestShownStep(at, q, searched);
    alpha = found.alpha;
    power = actualPower;
    if (!(actualAlpha > 0.0)) NoCompromise();
    compromiseBeta = exactBeta_;
    return found.ratio;
}

// ---------------------------------------------------------- Sensitivity

double PowerExactUncondTwoProp::SolveEffectSize2(double alphaValue, double target, double n1,
                                                 double n2) {
    const double h = NullProportion();
    alpha = alphaValue;
    power = target;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    const bool upward = effectDirection >= 0.0;
    const bool exact = !UsesLargeSample(n1, n2);

    const double extreme = upward ? kLargestP1 : kSmallestP1;
    double p1 = extreme;
    bool reachable = LargeSamplePower(extreme, alphaValue, n1, n2) >= target;
    if (reachable) {
        try {
            analysisType = kSensitivity;
            BracketEffectSize();
            p1 = SolveInBracket("Solver-EffectSize", 100);
        } catch (const QuorixError&) {
            if (!exact) throw;
            reachable = false;
            p1 = extreme;
        }
    }
    alpha = alphaValue;
    power = target;
    if (!exact) {
        if (!reachable) Unreachable("Solver-EffectSize", extreme);
        actualPower = LargeSamplePower(p1, alphaValue, n1, n2);
        actualAlpha = alphaValue;
        proportion1 = p1;
        return p1;
    }

    // With alpha and the groups fixed the region stays the same throughout
    // the search, and the power grows with the distance of p1 from p0. The
    // search asks of each p1 only whether its power reaches the target.
    Restore<bool> plainSizes(sizeOnItsSide_, false);
    Restore<double> decideOnly(decideTarget_, target);
    const double far = upward ? 1.0 : 0.0;
    if (PowerAt(far, alphaValue, n1, n2) < target) Unreachable("Solver-EffectSize", far);
    double nearEnd = h, farEnd = far;  // nearEnd misses the target, farEnd reaches it
    if (upward ? (p1 > h && p1 < 1.0) : (p1 < h && p1 > 0.0)) {
        if (PowerAt(p1, alphaValue, n1, n2) >= target) {
            farEnd = p1;
        } else {
            nearEnd = p1;
        }
    }
    farEnd = exact_search::EffectReaching([&](double x) { return PowerAt(x, alphaValue, n1, n2); },
                                          target, nearEnd, farEnd);
    // The search's last evaluation is at the answer; once more for its
    // power and size.
    decideTarget_ = 0.0;
    sizeOnItsSide_ = true;
    PowerAt(farEnd, alphaValue, n1, n2);
    power = target;
    proportion1 = farEnd;
    return farEnd;
}

// ------------------------------------------------------- checks, outputs

bool PowerExactUncondTwoProp::IsTargetPowerUnreachable(const double* effect, double alphaValue,
                                                       double target) {
    const double n1 = RoundTo(maxSampleSize / (allocationRatio + 1.0), 0);
    const double n2 = RoundTo(n1 * allocationRatio, 0);
    return LargeSamplePower(Convert23(*effect), alphaValue, n1, n2) < target;
}

// Three subjects at least: the t statistic has N - 2 df.
bool PowerExactUncondTwoProp::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckSampleSizeMinimum(AsCount(n), 3);
}

bool PowerExactUncondTwoProp::CheckEffectFor(double x, double p2) {
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

bool PowerExactUncondTwoProp::CheckEffectSize(int, double x) {
    ClearMessage();
    return CheckEffectFor(x, proportion2);
}

// --------------------------------------------------------- lists and run

void PowerExactUncondTwoProp::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    SetEffectFromP1();
    const bool withH0 = TakesH0Value();
    const GivenInputs given = GivenInputsOf(type);
    if (type == kSensitivity) {
        if (withH0) {
            AddEffectDirectionInput(inputs, "p|H1$\\le$p|H0", "p|H1$\\ge$p|H0");
        } else {
            AddEffectDirectionInput(inputs, "p1$\\le$p2", "p1$\\ge$p2");
        }
    }
    if (given.effect) AddEffectSizeInput(inputs, GetNoncentralityId(), GetTestId(), "", true);
    if (withH0) AddDoubleInput(inputs, GetH0EffectId(), H0EffectFromOffset(nullDifference));
    AddDoubleInput(inputs, kProportionP2Id, proportion2);
    AddGivenInputs(*this, type, inputs, [] {});
    if (given.sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
}

CalculateStatus PowerExactUncondTwoProp::Calculate(AnalysisType type, PropertyList* inputs) {
    const bool withH0 = TakesH0Value();
    double p2 = 0.0, h0 = 0.0;
    int tails = 0, direction = 1;
    ReadCheckSolve path;
    path.effectId = GetNoncentralityId();
    path.sample = SampleInputs::kGroups;
    path.readDesign = [&] {
        int p2Row = -1, h0Row = -1, tailsRow = -1;
        p2 = ReadDouble(inputs, kProportionP2Id, &p2Row);
        if (!CheckNamedRangeInclusive("Proportion p2", p2, kMargin)) return p2Row;
        // The H0 value is checked before anything of the analysis type.
        if (withH0) {
            h0 = ReadDouble(inputs, GetH0EffectId(), &h0Row);
            if (!CheckEffectFor(h0, p2)) return h0Row;
        }
        tails = ReadTails(inputs, &tailsRow);
        if (!withH0) nullDifference = 0.0;
        // A code without a statistic would reject nothing and show a power
        // of 0; with an H0 value, a code the options of the measure do not
        // offer would test something else.
        if (!OffersStatistic()) {
            throw QuorixError(withH0 ? "Exact-Unconditional: statistic not offered for this "
                                       "effect measure"
                                     : "Exact-Unconditional: no such statistic",
                              QuorixError::kOutOfRange, statistic);
        }
        return -1;
    };
    const InputTable effect{
        {Given::kEffect, [&](const GivenValues& v) { return CheckEffectFor(v.effect, p2); }}};
    // Of the effect and the sizes both refused, the test with an H0 value
    // names the effect, the test of equality the sizes.
    auto effectAnd = [&](InputTable sizes) {
        return withH0 ? JoinChecks({effect, std::move(sizes)})
                      : JoinChecks({std::move(sizes), effect});
    };
    InputTable groups{
        {Given::kSampleSize1,
         [this](const GivenValues& v) {
             return CheckSampleSizeMinimum(static_cast<int>(v.sampleSize1), 1);
         }},
        {Given::kSampleSize2,
         [this](const GivenValues& v) {
             return CheckSampleSizeMinimum(static_cast<int>(v.sampleSize2), 1);
         }},
        {Given::kSampleSize1,
         [this](const GivenValues& v) {
             return CheckTotalSampleSize(GroupSizeSum(v.sampleSize1, v.sampleSize2), 3,
                                         kLargestExactTotalSampleSize);
         },
         Given::kSampleSize2},
    };
    switch (type) {
        case kAPriori:
            path.checks = JoinChecks(
                {effectAnd({AllocationRatioAbove(*this, 0.01)}), AlphaPowerChecks(*this)});
            break;
        case kSensitivity: {
            // The direction of the search is read once the sizes are.
            InputCheck readDirection{Given::kSampleSize2, [&](const GivenValues&) {
                                         int directionRow = -1;
                                         direction = ReadEffectDirection(inputs, &directionRow);
                                         return true;
                                     }};
            readDirection.whenRead = true;
            path.checks = JoinChecks(
                {{readDirection, AlphaInRange(*this), PowerInRange(*this)}, std::move(groups)});
            break;
        }
        case kPostHoc:
            path.checks = JoinChecks({effect, {AlphaInRange(*this)}, std::move(groups)});
            break;
        case kCriterion:
            path.checks = JoinChecks({effectAnd(std::move(groups)), {PowerInRange(*this)}});
            break;
        case kCompromise:
            path.checks =
                JoinChecks({effectAnd(std::move(groups)), {RatioInRange(*this, 0.01, 100.0)}});
            break;
    }
    double shownEffect = 0.0, shownP1 = 0.0, shownP2 = 0.0;
    path.takeDesign = [&](GivenValues& v) {
        if (!(kAPriori <= type && type <= kCompromise)) return;
        shownEffect = effectSize;
        shownP1 = proportion1;
        shownP2 = proportion2;
        oneTailed = tails == 0;
        proportion2 = p2;
        if (withH0) SetOffsetFromH0Effect(h0);
        if (type != kSensitivity) {
            effectSize = v.effect;
            UpdateProportionFromEffect();
        }
        if (type == kAPriori) return;
        groupSize1 = static_cast<double>(v.sampleSize1);
        groupSize2 = static_cast<double>(v.sampleSize2);
        allocationRatio = groupSize2 / groupSize1;
        sampleSize = groupSize1 + groupSize2;
        if (type == kSensitivity) effectDirection = direction == 0 ? -1.0 : 1.0;
    };
    // p1 = p2 is no effect: the power is alpha at every N, and there is no
    // sample size to find. (With an H0 value the search says that the
    // target is out of reach.)
    path.checkTaken = [&](const GivenValues& v) {
        if (type != kAPriori || withH0 || std::fabs(proportion1 - p2) > 1e-6) return -1;
        effectSize = shownEffect;
        proportion1 = shownP1;
        proportion2 = shownP2;
        messages << "In an a priori analysis, the proportions p1 and p2\n"
                 << "must differ by more than 1e-06.";
        return v.Row(Given::kEffect);
    };
    // The searches work on p1, which the effect and p2 give.
    path.solve = [&](const GivenValues& v) {
        switch (type) {
            case kAPriori:
                allocationRatio = v.allocationRatio;
                SolveSampleSize(proportion1, v.alpha, v.power, true);
                break;
            case kSensitivity:
                // A failed search leaves p1, and so the effect shown, as it
                // was.
                RestoringOnFailure(proportion1, [&] {
                    return SolveEffectSize2(v.alpha, v.power, groupSize1, groupSize2);
                });
                effectSize = Convert24(proportion1);
                break;
            case kPostHoc:
                power = ComputePower2(proportion1, v.alpha, groupSize1, groupSize2);
                break;
            case kCriterion:
                alpha = SolveAlpha2(proportion1, v.power, groupSize1, groupSize2);
                break;
            case kCompromise:
                actualRatio = SolveCompromise2(proportion1, v.ratio, groupSize1, groupSize2);
                break;
        }
    };
    return RunReadCheckSolve(*this, type, inputs, path);
}

bool PowerExactUncondTwoProp::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckSampleSizeMinimum(AsCount(n1 + n2), 3) && CheckSampleSizeMinimum(AsCount(n1), 1) &&
           CheckSampleSizeMinimum(AsCount(n2), 1);
}

OutputTable PowerExactUncondTwoProp::Outputs(AnalysisType type) {
    switch (type) {
        case kAPriori:
            return {SampleSize1Row(), SampleSize2Row(), TotalSampleSizeRow(), ActualAlphaRow(),
                    ActualPowerRow()};
        case kSensitivity:
            return {EffectSizeRow(GetEffectSizeId()), ActualAlphaRow(), ActualPowerRow()};
        case kPostHoc:
            return {PowerRow(), ActualAlphaRow()};
        case kCriterion:
            return {AlphaRow(), ActualPowerRow(), ActualAlphaRow()};
        case kCompromise:
            return {AlphaRow(), ActualAlphaRow(), BetaRow(), PowerRow(), ActualRatioRow()};
    }
    return {};
}
