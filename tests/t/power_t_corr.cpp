#include "tests/t/power_t_corr.h"

#include <cmath>

#include "analysis/test_family_support.h"

namespace {

constexpr double kLargestRho = 0.999999;

const char kEffectConventions[] =
    "Effect size conventions\n$\\rho$ = .10 - small\n$\\rho$ = .30 - medium\n"
    "$\\rho$ = .50 - large";

}  // namespace

PowerTCorr::PowerTCorr() {
    exactFlag = false;
    PowerTCorr::SetStandardValues();
}

PowerAnalysis* PowerTCorr::Clone() {
    return CloneAs<PowerTCorr>();
}

void PowerTCorr::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.3;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

double PowerTCorr::UpdateDf() {
    const double value = sampleSize - 2.0;
    SetDf(value);
    return value;
}

double PowerTCorr::NoncentralityFromEffect(double rho) {
    const double r2 = rho * rho;
    return std::sqrt(r2 * sampleSize / (1.0 - r2));
}

double PowerTCorr::SampleSizeFromNoncentrality(double delta) {
    const double r2 = effectSize * effectSize;
    return delta * delta * (1.0 - r2) / r2;
}

void PowerTCorr::BracketSampleSize() {
    BracketSampleSizeFrom(3.0, 100.0);
}

void PowerTCorr::BracketEffectSize() {
    BracketFromStart(0.0, 1.0, 0.3);
}

bool PowerTCorr::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(AsCount(n), 3, 2147483646);
}

bool PowerTCorr::CheckEffectSize(int, double rho) {
    ClearMessage();
    return CheckEffectSizeRange("r", rho, 0.0, kLargestRho);
}

void PowerTCorr::TakeSampleSize(int tails, long n) {
    oneTailed = tails == 0;
    sampleSize = static_cast<double>(n);
    groupSize1 = groupSize2 = sampleSize / 2.0;
}

void PowerTCorr::GetAnalysisTypes(PropertyList* list) {
    PowerAnalysis::GetAnalysisTypes(list);
}

void PowerTCorr::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(inputs, GetEffectSizeId(), GetTestId(), kEffectConventions, true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
}

CalculateStatus PowerTCorr::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int tailsRow = -1, effectRow = -1, row = -1, nRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    const ParameterId effectId = GetEffectSizeId();
    switch (type) {
        case kAPriori: {
            int alphaRow = -1, powerRow = -1;
            const double rho = ReadEffectSize(inputs, &effectRow, effectId);
            const double a = ReadAlpha(inputs, &alphaRow);
            const double p = ReadPower(inputs, &powerRow);
            if (!CheckEffectSizeRange("r", rho, 1e-6, kLargestRho)) return effectRow;
            if (!CheckAlphaRange(a)) return alphaRow;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            oneTailed = tails == 0;
            // Also leaves the actual power, df and critical value of N.
            const double n = SolveSampleSize(rho, a, p, true);
            groupSize1 = groupSize2 = n / 2.0;
            break;
        }
        case kSensitivity: {
            int powerRow = -1;
            const double a = ReadAlpha(inputs, &row);
            double p = ReadPower(inputs, &powerRow);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckAlphaRange(a)) return row;
            if (!CheckPowerRange(p)) return powerRow;
            if (!CheckPowerAboveAlpha(a, p)) return powerRow;
            if (!CheckTotalSampleSize(static_cast<int>(n), 3, 2147483646)) return nRow;
            TakeSampleSize(tails, n);
            // rho = 0 gives a power of exactly alpha; the search needs a
            // target above it.
            if (p == a) p = a + 1e-10;
            effectSize =
                RestoringOnFailure(effectSize, [&] { return SolveEffectSize(a, p, sampleSize); });
            break;
        }
        case kPostHoc: {
            const double rho = ReadEffectSize(inputs, &effectRow, effectId);
            const double a = ReadAlpha(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSizeRange("r", rho, 0.0, kLargestRho)) return effectRow;
            if (!CheckAlphaRange(a)) return row;
            if (!CheckTotalSampleSize(static_cast<int>(n), 3, 2147483646)) return nRow;
            TakeSampleSize(tails, n);
            power = ComputePower(rho, a, sampleSize);
            break;
        }
        case kCriterion: {
            const double rho = ReadEffectSize(inputs, &effectRow, effectId);
            const double p = ReadPower(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSizeRange("r", rho, 0.0, kLargestRho)) return effectRow;
            if (!CheckPowerRange(p)) return row;
            if (!CheckTotalSampleSize(static_cast<int>(n), 3, 2147483646)) return nRow;
            TakeSampleSize(tails, n);
            alpha = SolveAlpha(rho, p, sampleSize);
            criticalValue = CriticalValueFor(rho, alpha);
            break;
        }
        case kCompromise: {
            const double rho = ReadEffectSize(inputs, &effectRow, effectId);
            const double q = ReadRatio(inputs, &row);
            const long n = ReadCount(inputs, &nRow, kTotalSampleSizeId);
            if (!CheckEffectSizeRange("r", rho, 0.0, kLargestRho)) return effectRow;
            if (!CheckTotalSampleSize(static_cast<int>(n), 3, 2147483646)) return nRow;
            if (!CheckRatio(q, 0.01, 100.0)) return row;
            TakeSampleSize(tails, n);
            alpha = SolveCompromise(rho, q, sampleSize);
            power = ComputePower(rho, alpha, sampleSize);
            break;
        }
    }
    return kCalculateDone;
}

void PowerTCorr::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    PowerAnalysis::BuildOutputList(type, outputs);
}

void PowerTCorr::GetOutputs(AnalysisType type, PropertyList* outputs) {
    PowerAnalysis::GetOutputs(type, outputs);
}
