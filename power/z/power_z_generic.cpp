#include "power/z/power_z_generic.h"

#include "analysis/family_support.h"

namespace {

// The fixed sample size of the generic test: its mean and standard
// deviation are entered directly, so the size only has to be valid.
constexpr long kGenericSampleSize = 100;

enum NormalParam { kSd = 1 };

}  // namespace

PowerZGeneric::PowerZGeneric() {
    PowerZGeneric::SetStandardValues();
}

PowerAnalysis* PowerZGeneric::Clone() {
    return CloneAs<PowerZGeneric>();
}

void PowerZGeneric::SetStandardValues() {
    nullSD = 1.0;
    noncentralSD = 1.0;
    distribution->SetParam(kSd, 1.0);
    alpha = 0.05;
    power = 0.95;
    effectSize = 3.0;
    ratio = kStandardRatio;
}

void PowerZGeneric::GetAnalysisTypes(PropertyList* list) {
    GetGenericAnalysisTypes(list);
}

void PowerZGeneric::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    // No A priori in the generic test: the mean is an input.
    if (type == kAPriori) return;
    AddTailsInput(inputs);
    const GivenInputs given = GivenInputsOf(type);
    if (given.effect) AddNoncentralityInput(inputs, GetNoncentralityId());
    AddDoubleInput(inputs, kNoncentralSdId, noncentralSD);
    if (given.alpha) AddAlphaInput(inputs);
    if (given.power) AddPowerInput(inputs);
    if (given.ratio) AddRatioInput(inputs);
}

CalculateStatus PowerZGeneric::Calculate(AnalysisType type, PropertyList* inputs) {
    int tails = 0;
    double sd = 0.0;
    OwnInputs own;
    own.beforeTails = [&] {
        int row = -1;
        sd = ReadDouble(inputs, kNoncentralSdId, &row);
        return CheckStandardError(sd, 1e-8) && CheckFinite(sd) ? -1 : row;
    };
    own.take = [&](GivenValues&) {
        noncentralSD = sd;
        distribution->SetParam(kSd, 1.0);
    };
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kFixedTotal, tails, &own);
    // No A priori in the generic test: the mean is an input, and its list
    // holds nothing to read.
    path.solvesAPriori = false;
    if (type == kAPriori) path.readDesign = {};
    path.effectId = GetNoncentralityId();
    path.fixedSize = kGenericSampleSize;
    // A mean that no check bounds is refused before the next input is read.
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this] {
        InputCheck finiteMean = {Given::kEffect,
                                 [this](const GivenValues& v) { return CheckFinite(v.effect); }};
        finiteMean.whenRead = true;
        return FamilyChecks({finiteMean}, {});
    });
    // The critical values of the alpha found, on the standard scale.
    path.afterCriterion = [this](const GivenValues& v) { SetCriticalValues(v.effect, alpha, 1.0); };
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerZGeneric::Outputs(AnalysisType type) {
    return GenericOutputs(type);
}
