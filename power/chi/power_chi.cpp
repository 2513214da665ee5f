#include "power/chi/power_chi.h"

#include "analysis/parameter_names.h"
#include "analysis/test_family_support.h"
#include "distributions/chi.h"

namespace {

// The generic test hands the solvers this total; since lambda is the effect
// itself, it never enters a result.
constexpr long kGenericSampleSize = 100;

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
    double dfValue = 0.0;
    ReadCheckSolve path;
    path.effectId = kNoncentralityLambdaId;
    path.sample = SampleInputs::kFixedTotal;
    path.fixedSize = kGenericSampleSize;
    // No A priori in the generic test: called with it, it reads nothing.
    path.solvesAPriori = false;
    path.readDesign = [&] {
        if (type == kAPriori) return -1;
        int row = -1;
        dfValue = ReadDf(inputs, &row);
        return CheckDfMinimum(dfValue, 1e-6) && CheckDfRange(dfValue, 1e-6) ? -1 : row;
    };
    path.checks = JoinChecks({{EffectPasses([this](double lambda) { return CheckLambda(lambda); })},
                              AlphaPowerChecks(*this),
                              {RatioInRange(*this, 0.01, 100.0)}});
    path.takeDesign = [&](GivenValues&) { SetDf(dfValue); };
    // The last evaluation of the search need not be at the answer.
    path.afterCriterion = [this](const GivenValues&) { SetCentralCriticalValue(alpha); };
    return RunReadCheckSolve(*this, type, inputs, path);
}
