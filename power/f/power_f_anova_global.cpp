#include "power/f/power_f_anova_global.h"

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/standard_inputs.h"

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
    int k = 0;
    long n = 0;
    ReadCheckSolve path = DesignPath(
        type,
        [&] {
            int row = -1;
            k = static_cast<int>(ReadCount(inputs, &row, kNumberOfGroupsId));
            return CheckAtLeastTwoGroups(k) ? -1 : row;
        },
        [&](const GivenValues& v) {
            SetGroups(k);
            n = v.sampleSize;
        });
    path.checks = JoinChecks(
        {EffectAlphaPowerChecks(
             [this, type](double f) { return CheckEffectSize(type != kAPriori, f); }),
         {SampleSizePasses([&](int total) { return CheckSampleSizeAboveGroups(total, k); }),
          RatioInRange(*this, 0.01, 100.0)}});
    const CalculateStatus done = RunReadCheckSolve(*this, type, inputs, path);
    // Every type but A priori takes a given N, which need not split into
    // equal groups: the analysis then rests on the average group size.
    if (done != kCalculateDone || type == kAPriori) return done;
    return CheckSampleSizeMultipleOfGroups(static_cast<int>(n), k) ? kCalculateDone
                                                                   : kCalculateDoneWithNote;
}
