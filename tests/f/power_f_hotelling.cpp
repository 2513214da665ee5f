#include "tests/f/power_f_hotelling.h"

#include <cmath>

#include "analysis/standard_inputs.h"
#include "analysis/test_family_support.h"
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
    AddResponseVariablesInput(inputs);
}

CalculateStatus PowerFHotellingT2One::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type != kAPriori && type != kSensitivity && type != kPostHoc && type != kCriterion &&
        type != kCompromise) {
        return kCalculateDone;
    }
    long p = 0;
    if (const int row = ReadResponses(*this, inputs, &p); row >= 0) return row;

    const GivenInputs given = GivenInputsOf(type);
    int deltaRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, nRow = -1;
    double delta = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;
    int n = 0;
    if (given.effect) delta = ReadEffectSize(inputs, &deltaRow, kEffectSizeDeltaId);
    if (given.alpha) alphaValue = ReadAlpha(inputs, &alphaRow);
    if (given.power) powerValue = ReadPower(inputs, &powerRow);
    if (given.ratio) q = ReadRatio(inputs, &ratioRow);
    if (given.sampleSize) n = static_cast<int>(ReadCount(inputs, &nRow, kTotalSampleSizeId));

    if (given.effect && !CheckEffectSize(type, delta)) return deltaRow;
    if (given.alpha && !CheckAlphaRange(alphaValue)) return alphaRow;
    if (given.power && !CheckPowerRange(powerValue)) return powerRow;
    if (given.alpha && given.power && !CheckPowerAboveAlpha(alphaValue, powerValue)) {
        return powerRow;
    }
    if (given.ratio && !CheckRatio(q, 0.01, 100.0)) return ratioRow;
    if (given.sampleSize && !CheckSampleSizeAboveResponses(n, static_cast<int>(p))) return nRow;

    extraCount = static_cast<double>(p);
    switch (type) {
        case kAPriori:
            SolveSampleSize(delta, alphaValue, powerValue, true);
            break;
        case kSensitivity:
            sampleSize = n;
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize(alphaValue, powerValue, n); });
            break;
        case kPostHoc:
            power = ComputePower(delta, alphaValue, n);
            break;
        case kCriterion:
            alpha = SolveAlpha(delta, powerValue, n);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            break;
        case kCompromise:
            alpha = SolveCompromise(delta, q, n);
            power = ComputePower(delta, alpha, n);
            break;
    }
    return kCalculateDone;
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
    AddResponseVariablesInput(inputs);
}

void PowerFHotellingT2Two::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    if (type != kAPriori) {
        PowerAnalysis::BuildOutputList(type, outputs);
        return;
    }
    outputs->Clear();
    AddOutput(outputs, GetNoncentralityId());
    AddOutput(outputs, GetCriticalValueId());
    AddNumeratorDfOutput(outputs, true);
    AddDenominatorDfOutput(outputs, true);
    AddSampleSize1Output(outputs);
    AddSampleSize2Output(outputs);
    AddActualPowerOutput(outputs);
}

void PowerFHotellingT2Two::GetOutputs(AnalysisType type, PropertyList* outputs) {
    PowerAnalysis::GetOutputs(type, outputs);
    if (type == kAPriori) {
        SetSampleSize1Output(outputs);
        SetSampleSize2Output(outputs);
    }
}

CalculateStatus PowerFHotellingT2Two::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type != kAPriori && type != kSensitivity && type != kPostHoc && type != kCriterion &&
        type != kCompromise) {
        return kCalculateDone;
    }
    long p = 0;
    if (const int row = ReadResponses(*this, inputs, &p); row >= 0) return row;

    const GivenInputs given = GivenInputsOf(type);
    int deltaRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, allocationRow = -1;
    int row1 = -1, row2 = -1;
    double delta = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0, allocation = 0.0;
    long n1 = 0, n2 = 0;
    if (given.effect) delta = ReadEffectSize(inputs, &deltaRow, kEffectSizeDeltaId);
    if (given.alpha) alphaValue = ReadAlpha(inputs, &alphaRow);
    if (given.power) powerValue = ReadPower(inputs, &powerRow);
    if (given.ratio) q = ReadRatio(inputs, &ratioRow);
    if (given.sampleSize) {
        n1 = ReadSampleSize1(inputs, &row1);
        n2 = ReadSampleSize2(inputs, &row2);
    } else {
        allocation = ReadAllocationRatio(inputs, &allocationRow);
        if (!CheckAllocationRatio(allocation, 0.01)) return allocationRow;
    }

    if (given.effect && !CheckEffectSize(type, delta)) return deltaRow;
    if (given.alpha && !CheckAlphaRange(alphaValue)) return alphaRow;
    if (given.power && !CheckPowerRange(powerValue)) return powerRow;
    if (given.alpha && given.power && !CheckPowerAboveAlpha(alphaValue, powerValue)) {
        return powerRow;
    }
    if (given.ratio && !CheckRatio(q, 0.01, 100.0)) return ratioRow;
    if (given.sampleSize) {
        if (!CheckSampleSizeMinimum(static_cast<int>(n1), 1)) return row1;
        if (!CheckSampleSizeMinimum(static_cast<int>(n2), 1)) return row2;
        if (!CheckTotalSampleSizeAboveResponses(GroupSizeSum(n1, n2), static_cast<int>(p))) {
            return row1;
        }
    }

    extraCount = static_cast<double>(p);
    allocationRatio =
        given.sampleSize ? static_cast<double>(n2) / static_cast<double>(n1) : allocation;
    switch (type) {
        case kAPriori: {
            const double n = SolveSampleSize(delta, alphaValue, powerValue, true);
            SplitAPrioriTotal(n, allocation, delta, alphaValue, powerValue);
            break;
        }
        case kSensitivity:
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize2(alphaValue, powerValue, n1, n2); });
            break;
        case kPostHoc:
            power = ComputePower2(delta, alphaValue, n1, n2);
            break;
        case kCriterion:
            alpha = SolveAlpha2(delta, powerValue, n1, n2);
            // The last evaluation of the search need not be at the answer.
            ComputePower2(delta, alpha, n1, n2);
            break;
        case kCompromise:
            alpha = SolveCompromise2(delta, q, n1, n2);
            power = ComputePower2(delta, alpha, n1, n2);
            break;
    }
    return kCalculateDone;
}
