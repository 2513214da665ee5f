#include "tests/chi/power_chi.h"

#include "analysis/parameter_names.h"
#include "analysis/test_family_support.h"
#include "distributions/chi.h"

namespace {

// The generic test hands the solvers this total; since lambda is the effect
// itself, it never enters a result.
constexpr double kGenericSampleSize = 100.0;

}  // namespace

PowerChi::PowerChi(double dfValue, double noncentrality) {
    distribution = new ChiDistribution(dfValue, noncentrality, 1.0);
    distribution->SetNoncentrality(0.0);
    PowerChi::SetStandardValues();
}

void PowerChi::SetStandardValues() {
    SetDf(5.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 20.0;
    // Seven units in the last place below 1.
    ratio = 0.9999999999999992;
}

void PowerChi::SetDf(double value) {
    df = value;
    distribution->SetParam(1, value);
}

PowerAnalysis* PowerChi::Clone() {
    return CloneAs<PowerChi>();
}

double PowerChi::ComputePower(double effect, double alphaValue, double n) {
    // The distribution may have been drawn with other df since.
    distribution->SetParam(1, df);
    return PowerAnalysis::ComputePower(effect, alphaValue, n);
}

bool PowerChi::CheckEffectSize(int, double lambda) {
    ClearMessage();
    return CheckLambda(lambda);
}

bool PowerChi::CheckLambda(double lambda) {
    return CheckNoncentralityNonNegative("$\\lambda$", lambda) &&
           CheckValueRange(ParameterNames[kNoncentralityLambdaId], lambda, 0.0, kLargestLambda);
}

bool PowerChi::CheckDfRange(double dfValue, double lowest) {
    return CheckValueRange(ParameterNames[kDfId], dfValue, lowest, kLargestDf);
}

void PowerChi::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // No A priori in the generic test: called with it, it shows only the df.
    if (type != kAPriori) {
        AddGivenInputs(*this, type, inputs,
                       [&] { AddNoncentralityInput(inputs, kNoncentralityLambdaId); });
    }
    AddDfInput(inputs, false);
}

CalculateStatus PowerChi::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    if (type != kSensitivity && type != kPostHoc && type != kCriterion && type != kCompromise) {
        return kCalculateDone;
    }
    int dfRow = -1, lambdaRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1;
    const double dfValue = ReadDf(inputs, &dfRow);
    if (!CheckDfMinimum(dfValue, 1e-6) || !CheckDfRange(dfValue, 1e-6)) return dfRow;

    double lambda = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;
    switch (type) {
        case kSensitivity:
            alphaValue = ReadAlpha(inputs, &alphaRow);
            powerValue = ReadPower(inputs, &powerRow);
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            SetDf(dfValue);
            effectSize = RestoringOnFailure(effectSize, [&] {
                return SolveEffectSize(alphaValue, powerValue, kGenericSampleSize);
            });
            break;
        case kPostHoc:
            lambda = ReadDouble(inputs, kNoncentralityLambdaId, &lambdaRow);
            alphaValue = ReadAlpha(inputs, &alphaRow);
            if (!CheckLambda(lambda)) return lambdaRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            SetDf(dfValue);
            power = ComputePower(lambda, alphaValue, kGenericSampleSize);
            break;
        case kCriterion:
            lambda = ReadDouble(inputs, kNoncentralityLambdaId, &lambdaRow);
            powerValue = ReadPower(inputs, &powerRow);
            if (!CheckLambda(lambda)) return lambdaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            SetDf(dfValue);
            alpha = SolveAlpha(lambda, powerValue, kGenericSampleSize);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            break;
        case kCompromise:
            lambda = ReadDouble(inputs, kNoncentralityLambdaId, &lambdaRow);
            q = ReadRatio(inputs, &ratioRow);
            if (!CheckLambda(lambda)) return lambdaRow;
            if (!CheckRatio(q, 0.01, 100.0)) return ratioRow;
            SetDf(dfValue);
            alpha = SolveCompromise(lambda, q, kGenericSampleSize);
            power = ComputePower(lambda, alpha, kGenericSampleSize);
            break;
        default:
            break;
    }
    return kCalculateDone;
}
