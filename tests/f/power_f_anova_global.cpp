#include "tests/f/power_f_anova_global.h"

#include <cmath>

#include "analysis/standard_inputs.h"
#include "analysis/test_family_support.h"

namespace {

constexpr double kMaxEffect = 50.0;

}  // namespace

PowerFAnovaGlobal::PowerFAnovaGlobal() {
    groupCount = 2.0;
    PowerFAnovaGlobal::SetStandardValues();
}

void PowerFAnovaGlobal::SetStandardValues() {
    SetGroups(5.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.25;
    sampleSize = 100.0;
    ratio = kStandardRatio;
    UpdateDf();
}

PowerAnalysis* PowerFAnovaGlobal::Clone() {
    return CloneAs<PowerFAnovaGlobal>();
}

double PowerFAnovaGlobal::EffectFromNoncentrality(double lambda) {
    return std::sqrt(lambda / sampleSize);
}

double PowerFAnovaGlobal::RoundSampleSize(double n) {
    // Whole groups, ignoring the solver's noise below 1e-10 as the base does.
    return groupCount * PowerAnalysis::RoundSampleSize(n / groupCount);
}

void PowerFAnovaGlobal::SetGroups(double k) {
    groupCount = k;
    numeratorDf = k - 1.0;
    distribution->SetParam(1, numeratorDf);
}

void PowerFAnovaGlobal::UpdateDf() {
    SetDf(groupCount - 1.0, sampleSize - groupCount);
}

bool PowerFAnovaGlobal::CheckSampleSize(int, double n) {
    return CheckSampleSizeAboveGroups(static_cast<int>(TruncateToLong(n)),
                                      static_cast<int>(TruncateToLong(groupCount)));
}

bool PowerFAnovaGlobal::CheckEffectSize(int zeroAllowed, double f) {
    return CheckEffectSizeRange("f", f, zeroAllowed ? 0.0 : 1e-6, kMaxEffect);
}

void PowerFAnovaGlobal::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(
            inputs, kEffectSizeFId, GetTestId(),
            "Effect size conventions\nf = .10 - small\nf = .25 - medium\nf = .40 - large", true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddCountInput(inputs, kNumberOfGroupsId);
}

CalculateStatus PowerFAnovaGlobal::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int groupsRow = -1;
    const int k = static_cast<int>(ReadCount(inputs, &groupsRow, kNumberOfGroupsId));
    if (!CheckAtLeastTwoGroups(k)) return groupsRow;

    int fRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, nRow = -1;
    double f = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;
    int n = 0;
    auto readN = [&] { n = static_cast<int>(ReadCount(inputs, &nRow, kTotalSampleSizeId)); };
    // Every type but A priori takes a given N, which need not split into
    // equal groups: the analysis then rests on the average group size.
    auto done = [&] {
        return CheckSampleSizeMultipleOfGroups(n, k) ? kCalculateDone : kCalculateDoneWithNote;
    };

    switch (type) {
        case kAPriori:
            f = ReadEffectSize(inputs, &fRow, kEffectSizeFId);
            alphaValue = ReadAlpha(inputs, &alphaRow);
            powerValue = ReadPower(inputs, &powerRow);
            if (!CheckEffectSize(false, f)) return fRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            SetGroups(k);
            SolveSampleSize(f, alphaValue, powerValue, true);
            return kCalculateDone;
        case kSensitivity:
            alphaValue = ReadAlpha(inputs, &alphaRow);
            powerValue = ReadPower(inputs, &powerRow);
            readN();
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            SetGroups(k);
            sampleSize = n;
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize(alphaValue, powerValue, n); });
            return done();
        case kPostHoc:
            f = ReadEffectSize(inputs, &fRow, kEffectSizeFId);
            alphaValue = ReadAlpha(inputs, &alphaRow);
            readN();
            if (!CheckEffectSize(true, f)) return fRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            SetGroups(k);
            power = ComputePower(f, alphaValue, n);
            return done();
        case kCriterion:
            f = ReadEffectSize(inputs, &fRow, kEffectSizeFId);
            powerValue = ReadPower(inputs, &powerRow);
            readN();
            if (!CheckEffectSize(true, f)) return fRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            SetGroups(k);
            alpha = SolveAlpha(f, powerValue, n);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            return done();
        case kCompromise:
            f = ReadEffectSize(inputs, &fRow, kEffectSizeFId);
            q = ReadRatio(inputs, &ratioRow);
            readN();
            if (!CheckEffectSize(true, f)) return fRow;
            if (!CheckSampleSizeAboveGroups(n, k)) return nRow;
            if (!CheckRatio(q, 0.01, 100.0)) return ratioRow;
            SetGroups(k);
            alpha = SolveCompromise(f, q, n);
            power = ComputePower(f, alpha, n);
            return done();
    }
    return kCalculateDone;
}
