#include "tests/t/power_t_regression_coefficient.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "analysis/test_family_support.h"

namespace {

// p + 2, the smallest N that leaves one degree of freedom, held in the int
// range.
int SmallestSampleSizeFor(double p) {
    return static_cast<int>(std::min(p + 2.0, static_cast<double>(INT_MAX)));
}

}  // namespace

PowerTMRC1Pred::PowerTMRC1Pred() {
    exactFlag = false;
    PowerTMRC1Pred::SetStandardValues();
}

PowerAnalysis* PowerTMRC1Pred::Clone() {
    return CloneAs<PowerTMRC1Pred>();
}

std::string PowerTMRC1Pred::GetTestName() {
    return "Linear multiple regression: Fixed model, single regression coefficient";
}

void PowerTMRC1Pred::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.15;
    predictorCount = 2.0;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

double PowerTMRC1Pred::UpdateDf() {
    const double value = sampleSize - (predictorCount + 1.0);
    SetDf(value);
    return value;
}

double PowerTMRC1Pred::NoncentralityFromEffect(double f2) {
    return std::sqrt(f2 * sampleSize);
}

double PowerTMRC1Pred::EffectFromNoncentrality(double delta) {
    return delta * delta / sampleSize;
}

double PowerTMRC1Pred::SampleSizeFromNoncentrality(double delta) {
    return delta * delta / effectSize;
}

double PowerTMRC1Pred::NoncentralityFromSampleSize(double n) {
    return std::sqrt(n * effectSize);
}

void PowerTMRC1Pred::BracketSampleSize() {
    // With many predictors the usual start of 100 would leave no degrees
    // of freedom; the search starts at twice the smallest N instead.
    const double lo = predictorCount + 2.0;
    BracketSampleSizeFrom(lo, std::max(100.0, 2.0 * lo));
}

void PowerTMRC1Pred::BracketEffectSize() {
    BracketSampleSizeFrom(1e-6, 0.3);
}

bool PowerTMRC1Pred::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), SmallestSampleSizeFor(predictorCount), 2147483646);
}

bool PowerTMRC1Pred::CheckEffectSize(int type, double f2) {
    ClearMessage();
    if (type == kAPriori && std::fabs(f2) < 1e-5) {
        messages << "In an a priori analysis, the absolute value of the\n"
                 << "effect size be greater than 0.00001.";
        return false;
    }
    // A negative f^2 has no real noncentrality.
    return CheckEffectSizeRange("f$^2$", f2, 0.0, 20.0);
}

void PowerTMRC1Pred::TakeDesign(int tails, long p, long n) {
    predictorCount = static_cast<double>(p);
    oneTailed = tails == 0;
    sampleSize = static_cast<double>(n);
    groupSize1 = groupSize2 = sampleSize / 2.0;
}

void PowerTMRC1Pred::GetAnalysisTypes(PropertyList* list) {
    PowerAnalysis::GetAnalysisTypes(list);
}

void PowerTMRC1Pred::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddLongInput(inputs, 0, kNumberOfPredictorsId);
}

CalculateStatus PowerTMRC1Pred::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int pRow = -1;
    const long p = ReadCount(inputs, &pRow, kNumberOfPredictorsId);
    if (!CheckAtLeastOnePredictor(static_cast<int>(p))) return pRow;
    const int smallest = SmallestSampleSizeFor(static_cast<double>(p));
    int tailsRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    const ParameterId effectId = GetEffectSizeId();
    int effectRow = -1, row = -1, nRow = -1;
    switch (type) {
        case kAPriori: {
            int alphaRow = -1, powerRow = -1;
            const double f2 = ReadEffectSize(inputs, &effectRow, effectId);
            const double a = ReadAlpha(inputs, &alphaRow);
            const double pw = ReadPower(inputs, &powerRow);
            if (!CheckEffectSize(kAPriori, f2)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(pw)) return powerRow;
            if (!CheckPowerAboveAlpha(a, pw)) return powerRow;
            predictorCount = static_cast<double>(p);
            oneTailed = tails == 0;
            // Also leaves the actual power, df and critical value of N.
            const double n = SolveSampleSize(f2, a, pw, true);
            groupSize1 = groupSize2 = n / 2.0;
            break;
        }
        case kSensitivity: {
            int powerRow = -1;
            const double a = ReadAlpha(inputs, &row);
            const double pw = ReadPower(inputs, &powerRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckAlphaRange(a)) return row;
            if (!CheckPowerRange(pw)) return powerRow;
            if (!CheckPowerAboveAlpha(a, pw)) return powerRow;
            if (!CheckTotalSampleSize(static_cast<int>(n), smallest, 2147483646)) return nRow;
            TakeDesign(tails, p, n);
            effectSize =
                RestoringOnFailure(effectSize, [&] { return SolveEffectSize(a, pw, sampleSize); });
            break;
        }
        case kPostHoc: {
            const double f2 = ReadEffectSize(inputs, &effectRow, effectId);
            const double a = ReadAlpha(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSize(kPostHoc, f2)) return effectRow;
            if (!CheckAlphaRange(a)) return row;
            if (!CheckTotalSampleSize(static_cast<int>(n), smallest, 2147483646)) return nRow;
            TakeDesign(tails, p, n);
            power = ComputePower(f2, a, sampleSize);
            break;
        }
        case kCriterion: {
            const double f2 = ReadEffectSize(inputs, &effectRow, effectId);
            const double pw = ReadPower(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSize(kCriterion, f2)) return effectRow;
            if (!CheckPowerRange(pw)) return row;
            if (!CheckTotalSampleSize(static_cast<int>(n), smallest, 2147483646)) return nRow;
            TakeDesign(tails, p, n);
            alpha = SolveAlpha(f2, pw, sampleSize);
            criticalValue = CriticalValueFor(f2, alpha);
            break;
        }
        case kCompromise: {
            const double f2 = ReadEffectSize(inputs, &effectRow, effectId);
            const double q = ReadRatio(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSize(kCompromise, f2)) return effectRow;
            if (!CheckTotalSampleSize(static_cast<int>(n), smallest, 2147483646)) return nRow;
            if (!CheckRatio(q, 0.01, 100.0)) return row;
            TakeDesign(tails, p, n);
            alpha = SolveCompromise(f2, q, sampleSize);
            power = ComputePower(f2, alpha, sampleSize);
            break;
        }
    }
    return kCalculateDone;
}

void PowerTMRC1Pred::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    PowerAnalysis::BuildOutputList(type, outputs);
}

void PowerTMRC1Pred::GetOutputs(AnalysisType type, PropertyList* outputs) {
    PowerAnalysis::GetOutputs(type, outputs);
}
