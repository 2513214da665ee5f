#include "power/t/power_t.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "distributions/t.h"

PowerT::PowerT() {
    // The density by the difference of two distribution functions.
    distribution = new TDistribution(1.0, 0.0, true);
    // A starting N of 100 in two halves; each test sets the rest of its
    // standard values.
    SetDf(1.0);
    sampleSize = 100.0;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
}

void PowerT::SetDf(double value) {
    df = value;
    distribution->SetParam(1, value);
}

int PowerT::AsCount(double n) {
    if (std::isnan(n)) return INT_MIN;
    if (n >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (n <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(n);
}

// ----------------------------------------------------------------- power

double PowerT::CriticalValueFor(double effect, double alphaValue) {
    distribution->SetNoncentrality(0.0);
    const double tailAlpha = alphaValue / (oneTailed ? 1.0 : 2.0);
    // The central t is symmetric: the upper quantile is taken as the
    // negated lower one, which stays finite where 1 - alpha rounds to 1.
    const double lower = distribution->Quantile(tailAlpha);
    return effect >= 0.0 ? -lower : lower;
}

double PowerT::UpperTail(double x) {
    // P(T > x; delta) = P(T <= -x; -delta).
    const double delta = distribution->GetNoncentrality();
    distribution->SetNoncentrality(-delta);
    double upper = 0.0;
    try {
        upper = distribution->Cdf(-x);
    } catch (...) {
        distribution->SetNoncentrality(delta);
        throw;
    }
    distribution->SetNoncentrality(delta);
    return upper;
}

double PowerT::ComputePower(double effect, double alphaValue, double n) {
    return ComputePower2(effect, alphaValue, n * 0.5, n * 0.5);
}

void PowerT::SetUpEvaluation(double effect, double alphaValue, double n1, double n2) {
    groupSize1 = n1;
    groupSize2 = n2;
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n1 + n2;
    SetDf(UpdateDf());
    criticalValue = CriticalValueFor(effect, alphaValue);
    distribution->SetNoncentrality(NoncentralityFromEffect(effect));
}

double PowerT::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    SetUpEvaluation(effect, alphaValue, n1, n2);
    return TailPower(criticalValue, effect >= 0.0);
}

// Beyond the noncentralities the t distribution sums, T lies near delta:
// with |delta| above 1e5 and a critical value a tenth of it or less, a tail
// is P(chi²_nu/nu > 100) or less from 0 or 1, nothing a power shows.
bool PowerT::TailIsCertain(double cv) {
    const double delta = distribution->GetNoncentrality();
    return std::fabs(delta) > 1e5 && std::fabs(cv) * 10.0 < std::fabs(delta);
}

double PowerT::TailPower(double cv, bool upperSide) {
    if (TailIsCertain(cv)) {
        const bool deltaAbove = distribution->GetNoncentrality() > cv;
        return upperSide == deltaAbove || !oneTailed ? 1.0 : 0.0;
    }
    if (upperSide) {
        // Rejection above cv (and, with two tails, below -cv).
        const double upper = UpperTail(cv);
        return oneTailed ? upper : upper + distribution->Cdf(-cv);
    }
    // Rejection below cv, which is negative here (and above -cv).
    const double lower = distribution->Cdf(cv);
    return oneTailed ? lower : lower + UpperTail(-cv);
}

double PowerT::ComputeBeta2(double effect, double alphaValue, double n1, double n2) {
    SetUpEvaluation(effect, alphaValue, n1, n2);
    return TailBeta(criticalValue, effect >= 0.0);
}

double PowerT::TailBeta(double cv, bool upperSide) {
    if (TailIsCertain(cv)) return 1.0 - TailPower(cv, upperSide);
    // The acceptance region, as the distribution function on the side away
    // from the bulk of T less the far tail beyond the other critical value
    // (with two tails, |cv| <= |the other| is never the bulk's side).
    if (upperSide) {
        const double below = distribution->Cdf(cv);
        return oneTailed ? below : std::max(0.0, below - distribution->Cdf(-cv));
    }
    const double above = UpperTail(cv);
    return oneTailed ? above : std::max(0.0, above - UpperTail(-cv));
}

double PowerT::GetBeta() {
    return ComputeBeta2(effectSize, alpha, groupSize1, groupSize2);
}

double PowerT::SensitivityObjective(double x) {
    return ComputePower2(x, alpha, groupSize1, groupSize2) - power;
}

double PowerT::CriterionObjective(double x) {
    return ComputePower2(effectSize, x, groupSize1, groupSize2) - power;
}

double PowerT::CompromiseObjective(double x) {
    // beta itself, not 1 - power: the implied alpha (and with it beta) can
    // lie far below 1e-16.
    const double beta = ComputeBeta2(effectSize, x, groupSize1, groupSize2);
    return 1.0 - beta / (x * ratio);
}

double PowerT::TwoGroupAPrioriObjective(double x) {
    const double n1 = x / (allocationRatio + 1.0);
    const double n2 = x - n1;
    groupSize1 = n1;
    groupSize2 = n2;
    return ComputePower2(effectSize, alpha, n1, n2) - power;
}

// ------------------------------------------------------ read, check, solve

void PowerT::TakeFamilyDesign(AnalysisType type, SampleInputs sample, int tails,
                              const GivenValues& v) {
    oneTailed = tails == 0;
    if (sample == SampleInputs::kGroups) {
        allocationRatio = type == kAPriori ? v.allocationRatio
                                           : static_cast<double>(v.sampleSize2) /
                                                 static_cast<double>(v.sampleSize1);
    } else if (sample == SampleInputs::kTotal && type != kAPriori) {
        sampleSize = static_cast<double>(v.sampleSize);
        groupSize1 = groupSize2 = sampleSize / 2.0;
    }
}

ReadCheckSolve PowerT::FamilyPath(AnalysisType type, PropertyList* inputs, SampleInputs sample,
                                  int& tails, OwnHook<int()> readOwn,
                                  OwnHook<void(GivenValues&)> takeOwn) {
    ReadCheckSolve path;
    path.effectId = GetEffectSizeId();
    path.sample = sample;
    // Without an own hook the path's hooks hold none: they are then plain
    // bytes, copied and dropped without a call.
    if (readOwn) {
        path.readDesign = [this, inputs, &tails, readOwn = std::move(readOwn)] {
            if (const int row = readOwn(); row >= 0) return row;
            int tailsRow = -1;
            tails = ReadTails(inputs, &tailsRow);
            return -1;
        };
    } else {
        path.readDesign = [this, inputs, &tails] {
            int tailsRow = -1;
            tails = ReadTails(inputs, &tailsRow);
            return -1;
        };
    }
    if (takeOwn) {
        path.takeDesign = [this, type, sample, &tails,
                           takeOwn = std::move(takeOwn)](GivenValues& v) {
            takeOwn(v);
            TakeFamilyDesign(type, sample, tails, v);
        };
    } else {
        path.takeDesign = [this, type, sample, &tails](GivenValues& v) {
            TakeFamilyDesign(type, sample, tails, v);
        };
    }
    if (sample == SampleInputs::kTotal) {
        // The family's Criterion and Compromise searches run over the two
        // halves.
        path.afterSampleSize = [this](double n, const GivenValues&) {
            sampleSize = n;
            groupSize1 = groupSize2 = n / 2.0;
        };
    }
    path.afterCriterion = [this](const GivenValues& v) {
        criticalValue = CriticalValueFor(v.effect, alpha);
    };
    return path;
}

namespace {

// The family's checks, after the allocation ratio's for two groups; built
// in place with one allocation, no tables to join.
InputTable JoinFamilyChecks(PowerAnalysis& test, bool twoGroups, InputCheck effect,
                            InputTable sample) {
    InputTable checks;
    checks.reserve(sample.size() + 6);
    if (twoGroups) checks.push_back(AllocationRatioAbove(test, 0.01));
    checks.push_back(std::move(effect));
    checks.push_back(AlphaInRange(test));
    checks.push_back(PowerInRange(test));
    checks.push_back(PowerAboveAlpha(test));
    for (InputCheck& check : sample) checks.push_back(std::move(check));
    checks.push_back(RatioInRange(test, 0.01, 100.0));
    return checks;
}

}  // namespace

InputTable PowerT::FamilyChecks(InputCheck effect, InputTable sample) {
    return JoinFamilyChecks(*this, false, std::move(effect), std::move(sample));
}

InputTable PowerT::TwoGroupFamilyChecks(InputCheck effect, InputTable groups) {
    return JoinFamilyChecks(*this, true, std::move(effect), std::move(groups));
}

InputCheck PowerT::EffectSizeCheck(AnalysisType type) {
    return {Given::kEffect,
            [this, type](const GivenValues& v) { return CheckEffectSize(type, v.effect); }};
}

// ------------------------------------------------------- two-group outputs

OutputTable PowerT::TwoGroupOutputs(AnalysisType type) {
    if (type != kAPriori) return StandardOutputs(type);
    return {NoncentralityRow(GetNoncentralityId()),
            CriticalValueRow(GetCriticalValueId()),
            DfRow(),
            SampleSize1Row(),
            SampleSize2Row(),
            TotalSampleSizeRow(),
            ActualPowerRow()};
}
