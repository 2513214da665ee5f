#include "power/exact/power_exact_uncond.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <limits>
#include <map>
#include <string>
#include <utility>

#include "analysis/parameter_names.h"
#include "analysis/read_check_solve.h"
#include "analysis/test_family_support.h"
#include "distributions/normal.h"
#include "distributions/t.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "numerics/saddle_point.h"
#include "power/exact/exact_search.h"
#include "power/exact/restore.h"

namespace {

// Terms below this share of the running sum end a walk.
constexpr double kNegligible = 1e-15;
// How far a power bounded by part of its walk must lie above a target to
// decide that the whole walk reaches it: far above the rounding of sums of
// some 1e6 masses.
constexpr double kDecisionMargin = 1e-9;
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
// The lower end of a row whose outcomes are judged one by one.
constexpr int kScannedRow = -2;
// A size or beta below this is summed on its own side: its complement has
// lost more than a few of its digits.
constexpr double kSummedTail = 1e-6;
// The running sums of one group's masses leave out those below this much of
// the mode's: together far below the rounding of a sum near 1.
constexpr double kOutsideWindow = 1e-20;

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

// The z at which a skewness-corrected value w(z) (see SkewOverRow) equals
// w, least or greatest over g in gLo..gHi. The inverse of w(z) is z = w +
// g (w^2 - 1) where 1 + 2 g w >= 0 and z = w/2 - g elsewhere, the two equal
// at the kink g = -1/(2 w): linear in g on either side of it, so the
// extremes lie at gLo, gHi or the kink. Without skewness it is w itself;
// otherwise widened far beyond the rounding of either side.
double SkewThreshold(double w, double gLo, double gHi, bool greatest) {
    if (gLo == 0.0 && gHi == 0.0) return w;
    auto z = [w](double g) {
        return 1.0 + 2.0 * g * w >= 0.0 ? w + g * (w * w - 1.0) : w / 2.0 - g;
    };
    double lo = std::min(z(gLo), z(gHi)), hi = std::max(z(gLo), z(gHi));
    if (w != 0.0) {
        const double kink = -1.0 / (2.0 * w);
        if (gLo < kink && kink < gHi) {
            lo = std::min(lo, z(kink));
            hi = std::max(hi, z(kink));
        }
    }
    const double slack =
        1e-9 * (1.0 + std::fabs(w) + std::fabs(w * w * gLo) + std::fabs(w * w * gHi));
    return greatest ? hi + slack : lo - slack;
}

}  // namespace

void PowerExactUncondTwoProp::MassCache::Reset(int trials, double proportion) {
    if (trials == n && proportion == q) return;
    n = trials;
    q = proportion;
    mass.assign(static_cast<size_t>(trials) + 1, -1.0);
    positiveKnown = false;
    mode = -1;
    fromLow.clear();
    fromHigh.clear();
}

void PowerExactUncondTwoProp::MassCache::PositiveRange(int* first, int* last) {
    if (!positiveKnown) {
        positiveFirst = 0;
        positiveLast = n;
        while (positiveFirst <= n && !(At(positiveFirst) > 0.0)) ++positiveFirst;
        while (positiveLast >= positiveFirst && !(At(positiveLast) > 0.0)) --positiveLast;
        positiveKnown = true;
    }
    *first = positiveFirst;
    *last = positiveLast;
}

double PowerExactUncondTwoProp::MassCache::RangeSum(int lo, int hi) {
    if (mode < 0) {
        mode = std::clamp(static_cast<int>(std::floor((n + 1) * q)), 0, n);
        const double floor = kOutsideWindow * At(mode);
        windowLo = windowHi = mode;
        while (windowLo > 0 && At(windowLo - 1) > floor) --windowLo;
        while (windowHi < n && At(windowHi + 1) > floor) ++windowHi;
        fromLow.resize(static_cast<size_t>(mode - windowLo));
        double sum = 0.0;
        for (int x = windowLo; x < mode; ++x) {
            fromLow[static_cast<size_t>(x - windowLo)] = sum += At(x);
        }
        fromHigh.resize(static_cast<size_t>(windowHi - mode) + 1);
        sum = 0.0;
        for (int x = windowHi; x >= mode; --x) {
            fromHigh[static_cast<size_t>(x - mode)] = sum += At(x);
        }
    }
    lo = std::max(lo, windowLo);
    hi = std::min(hi, windowHi);
    if (lo > hi) return 0.0;
    // Over windowLo..x for x below the mode, and over x..windowHi from it on.
    auto low = [&](int x) {
        return x < windowLo ? 0.0 : fromLow[static_cast<size_t>(x - windowLo)];
    };
    auto high = [&](int x) { return x > windowHi ? 0.0 : fromHigh[static_cast<size_t>(x - mode)]; };
    if (hi < mode) return low(hi) - low(lo - 1);
    if (lo >= mode) return high(lo) - high(hi + 1);
    return (low(mode - 1) - low(lo - 1)) + (high(mode) - high(hi + 1));
}

double PowerExactUncondTwoProp::MassCache::At(int x) {
    double& m = mass[static_cast<size_t>(x)];
    if (m < 0.0) m = dbinom(x, n, q, 0);
    return m;
}

void PowerExactUncondTwoProp::CopyStateTo(PowerAnalysis& target) const {
    PowerExact::CopyStateTo(target);
    auto& copy = static_cast<PowerExactUncondTwoProp&>(target);
    copy.nullDifference = nullDifference;
}

PowerExactUncondTwoProp::PowerExactUncondTwoProp() {
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

// ------------------------------------------------------------ exact power

double PowerExactUncondTwoProp::ExactCriticalValue(double alphaValue, int side) const {
    const double tail = alphaValue / (side == 2 ? 2.0 : 1.0);
    if (!(tail > 0.0)) return Infinity();
    if (!(tail < 1.0)) return -Infinity();
    double c;
    if (referenceDistribution == 1) {
        TDistribution central(m1_ + m2_ - 2.0, 0.0);
        c = -central.Quantile(tail);
    } else {
        // The chi-square statistic with 1 df is compared as its signed
        // root: the root of its quantile at 1 - 2 tail is the normal one at
        // 1 - tail.
        c = -NormalQuantile(tail);
    }
    // Two tails at alpha 1 reject every outcome off the boundary, not the
    // ones on it (a quantile at 0.5 may come out an ulp off 0).
    return side == 2 ? std::max(c, 0.0) : c;
}

double PowerExactUncondTwoProp::OrientedValue(int x2, int x1) {
    const double v = StatisticValue(statistic, x2, x1, m2_, m1_, 0.0, side_);
    if (std::isnan(v)) return 0.0;
    if (referenceDistribution != 2) return v;
    const double d = static_cast<double>(x1) / m1_ - static_cast<double>(x2) / m2_ - nullDifference;
    const double root = std::sqrt(std::max(v, 0.0));
    return d < 0.0 ? -root : root;
}

// The span grows at least by its own length each time, towards the x1
// asked for, and never beyond 0 and m1.
double& PowerExactUncondTwoProp::ScannedRow::At(int x1, int m1) {
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    const int size = static_cast<int>(values.size());
    if (size == 0) {
        base = x1;
        values.assign(1, kUnknown);
    } else if (x1 < base) {
        const int newBase = std::max(0, std::min(x1, base - size));
        values.insert(values.begin(), static_cast<size_t>(base - newBase), kUnknown);
        base = newBase;
    } else if (x1 >= base + size) {
        const int end = std::min(m1 + 1, std::max(x1 + 1, base + 2 * size));
        values.resize(static_cast<size_t>(end - base), kUnknown);
    }
    return values[static_cast<size_t>(x1 - base)];
}

// The bounds decide with a margin of 1e-6 of the value (far above its
// rounding); an outcome without a clear difference is left to its value.
int PowerExactUncondTwoProp::Screen(int x2, int x1) {
    if (x1 < weightLo_ || x1 > weightHi_ || !std::isfinite(critical_)) return 0;
    const size_t row = static_cast<size_t>(x2);
    if (std::isnan(rowNear_[row])) {
        double nearScale = 0.0, farScale = 0.0, gLo = 0.0, gHi = 0.0;
        if (!BoundsOverRow(x2, weightLo_, weightHi_, m1_, m2_, &nearScale, &farScale) ||
            !SkewOverRow(x2, weightLo_, weightHi_, m1_, m2_, &gLo, &gHi)) {
            nearScale = farScale = 0.0;
        }
        rowNear_[row] = nearScale;
        rowFar_[row] = farScale;
        rowSkewLo_[row] = gLo;
        rowSkewHi_[row] = gHi;
    }
    const double nearScale = rowNear_[row], farScale = rowFar_[row];
    if (!(nearScale > 0.0)) return 0;
    const double d = RowDifference(x2, x1, m1_, m2_);
    if (!(std::fabs(d) > 1e-12)) return 0;
    constexpr double kMargin = 1e-6;
    const double nearer = d * nearScale * (1.0 - kMargin), farther = d * farScale * (1.0 + kMargin);
    const double low = d > 0.0 ? nearer : farther, high = d > 0.0 ? farther : nearer;
    // The bounds are on z; the value passes c where z passes its threshold,
    // the same for the whole row at one critical value.
    RowThresholds& t = rowThresholds_[row];
    if (!(t.critical == critical_)) {
        const double gLo = rowSkewLo_[row], gHi = rowSkewHi_[row], c = critical_;
        t.critical = c;
        t.upperMost = SkewThreshold(c, gLo, gHi, true);
        t.upperLeast = SkewThreshold(c, gLo, gHi, false);
        t.lowerLeast = SkewThreshold(-c, gLo, gHi, false);
        t.lowerMost = SkewThreshold(-c, gLo, gHi, true);
    }
    if ((side_ != 1 && low > t.upperMost) || (side_ != 0 && high < t.lowerLeast)) return -1;
    if ((side_ == 1 || high <= t.upperLeast) && (side_ == 0 || low >= t.lowerMost)) return 1;
    return 0;
}

bool PowerExactUncondTwoProp::Accepts(int x2, int x1) {
    double& v = scanned_[static_cast<size_t>(x2)].At(x1, m1_);
    // OrientedValue is never NaN. The sorted rows need every value; the
    // other sums only the verdict, which bounds on the statistic often give
    // without it (the chi-square reference takes the root of the value and
    // is left to it).
    if (std::isnan(v)) {
        if (!sortRows_ && referenceDistribution != 2) {
            const int screened = Screen(x2, x1);
            if (screened != 0) return screened > 0;
        }
        v = OrientedValue(x2, x1);
    }
    return (side_ == 1 || v <= critical_) && (side_ == 0 || v >= -critical_);
}

// Where the derived test proves that the x1 kept for one x2 form an
// interval (below the upper critical value when the upper tail is tested,
// above the lower one when the lower tail is), each end is found by a
// gallop from the H0 boundary and a bisection. Elsewhere the statistic may
// cross a critical value more than once (a continuity correction that
// changes sign, a variance that vanishes at a corner while the offset keeps
// the difference from 0), and the row is judged outcome by outcome.
void PowerExactUncondTwoProp::FindAcceptanceBounds(int x2) {
    if (!AcceptsAnInterval(x2, m1_, m2_, side_, critical_)) {
        acceptLower_[static_cast<size_t>(x2)] = kScannedRow;
        return;
    }
    const double c = critical_;
    int b =
        static_cast<int>(std::floor(m1_ * nullDifference + static_cast<double>(m1_) / m2_ * x2));
    b = std::clamp(b, 0, m1_);
    // The largest x in [first, last] with keep(x), keep true up to a point
    // and false after it; first - 1 when it holds nowhere.
    auto lastKept = [&](int first, int last, auto keep) {
        int lo, hi;  // keep(lo) or lo < first; !keep(hi) or hi > last
        if (keep(b)) {
            lo = b;
            int step = 1;
            hi = b + step;
            while (hi <= last && keep(hi)) {
                lo = hi;
                step *= 2;
                hi = lo + step;
            }
            hi = std::min(hi, last + 1);
        } else {
            hi = b;
            int step = 1;
            lo = b - step;
            while (lo >= first && !keep(lo)) {
                hi = lo;
                step *= 2;
                lo = hi - step;
            }
            lo = std::max(lo, first - 1);
        }
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (keep(mid)) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        return lo;
    };
    int upper = m1_;
    if (side_ != 1 && !(OrientedValue(x2, m1_) <= c)) {
        upper = lastKept(0, m1_, [&](int x1) { return OrientedValue(x2, x1) <= c; });
    }
    int lower = 0;
    if (side_ != 0 && !(OrientedValue(x2, 0) >= -c)) {
        lower = lastKept(0, m1_, [&](int x1) { return OrientedValue(x2, x1) < -c; }) + 1;
    }
    acceptLower_[static_cast<size_t>(x2)] = lower;
    acceptUpper_[static_cast<size_t>(x2)] = upper;
}

template <class Visit, class Spent>
void PowerExactUncondTwoProp::VisitScannedRow(int start, MassCache& group1, Visit visit,
                                              Spent spent) {
    int up = std::clamp(start, 0, m1_);
    int down = up - 1;
    double total = group1.At(up);
    visit(up, total);
    ++up;
    for (;;) {
        const bool canDown = down >= 0, canUp = up <= m1_;
        if (!canDown && !canUp) break;
        const double d = canDown ? group1.At(down) : 0.0;
        const double u = canUp ? group1.At(up) : 0.0;
        if (spent(total, d, u)) break;
        if (canDown && (!canUp || d >= u)) {
            total += d;
            visit(down, d);
            --down;
        } else {
            total += u;
            visit(up, u);
            ++up;
        }
    }
}

template <class Visit>
void PowerExactUncondTwoProp::VisitScannedRow(int start, MassCache& group1, Visit visit) {
    // The masses fall away from the mode, next to the start: once both next
    // ones are negligible against the row's mass, so is everything beyond,
    // accepted or not.
    VisitScannedRow(start, group1, visit, [](double total, double d, double u) {
        return d <= kNegligible * total && u <= kNegligible * total;
    });
}

double PowerExactUncondTwoProp::SumScannedRow(int x2, int start, MassCache& group1) {
    const double rowMass = group2_.At(x2);
    if (group1.q <= 0.0) return Accepts(x2, 0) ? rowMass : 0.0;
    if (group1.q >= 1.0) return Accepts(x2, m1_) ? rowMass : 0.0;
    if (sortRows_ && group1.slot >= 0)
        return rowMass * SortedRowFor(x2, start, group1).Kept(critical_);
    double kept = 0.0;
    VisitScannedRow(start, group1, [&](int x1, double mass) {
        if (Accepts(x2, x1)) kept += mass;
    });
    return rowMass * kept;
}

double PowerExactUncondTwoProp::SortedRow::Kept(double c) const {
    const auto end = std::upper_bound(keys.begin(), keys.end(), c);
    return end == keys.begin() ? 0.0 : cumulative[static_cast<size_t>(end - keys.begin() - 1)];
}

const PowerExactUncondTwoProp::SortedRow& PowerExactUncondTwoProp::SortedRowFor(int x2, int start,
                                                                                MassCache& group1) {
    const size_t slot = static_cast<size_t>(group1.slot);
    if (sortedQ_[slot] != group1.q || sorted_[slot].size() != static_cast<size_t>(m2_) + 1) {
        sortedQ_[slot] = group1.q;
        sorted_[slot].assign(static_cast<size_t>(m2_) + 1, {});
    }
    SortedRow& row = sorted_[slot][static_cast<size_t>(x2)];
    if (!row.keys.empty()) return row;
    // An outcome is accepted when its key is at most the critical value:
    // |v| with two tails, v for the upper tail alone, -v for the lower.
    std::vector<std::pair<double, double>> visited;
    VisitScannedRow(start, group1, [&](int x1, double mass) {
        Accepts(x2, x1);
        const double v = scanned_[static_cast<size_t>(x2)].At(x1, m1_);
        visited.emplace_back(side_ == 2 ? std::fabs(v) : side_ == 0 ? v : -v, mass);
    });
    std::sort(visited.begin(), visited.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    double sum = 0.0;
    for (const auto& [key, mass] : visited) {
        sum += mass;
        row.keys.push_back(key);
        row.cumulative.push_back(sum);
    }
    return row;
}

double PowerExactUncondTwoProp::SumAcceptedRow(int x2, int start, MassCache& group1) {
    if (acceptLower_[static_cast<size_t>(x2)] == kScannedRow) {
        return SumScannedRow(x2, start, group1);
    }
    const int lo = acceptLower_[static_cast<size_t>(x2)];
    const int hi = acceptUpper_[static_cast<size_t>(x2)];
    // The walk's sums are shown only as 1 less themselves, the power and the
    // size: the running sums of the group's masses serve them in one step (a
    // group without spread has its one mass of 1 at the mode).
    return group2_.At(x2) * group1.RangeSum(lo, hi);
}

double PowerExactUncondTwoProp::SumRange(MassCache& group1, int lo, int hi, int start) {
    if (lo > hi) return 0.0;
    // A group without spread has all its mass on one count.
    if (group1.q <= 0.0) return lo <= 0 ? 1.0 : 0.0;
    if (group1.q >= 1.0) return hi >= m1_ ? 1.0 : 0.0;
    int down, up;
    if (start >= hi) {
        down = std::max(hi - 1, lo);
        up = hi;
    } else if (start <= lo) {
        down = lo;
        up = std::min(lo + 1, hi);
    } else {
        down = start - 1;
        up = start;
    }
    double downTerm = group1.At(down);
    double upTerm = up != down ? group1.At(up) : 0.0;
    double sum = downTerm + upTerm;
    // The masses fall away from the mode, which the start is nearest: once
    // both open ends are negligible, so is everything beyond them.
    for (;;) {
        const bool canDown = down > lo, canUp = up < hi;
        if (!canDown && !canUp) break;
        const double d = canDown ? downTerm : 0.0, u = canUp ? upTerm : 0.0;
        if (sum > 0.0 && d <= kNegligible * sum && u <= kNegligible * sum) break;
        if (canDown && (!canUp || downTerm >= upTerm)) {
            downTerm = group1.At(--down);
            sum += downTerm;
        } else {
            upTerm = group1.At(++up);
            sum += upTerm;
        }
    }
    return sum;
}

// Over a span of x1 whose bounds hold, z exceeds d near for d > 0 and lies
// below d near for d < 0: an outcome with d beyond t/near (with the margin
// of Screen) on a tested side is rejected, t the threshold of z at +-c
// (c itself without skewness). The span so left is narrowed once more with
// the bounds over itself.
bool PowerExactUncondTwoProp::AcceptedSpan(int x2, int* first, int* last) {
    if (!OffersRowBounds() || referenceDistribution == 2) return false;
    const double c = critical_;
    if (!(c > 0.0) || !std::isfinite(c)) return false;
    int lo = 0, hi = m1_;
    for (int pass = 0; pass < 2 && lo <= hi; ++pass) {
        double nearScale = 0.0, farScale = 0.0, gLo = 0.0, gHi = 0.0;
        if (!BoundsOverRow(x2, lo, hi, m1_, m2_, &nearScale, &farScale) ||
            !SkewOverRow(x2, lo, hi, m1_, m2_, &gLo, &gHi)) {
            return pass > 0;
        }
        const double upper = SkewThreshold(c, gLo, gHi, true);
        const double lower = SkewThreshold(-c, gLo, gHi, false);
        if ((side_ != 1 && !(upper > 0.0)) || (side_ != 0 && !(lower < 0.0))) return pass > 0;
        // x1 at d: (d + centre) m1, one count wider each way. A wide range
        // of the skewness can carry it far beyond the row, and beyond the
        // range of an int: held at the row's ends first.
        const double centre = RowCentre(x2, m2_);
        auto count = [this](double x) { return static_cast<int>(std::clamp(x, -1.0, m1_ + 1.0)); };
        if (side_ != 1) {
            const double reach = upper / nearScale * (1.0 + 1e-6);
            hi = std::min(hi, count(std::ceil((centre + reach) * m1_)) + 1);
        }
        if (side_ != 0) {
            const double reach = -lower / nearScale * (1.0 + 1e-6);
            lo = std::max(lo, count(std::floor((centre - reach) * m1_)) - 1);
        }
        *first = lo;
        *last = hi;
    }
    return true;
}

double PowerExactUncondTwoProp::SumRowTail(int x2, int start, MassCache& group1, bool rejected,
                                           double running) {
    const double rowMass = group2_.At(x2);
    if (!(rowMass > 0.0)) return 0.0;
    const int lo = acceptLower_[static_cast<size_t>(x2)];
    if (lo != kScannedRow) {
        const int hi = acceptUpper_[static_cast<size_t>(x2)];
        if (!rejected) return rowMass * SumRange(group1, lo, hi, start);
        if (lo > hi) return rowMass;
        return rowMass *
               (SumRange(group1, 0, lo - 1, start) + SumRange(group1, hi + 1, m1_, start));
    }
    auto wanted = [&](int x1) { return Accepts(x2, x1) != rejected; };
    if (group1.q <= 0.0) return wanted(0) ? rowMass : 0.0;
    if (group1.q >= 1.0) return wanted(m1_) ? rowMass : 0.0;
    int first = 0, last = m1_;
    if (!rejected && AcceptedSpan(x2, &first, &last)) {
        // A small beta lies in the accepted outcomes far from the mode of
        // the row: each of the span the bounds leave, rather than the walk
        // from the mode through every rejected outcome. Outcomes whose mass
        // has underflowed to 0 add nothing and are not judged.
        int positiveFirst = 0, positiveLast = -1;
        group1.PositiveRange(&positiveFirst, &positiveLast);
        first = std::max(first, positiveFirst);
        last = std::min(last, positiveLast);
        double kept = 0.0;
        for (int x1 = first; x1 <= last; ++x1) {
            if (Accepts(x2, x1)) kept += group1.At(x1);
        }
        return rowMass * kept;
    }
    // Every x1 from the mode outwards until the masses left are negligible
    // against the wanted mass of the rows so far: wanted outcomes may lie
    // only in the far tails of the row.
    double kept = 0.0;
    VisitScannedRow(
        start, group1,
        [&](int x1, double mass) {
            if (wanted(x1)) kept += mass;
        },
        [&](double, double d, double u) {
            const double bound = kNegligible * (running + rowMass * kept);
            return bound > 0.0 && rowMass * d <= bound && rowMass * u <= bound;
        });
    return rowMass * kept;
}

// The rows of group 2 from its mode outwards, the larger frontier term
// first; the walk ends once the masses of group 2 at both open ends are
// negligible against the sum, since no row exceeds its mass of group 2.
double PowerExactUncondTwoProp::WalkRows(MassCache& group1, double target) {
    const int start = static_cast<int>(m1_ * group1.q + 0.5);
    return WalkRowsWith([&](int x2, double) { return SumAcceptedRow(x2, start, group1); }, target);
}

double PowerExactUncondTwoProp::WalkTail(MassCache& group1, bool rejected) {
    const int start = static_cast<int>(m1_ * group1.q + 0.5);
    return WalkRowsWith(
        [&](int x2, double running) { return SumRowTail(x2, start, group1, rejected, running); });
}

template <class RowSum>
double PowerExactUncondTwoProp::WalkRowsWith(RowSum rowSum, double target) {
    const double t = m2_ * proportion2;
    int u = static_cast<int>(std::ceil(t));
    int d = static_cast<int>(std::floor(t));
    if (u == d) d = u - 1;
    u = std::min(u, m2_);
    double sum = 0.0;
    // The mass of group 2 over the rows summed, where a target asks for it.
    double visited = 0.0;
    auto row = [&](int x2) {
        if (IsCancelled()) throw CancelledError();
        if (acceptLower_[static_cast<size_t>(x2)] == -1) FindAcceptanceBounds(x2);
        if (target > 0.0) visited += group2_.At(x2);
        return rowSum(x2, sum);
    };
    double upTerm = row(u);
    sum = upTerm;
    double downTerm = d >= 0 ? row(d) : 0.0;
    sum = upTerm + downTerm;
    for (;;) {
        if (target > 0.0) {
            // Each row adds a mass of at least 0, and rounding keeps a sum
            // of such terms from falling: once the power 1 - sum misses
            // the target, the power of the whole walk does too.
            if (std::clamp(1.0 - sum, 0.0, 1.0) < target) break;
            // The rows left add at most their mass of group 2, 1 - visited:
            // where the power stays above the target even so, by a margin
            // far beyond the rounding of the sums, the whole walk reaches
            // it too.
            if (visited - sum - kDecisionMargin >= target) break;
        }
        const bool canUp = u<m2_, canDown = d> 0;
        if (!canUp && !canDown) break;
        const double upMass = canUp ? group2_.At(u) : 0.0;
        const double downMass = canDown ? group2_.At(d) : 0.0;
        const bool upSpent = sum > 0.0 && upMass <= kNegligible * sum;
        const bool downSpent = sum > 0.0 && downMass <= kNegligible * sum;
        if (upSpent && downSpent) break;
        // The masses only fall further out: a spent end holds nothing of
        // weight any more, and the walk goes on at the other one alone.
        if (canUp && (!canDown || downSpent || (!upSpent && upTerm >= downTerm))) {
            upTerm = row(++u);
            sum += upTerm;
        } else {
            downTerm = row(--d);
            sum += downTerm;
        }
    }
    return sum;
}

double PowerExactUncondTwoProp::ExactPower(double p1, double alphaValue, double n1, double n2) {
    actualAlpha = alphaValue;
    proportion1 = p1;
    m1_ = static_cast<int>(std::floor(n1 + 0.5));
    m2_ = static_cast<int>(std::floor(n2 + 0.5));
    const double p0 = NullProportion();
    side_ = !oneTailed ? 2 : (p1 <= p0 ? 1 : 0);
    critical_ = ExactCriticalValue(alphaValue, side_);

    RegionKey key;
    key.m1 = m1_;
    key.m2 = m2_;
    key.code = statistic;
    key.reference = referenceDistribution;
    key.side = side_;
    key.critical = critical_;
    key.offset = nullDifference;
    key.p2 = proportion2;
    if (!(key == regionKey_)) {
        regionKey_ = key;
        acceptLower_.assign(static_cast<size_t>(m2_) + 1, -1);
        acceptUpper_.assign(static_cast<size_t>(m2_) + 1, -1);
    }
    key.critical = 0.0;
    if (!(key == valuesKey_)) {
        valuesKey_ = key;
        scanned_.assign(static_cast<size_t>(m2_) + 1, {});
        sortedQ_[0] = sortedQ_[1] = -1.0;
    }
    group2_.Reset(m2_, proportion2);
    MassCache& underH1 = group1H1_;
    MassCache& underH0 = group1H0_;
    underH1.Reset(m1_, p1);
    underH0.Reset(m1_, p0);
    underH1.slot = 0;
    underH0.slot = 1;
    // The x1 the sums of scanned rows visit: each term they add exceeds
    // 1e-15 of the row's mass so far, which holds the mode's.
    weightLo_ = 0;
    weightHi_ = -1;
    if (OffersRowBounds()) {
        int lo = m1_, hi = 0;
        for (MassCache* g : {&underH1, &underH0}) {
            if (!(g->q > 0.0 && g->q < 1.0)) {
                lo = 0;
                hi = m1_;
                continue;
            }
            const int start = std::clamp(static_cast<int>(m1_ * g->q + 0.5), 0, m1_);
            const double floor = kNegligible * g->At(start);
            int a = start, b = start;
            while (a > 0 && g->At(a - 1) > floor) --a;
            while (b < m1_ && g->At(b + 1) > floor) ++b;
            lo = std::min(lo, a);
            hi = std::max(hi, b);
        }
        weightLo_ = lo;
        weightHi_ = hi;
    }
    key.critical = 0.0;
    if (!(key == boundsKey_) || boundsLo_ != weightLo_ || boundsHi_ != weightHi_) {
        boundsKey_ = key;
        boundsLo_ = weightLo_;
        boundsHi_ = weightHi_;
        rowNear_.assign(static_cast<size_t>(m2_) + 1, std::numeric_limits<double>::quiet_NaN());
        rowFar_.assign(static_cast<size_t>(m2_) + 1, 0.0);
        rowSkewLo_.assign(static_cast<size_t>(m2_) + 1, 0.0);
        rowSkewHi_.assign(static_cast<size_t>(m2_) + 1, 0.0);
        rowThresholds_.assign(static_cast<size_t>(m2_) + 1, RowThresholds{});
    }
    const double accepted1 = WalkRows(underH1, decideTarget_);
    if (decideTarget_ > 0.0) {
        actualPower = std::clamp(1.0 - accepted1, 0.0, 1.0);
        exactBeta_ = 1.0 - actualPower;
        return actualPower;
    }
    const double accepted0 = WalkRows(underH0);

    actualPower = std::clamp(1.0 - accepted1, 0.0, 1.0);
    actualAlpha = std::clamp(1.0 - accepted0, 0.0, 1.0);
    exactBeta_ = 1.0 - actualPower;
    // The sums above are near 1 and round by some 1e-16: a size below
    // kSummedTail, which every analysis shows to seven digits, is summed
    // over the rejected outcomes instead, and (for the Compromise) a beta
    // that small over the accepted ones, row by row, so that both keep
    // their digits far below 1e-16.
    if (wantTails_ && accepted1 < kSummedTail) {
        exactBeta_ = std::clamp(WalkTail(underH1, false), 0.0, 1.0);
        actualPower = 1.0 - exactBeta_;
    }
    if (sizeOnItsSide_ && actualAlpha < kSummedTail) {
        actualAlpha = std::clamp(WalkTail(underH0, true), 0.0, 1.0);
    }
    // A power that small, 1 less a sum near 1, would show the rounding of
    // that sum in its digits: it is summed over the rejected outcomes too.
    if (sizeOnItsSide_ && actualPower < kSummedTail) {
        actualPower = std::clamp(WalkTail(underH1, true), 0.0, 1.0);
        exactBeta_ = 1.0 - actualPower;
    }
    return actualPower;
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
        if (!std::isfinite(r)) Unreachable("Solver-Compromise", start);
        return r;
    }

    // The realised ratio falls with alpha in steps; beta and the size are
    // each summed on their own side. The walk starts from the
    // approximation's alpha itself and brackets q between its last two
    // trials.
    const Restore<bool> withTails(wantTails_, true);
    const Restore<bool> sorted(sortRows_, true);
    auto at = [&](double a) {
        PowerAt(p1, a, n1, n2);
        return exact_search::Step{actualAlpha > 0.0 ? exactBeta_ / actualAlpha : Infinity(),
                                  actualAlpha};
    };
    exact_search::CompromiseRules rules;
    rules.steps = exact_search::CompromiseRules::Steps::kSquareWhileSmall;
    rules.halving = exact_search::CompromiseRules::Halving::kLogarithmBelowSmall;
    rules.fromSize = false;
    rules.ceiling = 0.9999999999;
    rules.lastTwoTrials = true;
    const exact_search::CompromiseResult found = exact_search::CompromiseAlpha(at, q, start, rules);
    // Neither growing nor shrinking alpha brings the attained ratio to q:
    // the approximation's alpha is no answer of the exact test.
    if (!found.bracketed) Unreachable("Solver-Compromise", found.alpha);
    alpha = found.alpha;
    power = actualPower;
    if (!(actualAlpha > 0.0)) Unreachable("Solver-Compromise", found.alpha);
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
