#include "tests/chi/power_chi_one_var.h"

#include "analysis/standard_inputs.h"
#include "analysis/test_family_support.h"
#include "distributions/chi.h"

namespace {

constexpr int kMaxTotal = 2147483646;

}  // namespace

PowerChiOneVar::PowerChiOneVar() {
    PowerChiOneVar::SetStandardValues();
}

PowerAnalysis* PowerChiOneVar::Clone() {
    auto* copy = CloneAs<PowerChiOneVar>();
    copy->useSampleSizeAsDf = useSampleSizeAsDf;
    return copy;
}

void PowerChiOneVar::SetStandardValues() {
    SetDf(5.0);
    effectSize = 1.5;
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

ChiDistribution& PowerChiOneVar::Chi() {
    return static_cast<ChiDistribution&>(*distribution);
}

void PowerChiOneVar::SetCentralDistribution() {
    distribution->SetNoncentrality(0.0);
    Chi().SetScale(1.0);
}

void PowerChiOneVar::SetNoncentralDistribution() {
    distribution->SetNoncentrality(0.0);
    Chi().SetScale(1.0 / effectSize);
}

double PowerChiOneVar::ComputePower(double r, double alphaValue, double n) {
    return Tails(r, alphaValue, n, nullptr);
}

double PowerChiOneVar::ComputeBeta(double r, double alphaValue, double n) {
    double beta = 0.0;
    Tails(r, alphaValue, n, &beta);
    return beta;
}

double PowerChiOneVar::Tails(double r, double alphaValue, double n, double* beta) {
    effectSize = r;
    alpha = alphaValue;
    sampleSize = n;
    SetDf(useSampleSizeAsDf ? n : n - 1.0);
    SetCentralDistribution();
    double upper = 0.0, lower = 0.0;
    const double result =
        VarianceRatioPower(*distribution, r, alphaValue, oneTailed, &upper, &lower, beta);
    // The graph of r < 1 is drawn from the lower tail: its critical value
    // comes first.
    criticalValue = r < 1.0 ? lower : upper;
    criticalValue2 = r < 1.0 ? upper : lower;
    return result;
}

bool PowerChiOneVar::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckTotalSampleSize(static_cast<int>(TruncateToLong(n)), 2, kMaxTotal);
}

bool PowerChiOneVar::CheckEffectSize(int type, double r) {
    ClearMessage();
    if (type == kAPriori) {
        return CheckEffectSizeAbove("var1/var0", r, 1e-6) &&
               CheckEffectSizeOutside("var1/var0", r, 0.999, 1.001);
    }
    return CheckEffectSizeNonNegative("v", r);
}

void PowerChiOneVar::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs,
                   [&] { AddEffectSizeInput(inputs, kRatioVar1Var0Id, GetTestId(), "", true); });
    if (GivenInputsOf(type).sampleSize) AddSampleSizeInput(inputs, kTotalSampleSizeId);
}

void PowerChiOneVar::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    outputs->Clear();
    AddOutput(outputs, kLowerCriticalChiSquareId);
    AddOutput(outputs, kUpperCriticalChiSquareId);
    AddDfOutput(outputs, true);
    AddTypeOutputs(type, outputs);
}

void PowerChiOneVar::GetOutputs(AnalysisType type, PropertyList* outputs) {
    SetLowerCriticalOutput(outputs, kLowerCriticalChiSquareId);
    SetUpperCriticalOutput(outputs, kUpperCriticalChiSquareId);
    SetDfOutput(outputs);
    SetTypeOutputs(type, outputs);
}

CalculateStatus PowerChiOneVar::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int tailsRow = -1;
    const int tails = ReadTails(inputs, &tailsRow);
    if (type != kAPriori && type != kSensitivity && type != kPostHoc && type != kCriterion &&
        type != kCompromise) {
        return kCalculateDone;
    }
    const GivenInputs given = GivenInputsOf(type);
    int rRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, nRow = -1;
    double r = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;
    int n = 0;
    if (given.effect) r = ReadEffectSize(inputs, &rRow, kRatioVar1Var0Id);
    // "-0" is the ratio 0, refused or taken as "0" is; the sign of a zero
    // would otherwise turn 1/r into -inf further on.
    if (r == 0.0) r = 0.0;
    if (given.alpha) alphaValue = ReadAlpha(inputs, &alphaRow);
    if (given.power) powerValue = ReadPower(inputs, &powerRow);
    if (given.ratio) q = ReadRatio(inputs, &ratioRow);
    if (given.sampleSize) n = static_cast<int>(ReadCount(inputs, &nRow, kTotalSampleSizeId));

    if (given.effect && !CheckEffectSize(type, r)) return rRow;
    if (given.alpha && !CheckAlphaRange(alphaValue)) return alphaRow;
    if (given.power && !CheckPowerRange(powerValue)) return powerRow;
    if (given.alpha && given.power && !CheckPowerAboveAlpha(alphaValue, powerValue)) {
        return powerRow;
    }
    if (given.sampleSize && !CheckTotalSampleSize(n, 2, kMaxTotal)) return nRow;
    if (given.ratio && !CheckRatio(q, 0.01, 100.0)) return ratioRow;

    oneTailed = tails == 0;
    switch (type) {
        case kAPriori:
            SolveSampleSize(r, alphaValue, powerValue, true);
            break;
        case kSensitivity:
            effectSize = RestoringOnFailure(
                effectSize, [&] { return SolveEffectSize(alphaValue, powerValue, n); });
            // The critical values of the ratio found.
            ComputePower(effectSize, alphaValue, n);
            break;
        case kPostHoc:
            power = ComputePower(r, alphaValue, n);
            break;
        case kCriterion:
            alpha = SolveAlpha(r, powerValue, n);
            // The critical values of the alpha found, on the side and with
            // the tails of the test.
            ComputePower(r, alpha, n);
            break;
        case kCompromise:
            alpha = SolveCompromise(r, q, n);
            power = ComputePower(r, alpha, n);
            break;
    }
    return kCalculateDone;
}
