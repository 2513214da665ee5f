#include "power/f/power_f_generic.h"

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"

namespace {

// The generic test hands the solvers two groups of this size; since lambda
// is the effect itself, the total never enters a result.
constexpr long kGenericGroupSize = 100;

}  // namespace

PowerFGeneric::PowerFGeneric() {
    PowerFGeneric::SetStandardValues();
}

void PowerFGeneric::SetStandardValues() {
    SetDf(10.0, 20.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 30.0;
    ratio = kStandardRatio;
}

PowerAnalysis* PowerFGeneric::Clone() {
    return CloneAs<PowerFGeneric>();
}

void PowerFGeneric::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // No A priori in the generic test: called with it, it shows only the df.
    if (type != kAPriori) {
        AddGivenInputs(*this, type, inputs,
                       [&] { AddNoncentralityInput(inputs, kNoncentralityLambdaId); });
    }
    AddNumeratorDfInput(inputs, false);
    AddDenominatorDfInput(inputs, false);
}

CalculateStatus PowerFGeneric::Calculate(AnalysisType type, PropertyList* inputs) {
    int numRow = -1, denRow = -1;
    double num = 0.0, den = 0.0;
    auto dfPasses = [this](ParameterId id, const double& value) {
        return [this, id, &value](const GivenValues&) {
            return CheckDfAtLeastOne(value) &&
                   CheckValueRange(ParameterNames[id], value, 1.0, kLargestDf);
        };
    };
    ReadCheckSolve path;
    path.effectId = kNoncentralityLambdaId;
    path.sample = SampleInputs::kFixedGroups;
    path.fixedSize = kGenericGroupSize;
    // No A priori in the generic test: called with it, it does nothing.
    path.solvesAPriori = false;
    path.readBelowGiven = [&] {
        num = ReadNumeratorDf(inputs, &numRow);
        den = ReadDenominatorDf(inputs, &denRow);
    };
    path.checks = InputTable{EffectPasses([this](double lambda) { return CheckLambda(lambda); }),
                             AlphaInRange(*this),
                             PowerInRange(*this),
                             PowerAboveAlpha(*this),
                             OwnInputCheck(numRow, dfPasses(kNumeratorDfId, num)),
                             OwnInputCheck(denRow, dfPasses(kDenominatorDfId, den)),
                             RatioInRange(*this, 0.01, 100.0)};
    path.takeDesign = [&](GivenValues&) { SetDf(num, den); };
    path.afterCriterion = [this](const GivenValues&) { SetCentralCriticalValue(alpha); };
    return RunReadCheckSolve(*this, type, inputs, path);
}
