#include "power/f/power_f_hotelling.h"

#include <cmath>

#include "analysis/family_support.h"
#include "analysis/standard_inputs.h"
#include "numerics/rounding.h"

namespace {

constexpr double kMaxEffect = 50.0;

// The number of response variables, read and checked first in every type.
int ReadResponses(PowerAnalysis& test, PropertyList* inputs, long* p) {
    int row = -1;
    *p = test.ReadResponseVariables(inputs, &row);
    return test.CheckAtLeastOneResponse(static_cast<int>(*p)) ? -1 : row;
}

void AddDeltaInput(PowerAnalysis& test, PropertyList* inputs) {
    test.AddEffectSizeInput(inputs, kEffectSizeDeltaId, test.GetTestId(), "", true);
}

}  // namespace

// ------------------------------------------------------------ one group

PowerFHotellingT2One::PowerFHotellingT2One() {
    PowerFHotellingT2One::SetStandardValues();
}

void PowerFHotellingT2One::SetStandardValues() {
    extraCount = 2.0;
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.15;
    sampleSize = 100.0;
    ratio = kStandardRatio;
    UpdateDf();
}

double PowerFHotellingT2One::EffectFromNoncentrality(double lambda) {
    return std::sqrt(lambda / sampleSize);
}

bool PowerFHotellingT2One::CheckSampleSize(int, double n) {
    return CheckSampleSizeAboveResponses(static_cast<int>(TruncateToLong(n)),
                                         static_cast<int>(TruncateToLong(extraCount)));
}

bool PowerFHotellingT2One::CheckEffectSize(int type, double delta) {
    return CheckEffectSizeRange("$\\Delta$", delta, type == kAPriori ? 1e-6 : 0.0, kMaxEffect);
}

void PowerFHotellingT2One::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] { AddDeltaInput(*this, inputs); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddResponseVariablesInput(inputs, extraCount);
}

CalculateStatus PowerFHotellingT2One::Calculate(AnalysisType type, PropertyList* inputs) {
    long p = 0;
    ReadCheckSolve path = DesignPath(
        type, [&] { return ReadResponses(*this, inputs, &p); },
        [&](const GivenValues&) { extraCount = static_cast<double>(p); });
    path.checks = JoinChecks({EffectAlphaPowerChecks([this, type](double delta) {
                                  return CheckEffectSize(type, delta);
                              }),
                              {RatioInRange(*this, 0.01, 100.0), SampleSizePasses([&](int n) {
                                   return CheckSampleSizeAboveResponses(n, static_cast<int>(p));
                               })}});
    return RunReadCheckSolve(*this, type, inputs, path);
}

// ----------------------------------------------------------- two groups

PowerFHotellingT2Two::PowerFHotellingT2Two() {
    PowerFHotellingT2Two::SetStandardValues();
}

void PowerFHotellingT2Two::SetStandardValues() {
    extraCount = 2.0;
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.15;
    sampleSize = 100.0;
    groupSize1 = RoundTo(sampleSize / (1.0 + allocationRatio), 0);
    groupSize2 = sampleSize - groupSize1;
    allocationRatio = groupSize2 / groupSize1;
    ratio = kStandardRatio;
    UpdateDf();
}

void PowerFHotellingT2Two::UpdateDf() {
    sampleSize = groupSize1 + groupSize2;
    SetDf(extraCount, sampleSize - extraCount - 1.0);
}

double PowerFHotellingT2Two::ComputePower(double delta, double alphaValue, double n) {
    return ComputePower2(delta, alphaValue, n / 2.0, n / 2.0);
}

double PowerFHotellingT2Two::ComputePower2(double delta, double alphaValue, double n1, double n2) {
    effectSize = delta;
    alpha = alphaValue;
    groupSize1 = n1;
    groupSize2 = n2;
    UpdateDf();
    const double result = PowerAnalysis::ComputePower(delta, alphaValue, sampleSize);
    criticalValue2 = criticalValue;
    return result;
}

// beta is the lower tail of the noncentral distribution at the critical
// value, computed on that side.
double PowerFHotellingT2Two::ComputeBeta2(double delta, double alphaValue, double n1, double n2) {
    ComputePower2(delta, alphaValue, n1, n2);
    return distribution->Cdf(criticalValue);
}

double PowerFHotellingT2Two::NoncentralityFromEffect(double delta) {
    return delta * delta * groupSize1 * groupSize2 / (groupSize1 + groupSize2);
}

double PowerFHotellingT2Two::EffectFromNoncentrality(double lambda) {
    return std::sqrt(lambda * (groupSize1 + groupSize2) / (groupSize1 * groupSize2));
}

double PowerFHotellingT2Two::SensitivityObjective(double x) {
    return ComputePower2(x, alpha, groupSize1, groupSize2) - power;
}

double PowerFHotellingT2Two::CriterionObjective(double x) {
    return ComputePower2(effectSize, x, groupSize1, groupSize2) - power;
}

double PowerFHotellingT2Two::CompromiseObjective(double x) {
    const double beta = ComputeBeta2(effectSize, x, groupSize1, groupSize2);
    return 1.0 - beta / (ratio * x);
}

double PowerFHotellingT2Two::APrioriObjective(double x) {
    const double n1 = x / (1.0 + allocationRatio);
    return ComputePower2(effectSize, alpha, n1, x - n1) - power;
}

bool PowerFHotellingT2Two::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSizeAboveResponses(static_cast<int>(TruncateToLong(n)),
                                              static_cast<int>(TruncateToLong(extraCount)));
}

bool PowerFHotellingT2Two::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    return CheckTotalSampleSizeAboveResponses(GroupSizeSum(TruncateToLong(n1), TruncateToLong(n2)),
                                              static_cast<int>(TruncateToLong(extraCount))) &&
           CheckSampleSizeMinimum(static_cast<int>(TruncateToLong(n1)), 1) &&
           CheckSampleSizeMinimum(static_cast<int>(TruncateToLong(n2)), 1);
}

bool PowerFHotellingT2Two::CheckEffectSize(int type, double delta) {
    return CheckEffectSizeRange("$\\Delta$", delta, type == kAPriori ? 1e-6 : 0.0, kMaxEffect);
}

void PowerFHotellingT2Two::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] { AddDeltaInput(*this, inputs); });
    if (GivenInputsOf(type).sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
    AddResponseVariablesInput(inputs, extraCount);
}

OutputTable PowerFHotellingT2Two::Outputs(AnalysisType type) {
    if (type != kAPriori) return StandardOutputs(type);
    // A priori shows the two groups in place of the total.
    return {NoncentralityRow(GetNoncentralityId()),
            CriticalValueRow(GetCriticalValueId()),
            NumeratorDfRow(),
            DenominatorDfRow(),
            SampleSize1Row(),
            SampleSize2Row(),
            ActualPowerRow()};
}

CalculateStatus PowerFHotellingT2Two::Calculate(AnalysisType type, PropertyList* inputs) {
    long p = 0;
    ReadCheckSolve path;
    path.effectId = GetEffectSizeId();
    path.sample = SampleInputs::kGroups;
    path.readDesign = [&] { return ReadResponses(*this, inputs, &p); };
    path.checks =
        JoinChecks({{AllocationRatioAbove(*this, 0.01)},
                    EffectAlphaPowerChecks(
                        [this, type](double delta) { return CheckEffectSize(type, delta); }),
                    {RatioInRange(*this, 0.01, 100.0)},
                    GroupChecks(1, [&](int total) {
                        return CheckTotalSampleSizeAboveResponses(total, static_cast<int>(p));
                    })});
    path.takeDesign = [&](GivenValues& v) {
        extraCount = static_cast<double>(p);
        allocationRatio = type == kAPriori ? v.allocationRatio
                                           : static_cast<double>(v.sampleSize2) /
                                                 static_cast<double>(v.sampleSize1);
    };
    // The last evaluation of the search need not be at the answer.
    path.afterCriterion = [this](const GivenValues& v) {
        ComputePower2(v.effect, alpha, static_cast<double>(v.sampleSize1),
                      static_cast<double>(v.sampleSize2));
    };
    return RunReadCheckSolve(*this, type, inputs, path);
}
