#include "tests/f/power_f.h"

#include "analysis/parameter_names.h"
#include "analysis/test_family_support.h"
#include "distributions/f.h"

namespace {

// The generic test hands the solvers two groups of this size; since lambda
// is the effect itself, the total never enters a result.
constexpr double kGenericGroupSize = 100.0;

}  // namespace

PowerF::PowerF(double numeratorDfValue, double denominatorDfValue, double noncentrality) {
    distribution = new FDistribution(numeratorDfValue, denominatorDfValue, noncentrality, 1.0);
    PowerF::SetStandardValues();
}

void PowerF::SetStandardValues() {
    SetDf(10.0, 20.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 30.0;
    ratio = kStandardRatio;
}

void PowerF::SetDf(double numerator, double denominator) {
    numeratorDf = numerator;
    denominatorDf = denominator;
    distribution->SetParam(1, numerator);
    distribution->SetParam(2, denominator);
}

PowerAnalysis* PowerF::Clone() {
    return CloneAs<PowerF>();
}

double PowerF::ComputePower(double effect, double alphaValue, double n) {
    // The distribution may have been drawn with other df since; a design
    // derives its df from the N being tried.
    distribution->SetParam(1, numeratorDf);
    distribution->SetParam(2, denominatorDf);
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    UpdateDf();
    return PowerAnalysis::ComputePower(effect, alphaValue, n);
}

double PowerF::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    return ComputePower(effect, alphaValue, n1 + n2);
}

bool PowerF::CheckEffectSize(int, double lambda) {
    return CheckLambda(lambda);
}

bool PowerF::CheckLambda(double lambda) {
    return CheckNoncentralityNonNegative("$\\lambda$", lambda) &&
           CheckValueRange(ParameterNames[kNoncentralityLambdaId], lambda, 0.0, kLargestLambda);
}

bool PowerF::CheckNoncentralityComputable(double lambda) {
    if (lambda <= kLargestLambda) return true;
    messages << "The noncentrality parameter of this design (" << lambda << ") is beyond "
             << kLargestLambda << ",\nthe largest the F distribution computes.";
    return false;
}

void PowerF::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // No A priori in the generic test: called with it, it shows only the df.
    if (type != kAPriori) {
        AddGivenInputs(*this, type, inputs,
                       [&] { AddNoncentralityInput(inputs, kNoncentralityLambdaId); });
    }
    AddNumeratorDfInput(inputs, false);
    AddDenominatorDfInput(inputs, false);
}

CalculateStatus PowerF::Calculate(AnalysisType type, PropertyList* inputs) {
    ClearMessage();
    int lambdaRow = -1, alphaRow = -1, powerRow = -1, ratioRow = -1, numRow = -1, denRow = -1;
    double lambda = 0.0, alphaValue = 0.0, powerValue = 0.0, q = 0.0;

    switch (type) {
        case kSensitivity:
            alphaValue = ReadAlpha(inputs, &alphaRow);
            powerValue = ReadPower(inputs, &powerRow);
            break;
        case kPostHoc:
            lambda = ReadDouble(inputs, kNoncentralityLambdaId, &lambdaRow);
            alphaValue = ReadAlpha(inputs, &alphaRow);
            break;
        case kCriterion:
            lambda = ReadDouble(inputs, kNoncentralityLambdaId, &lambdaRow);
            powerValue = ReadPower(inputs, &powerRow);
            break;
        case kCompromise:
            lambda = ReadDouble(inputs, kNoncentralityLambdaId, &lambdaRow);
            q = ReadRatio(inputs, &ratioRow);
            break;
        default:
            return kCalculateDone;
    }
    const double num = ReadNumeratorDf(inputs, &numRow);
    const double den = ReadDenominatorDf(inputs, &denRow);

    // The row of the first df input outside [1, kLargestDf], or -1.
    auto failedDfRow = [&] {
        if (!CheckDfAtLeastOne(num)) return numRow;
        if (!CheckValueRange(ParameterNames[kNumeratorDfId], num, 1.0, kLargestDf)) return numRow;
        if (!CheckDfAtLeastOne(den)) return denRow;
        if (!CheckValueRange(ParameterNames[kDenominatorDfId], den, 1.0, kLargestDf)) return denRow;
        return -1;
    };
    switch (type) {
        case kSensitivity:
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (!CheckPowerAboveAlpha(alphaValue, powerValue)) return powerRow;
            if (const int row = failedDfRow(); row >= 0) return row;
            SetDf(num, den);
            effectSize = RestoringOnFailure(effectSize, [&] {
                return SolveEffectSize2(alphaValue, powerValue, kGenericGroupSize,
                                        kGenericGroupSize);
            });
            break;
        case kPostHoc:
            if (!CheckLambda(lambda)) return lambdaRow;
            if (!CheckAlphaRange(alphaValue)) return alphaRow;
            if (const int row = failedDfRow(); row >= 0) return row;
            SetDf(num, den);
            power = ComputePower2(lambda, alphaValue, kGenericGroupSize, kGenericGroupSize);
            break;
        case kCriterion:
            if (!CheckLambda(lambda)) return lambdaRow;
            if (!CheckPowerRange(powerValue)) return powerRow;
            if (const int row = failedDfRow(); row >= 0) return row;
            SetDf(num, den);
            alpha = SolveAlpha2(lambda, powerValue, kGenericGroupSize, kGenericGroupSize);
            // The last evaluation of the search need not be at the answer.
            SetCentralCriticalValue(alpha);
            break;
        case kCompromise:
            if (!CheckLambda(lambda)) return lambdaRow;
            if (const int row = failedDfRow(); row >= 0) return row;
            if (!CheckRatio(q, 0.01, 100.0)) return ratioRow;
            SetDf(num, den);
            alpha = SolveCompromise2(lambda, q, kGenericGroupSize, kGenericGroupSize);
            power = ComputePower2(lambda, alpha, kGenericGroupSize, kGenericGroupSize);
            break;
        default:
            break;
    }
    return kCalculateDone;
}
