#include "power/t/power_t_generic.h"

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"

namespace {

// The fixed group sizes of the generic test: its df and noncentrality are
// entered directly, so the sizes only have to be valid.
constexpr long kGenericGroupSize = 100;

}  // namespace

PowerTGeneric::PowerTGeneric() {
    PowerTGeneric::SetStandardValues();
}

PowerAnalysis* PowerTGeneric::Clone() {
    return CloneAs<PowerTGeneric>();
}

void PowerTGeneric::SetStandardValues() {
    SetDf(1.0);
    alpha = 0.05;
    power = 0.95;
    sampleSize = 100.0;
    groupSize1 = 50.0;
    groupSize2 = 50.0;
    effectSize = 10.0;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
}

// Beyond kLargestDelta the noncentral t sums take long (and from about
// 4.7e5 give up) where the power has long been 0 or 1.
bool PowerTGeneric::CheckDeltaRange(double delta) {
    return CheckValueRange(ParameterNames[kNoncentralityDeltaId], delta, -kLargestDelta,
                           kLargestDelta);
}

void PowerTGeneric::GetAnalysisTypes(PropertyList* list) {
    GetGenericAnalysisTypes(list);
}

void PowerTGeneric::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    // No A priori in the generic test: called with it, it shows the tails
    // and the df.
    if (type != kAPriori) {
        AddGivenInputs(*this, type, inputs,
                       [&] { AddNoncentralityInput(inputs, GetNoncentralityId()); });
    }
    AddDfInput(inputs, false);
}

CalculateStatus PowerTGeneric::Calculate(AnalysisType type, PropertyList* inputs) {
    double dfValue = 0.0;
    int tails = 0;
    auto readDf = [&] {
        int dfRow = -1;
        dfValue = ReadDf(inputs, &dfRow);
        const bool admissible = CheckDfMinimum(dfValue, 0.01) &&
                                CheckValueRange(ParameterNames[kDfId], dfValue, 0.01, kLargestDf);
        return admissible ? -1 : dfRow;
    };
    ReadCheckSolve path = FamilyPath(type, inputs, SampleInputs::kFixedGroups, tails, readDf,
                                     [&](GivenValues&) { SetDf(dfValue); });
    path.effectId = GetNoncentralityId();
    path.fixedSize = kGenericGroupSize;
    // No A priori in the generic test: called with it, it reads the tails
    // and the df.
    path.solvesAPriori = false;
    path.typeChecks = &checkTables.Of(type, path.sample, 0, [this] {
        InputCheck delta{Given::kEffect,
                         [this](const GivenValues& v) { return CheckDeltaRange(v.effect); }};
        delta.whenRead = true;
        return FamilyChecks(delta, {});
    });
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerTGeneric::Outputs(AnalysisType type) {
    return GenericOutputs(type);
}
