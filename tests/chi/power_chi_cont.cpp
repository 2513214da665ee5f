#include "tests/chi/power_chi_cont.h"

#include <cmath>

#include "analysis/standard_inputs.h"
#include "analysis/test_family_support.h"

namespace {

constexpr int kMaxSampleSize = 2147483646;
// Where the A priori search for N starts (BracketSampleSize).
constexpr double kSearchStart = 100.0;

// The largest w whose noncentrality w^2 N the noncentral sums take.
double LargestW(double n) {
    return std::sqrt(kLargestLambda / n);
}

}  // namespace

PowerChiCont::PowerChiCont() {
    PowerChiCont::SetStandardValues();
}

void PowerChiCont::SetStandardValues() {
    SetDf(5.0);
    effectSize = 0.3;
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

PowerAnalysis* PowerChiCont::Clone() {
    return CloneAs<PowerChiCont>();
}

double PowerChiCont::EffectFromNoncentrality(double lambda) {
    return std::sqrt(lambda / sampleSize);
}

bool PowerChiCont::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(static_cast<int>(TruncateToLong(n)), 1, kMaxSampleSize);
}

bool PowerChiCont::CheckEffectSize(int type, double w) {
    ClearMessage();
    if (type == kAPriori) return CheckEffectSizeAbove("w", w, 1e-6);
    return CheckEffectSizeNonNegative("w", w);
}

void PowerChiCont::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddGivenInputs(*this, type, inputs, [&] {
        AddEffectSizeInput(
            inputs, kEffectSizeWId, GetTestId(),
            "Effect size conventions\nw = .10 - small\nw = .30 - medium\nw = .50 - large", true);
    });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddDfInput(inputs, false);
}

CalculateStatus PowerChiCont::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type != kAPriori && type != kSensitivity && type != kPostHoc && type != kCriterion &&
        type != kCompromise) {
        return kCalculateDone;
    }
    int dfRow = -1, wRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, nRow = -1;
    const double dfValue = ReadDf(inputs, &dfRow);
    if (!CheckDfAtLeastOne(dfValue) || !CheckDfRange(dfValue, 1.0)) return dfRow;

    double w = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;
    int n = 0;
    auto readN = [&] { n = static_cast<int>(ReadCount(inputs, &nRow, kTotalSampleSizeId)); };
    auto nFails = [&] { return !CheckTotalSampleSize(n, 1, kMaxSampleSize); };
    // Lambda = w^2 N must stay within what the noncentral sums take.
    auto wTooLarge = [&] { return !CheckEffectSizeRange("w", w, 0.0, LargestW(n)); };

    switch (type) {
        case kAPriori:
            w = ReadEffectSize(inputs, &wRow, kEffectSizeWId);
            alphaValue = ReadAlpha(inputs, &alphaRow);
            powerValue = ReadPower(inputs, &powerRow);
            if (!CheckEffectSizeAbove("w", w, 1e-6)) return wRow;
            // The search for N starts at 100.
            if (!CheckEffectSizeRange("w", w, 1e-6, LargestW(kSearchStart))) return wRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            SetDf(dfValue);
            SolveSampleSize(w, alphaValue, powerValue, true);
            break;
        case kSensitivity:
            alphaValue = ReadAlpha(inputs, &alphaRow);
            powerValue = ReadPower(inputs, &powerRow);
            readN();
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            if (nFails()) return nRow;
            SetDf(dfValue);
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize(alphaValue, powerValue, n); });
            break;
        case kPostHoc:
            w = ReadEffectSize(inputs, &wRow, kEffectSizeWId);
            alphaValue = ReadAlpha(inputs, &alphaRow);
            readN();
            if (!CheckEffectSizeNonNegative("w", w)) return wRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (nFails()) return nRow;
            if (wTooLarge()) return wRow;
            SetDf(dfValue);
            power = ComputePower(w, alphaValue, n);
            break;
        case kCriterion:
            w = ReadEffectSize(inputs, &wRow, kEffectSizeWId);
            powerValue = ReadPower(inputs, &powerRow);
            readN();
            if (!CheckEffectSizeNonNegative("w", w)) return wRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (nFails()) return nRow;
            if (wTooLarge()) return wRow;
            SetDf(dfValue);
            alpha = SolveAlpha(w, powerValue, n);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            break;
        case kCompromise:
            w = ReadEffectSize(inputs, &wRow, kEffectSizeWId);
            q = ReadRatio(inputs, &ratioRow);
            readN();
            if (!CheckEffectSizeNonNegative("w", w)) return wRow;
            if (nFails()) return nRow;
            if (wTooLarge()) return wRow;
            if (!CheckRatio(q, 0.01, 100.0)) return ratioRow;
            SetDf(dfValue);
            alpha = SolveCompromise(w, q, n);
            power = ComputePower(w, alpha, n);
            break;
    }
    return kCalculateDone;
}
