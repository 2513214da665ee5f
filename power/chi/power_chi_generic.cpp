#include "power/chi/power_chi_generic.h"

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"

namespace {

// The generic test hands the solvers this total; since lambda is the effect
// itself, it never enters a result.
constexpr long kGenericSampleSize = 100;

}  // namespace

PowerChiGeneric::PowerChiGeneric() {
    PowerChiGeneric::SetStandardValues();
}

void PowerChiGeneric::SetStandardValues() {
    SetDf(5.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 20.0;
    // Seven units in the last place below 1.
    ratio = 0.9999999999999992;
}

PowerAnalysis* PowerChiGeneric::Clone() {
    return CloneAs<PowerChiGeneric>();
}

bool PowerChiGeneric::CheckEffectSize(int, double lambda) {
    ClearMessage();
    return CheckLambda(lambda);
}

bool PowerChiGeneric::CheckLambda(double lambda) {
    return CheckNoncentralityNonNegative("$\\lambda$", lambda) &&
           CheckValueRange(ParameterNames[kNoncentralityLambdaId], lambda, 0.0, kLargestLambda);
}

void PowerChiGeneric::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // No A priori in the generic test: called with it, it shows only the df.
    if (type != kAPriori) {
        AddGivenInputs(*this, type, inputs,
                       [&] { AddNoncentralityInput(inputs, kNoncentralityLambdaId); });
    }
    AddDfInput(inputs, false);
}

CalculateStatus PowerChiGeneric::Calculate(AnalysisType type, PropertyList* inputs) {
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
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this] {
        return InputTable{EffectPasses([this](double lambda) { return CheckLambda(lambda); }),
                          AlphaInRange(*this), PowerInRange(*this), PowerAboveAlpha(*this),
                          RatioInRange(*this, 0.01, 100.0)};
    });
    path.takeDesign = [&](GivenValues&) { SetDf(dfValue); };
    // The last evaluation of the search need not be at the answer.
    path.afterCriterion = [this](const GivenValues&) { SetCentralCriticalValue(alpha); };
    return RunReadCheckSolve(*this, type, inputs, path);
}
