// The analysis-type lists, the output lists and the output values of
// PowerAnalysis. Outputs are PropertyDouble entries labelled from the
// parameter-name table; each shows "?" until a calculation writes it with
// seven digits.

#include <algorithm>
#include <iterator>
#include <vector>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"

namespace {

enum DfBits { kDfBit = 1, kNumeratorDfBit = 2, kDenominatorDfBit = 4 };

// An id outside the table (the base classes' -1) names no parameter.
bool IsParameter(ParameterId id) {
    return 0 <= id && id < kParameterNameCount;
}

void AppendOutput(PropertyList* outputs, const std::string& label, bool integral) {
    outputs->push_back(new PropertyDouble(label, "?", integral));
}

void AppendOutput(PropertyList* outputs, ParameterId id, bool integral) {
    if (IsParameter(id)) AppendOutput(outputs, ParameterNames[id], integral);
}

void WriteOutput(PropertyList* outputs, const std::string& label, double value) {
    Property* output = outputs->Find(label);
    if (output == nullptr) return;
    if (output->GetType() == Property::kDouble || output->GetType() == Property::kExDouble) {
        // A zero is shown as "0" whatever its sign: an effect typed as "-0"
        // gives a delta or critical value of -0, which is no other result.
        static_cast<PropertyDouble*>(output)->SetValueWithDigits(value == 0.0 ? 0.0 : value,
                                                                 kOutputDigits);
    }
}

void WriteOutput(PropertyList* outputs, ParameterId id, double value) {
    if (IsParameter(id)) WriteOutput(outputs, ParameterNames[id], value);
}

struct TypeLabel {
    AnalysisType type;
    const char* label;
};

// In the order the selection shows them.
const TypeLabel kTypeLabels[] = {
    {kAPriori, "A priori: Compute required sample size - given $\\alpha$, power, and effect size"},
    {kCompromise,
     "Compromise: Compute implied $\\alpha$ & power - given $\\beta$/$\\alpha$ ratio, sample "
     "size, and effect size"},
    {kCriterion,
     "Criterion: Compute required $\\alpha$ - given power, effect size, and sample size"},
    {kPostHoc, "Post hoc: Compute achieved power - given $\\alpha$, sample size, and effect size"},
    {kSensitivity,
     "Sensitivity: Compute required effect size - given $\\alpha$, power, and sample size"},
};

// The generic tests take the noncentrality parameter itself: no A priori.
const TypeLabel kGenericTypeLabels[] = {
    {kCompromise,
     "Compromise: Compute $\\alpha$ and $\\beta$ - given $\\beta$/$\\alpha$ ratio, and "
     "noncentrality parameter"},
    {kCriterion, "Criterion: Compute alpha - given $\\beta$, and noncentrality parameter"},
    {kPostHoc, "Post hoc: Compute power - given $\\alpha$, and noncentrality parameter"},
    {kSensitivity, "Sensitivity: Compute noncentrality parameter - given $\\alpha$, and power"},
};

template <size_t N>
void FillTypeList(PropertyList* list, const TypeLabel (&labels)[N]) {
    list->Clear();
    for (const TypeLabel& entry : labels) {
        list->push_back(new PropertyLong(entry.label, static_cast<long>(entry.type)));
    }
}

}  // namespace

// ------------------------------------------------------- analysis types

void PowerAnalysis::GetAnalysisTypes(PropertyList* list) {
    FillTypeList(list, kTypeLabels);
}

void PowerAnalysis::GetGenericAnalysisTypes(PropertyList* list) {
    FillTypeList(list, kGenericTypeLabels);
}

// ------------------------------------------------------- output entries

void PowerAnalysis::AddAlphaOutput(PropertyList* o) {
    AppendOutput(o, kAlphaId, false);
}
void PowerAnalysis::AddPowerOutput(PropertyList* o) {
    AppendOutput(o, kPowerId, false);
}
void PowerAnalysis::AddBetaOutput(PropertyList* o) {
    AppendOutput(o, kBetaId, false);
}
void PowerAnalysis::AddActualPowerOutput(PropertyList* o) {
    AppendOutput(o, kActualPowerId, false);
}
void PowerAnalysis::AddActualAlphaOutput(PropertyList* o) {
    AppendOutput(o, kActualAlphaId, false);
}
void PowerAnalysis::AddActualRatioOutput(PropertyList* o) {
    AppendOutput(o, kActualRatioId, false);
}
void PowerAnalysis::AddProportionP2Output(PropertyList* o) {
    AppendOutput(o, kProportionP2Id, false);
}
void PowerAnalysis::AddProportionP12Output(PropertyList* o) {
    AppendOutput(o, kProportionP12Id, false);
}
void PowerAnalysis::AddProportionP21Output(PropertyList* o) {
    AppendOutput(o, kProportionP21Id, false);
}
void PowerAnalysis::AddMomentP1Output(PropertyList* o) {
    AppendOutput(o, kMomentP1Id, false);
}
void PowerAnalysis::AddMomentP2Output(PropertyList* o) {
    AppendOutput(o, kMomentP2Id, false);
}
void PowerAnalysis::AddMomentP3Output(PropertyList* o) {
    AppendOutput(o, kMomentP3Id, false);
}
void PowerAnalysis::AddOutput(PropertyList* o, ParameterId id) {
    AppendOutput(o, id, false);
}
void PowerAnalysis::AddOutputByLabel(PropertyList* o, std::string label) {
    AppendOutput(o, label, false);
}
void PowerAnalysis::AddNumeratorDfOutput(PropertyList* o, bool integral) {
    AppendOutput(o, kNumeratorDfId, integral);
}
void PowerAnalysis::AddDenominatorDfOutput(PropertyList* o, bool integral) {
    AppendOutput(o, kDenominatorDfId, integral);
}
void PowerAnalysis::AddDfOutput(PropertyList* o, bool integral) {
    AppendOutput(o, kDfId, integral);
}
void PowerAnalysis::AddSampleSize1Output(PropertyList* o) {
    AppendOutput(o, kSampleSizeGroup1Id, true);
}
void PowerAnalysis::AddSampleSize2Output(PropertyList* o) {
    AppendOutput(o, kSampleSizeGroup2Id, true);
}
void PowerAnalysis::AddCountOutput(PropertyList* o, ParameterId id) {
    AppendOutput(o, id, true);
}

// -------------------------------------------------------- output lists

// The outputs of the standard and the generic lists. Each list is written
// down once and serves both for building the list and for filling it, so
// the two can never disagree.
enum class OutputKind {
    kNoncentrality,
    kCriticalValue,
    kDfByMask,
    kTotalSampleSize,
    kActualPower,
    kEffectSize,
    kPower,
    kAlpha,
    kBeta,
};

namespace {

using OutputKinds = std::vector<OutputKind>;

// What an analysis type adds after a test's leading rows: what it solves
// for.
OutputKinds TypeOutputs(AnalysisType type) {
    using enum OutputKind;
    OutputKinds kinds;
    switch (type) {
        case kAPriori:
            kinds.insert(kinds.end(), {kTotalSampleSize, kActualPower});
            break;
        case kSensitivity:
            kinds.push_back(kEffectSize);
            break;
        case kPostHoc:
            kinds.push_back(kPower);
            break;
        case kCriterion:
            kinds.push_back(kAlpha);
            break;
        case kCompromise:
            kinds.insert(kinds.end(), {kAlpha, kBeta, kPower});
            break;
    }
    return kinds;
}

// Every standard list starts with the noncentrality, the critical value and
// the df the test shows.
OutputKinds StandardOutputs(AnalysisType type) {
    using enum OutputKind;
    OutputKinds kinds = {kNoncentrality, kCriticalValue, kDfByMask};
    const OutputKinds tail = TypeOutputs(type);
    kinds.insert(kinds.end(), tail.begin(), tail.end());
    return kinds;
}

// The generic tests take the noncentrality as their effect: a Sensitivity
// analysis shows it as its result, and there is no A priori.
OutputKinds GenericOutputs(AnalysisType type) {
    using enum OutputKind;
    OutputKinds kinds = {kCriticalValue};
    switch (type) {
        case kSensitivity:
            kinds.push_back(kNoncentrality);
            break;
        case kPostHoc:
            kinds.insert(kinds.end(), {kBeta, kPower});
            break;
        case kCriterion:
            kinds.push_back(kAlpha);
            break;
        case kCompromise:
            kinds.insert(kinds.end(), {kAlpha, kBeta, kPower});
            break;
        case kAPriori:
            break;
    }
    return kinds;
}

}  // namespace

void PowerAnalysis::AddOutputOfKind(PropertyList* outputs, OutputKind kind) {
    const int mask = GetDfOutputMask();
    switch (kind) {
        case OutputKind::kNoncentrality:
            return AddOutput(outputs, GetNoncentralityId());
        case OutputKind::kCriticalValue:
            return AddOutput(outputs, GetCriticalValueId());
        case OutputKind::kDfByMask:
            if (mask & kDfBit) AddDfOutput(outputs, true);
            if (mask & kNumeratorDfBit) AddNumeratorDfOutput(outputs, true);
            if (mask & kDenominatorDfBit) AddDenominatorDfOutput(outputs, true);
            return;
        case OutputKind::kTotalSampleSize:
            return AddCountOutput(outputs, kTotalSampleSizeId);
        case OutputKind::kActualPower:
            return AddActualPowerOutput(outputs);
        case OutputKind::kEffectSize:
            return AddOutput(outputs, GetEffectSizeId());
        case OutputKind::kPower:
            return AddPowerOutput(outputs);
        case OutputKind::kAlpha:
            return AddAlphaOutput(outputs);
        case OutputKind::kBeta:
            return AddBetaOutput(outputs);
    }
}

void PowerAnalysis::SetOutputOfKind(PropertyList* outputs, OutputKind kind) {
    const int mask = GetDfOutputMask();
    switch (kind) {
        case OutputKind::kNoncentrality:
            return SetNoncentralityOutput(outputs, GetNoncentralityId());
        case OutputKind::kCriticalValue:
            return SetCriticalValueOutput(outputs, GetCriticalValueId());
        case OutputKind::kDfByMask:
            if (mask & kDfBit) SetDfOutput(outputs);
            if (mask & kNumeratorDfBit) SetNumeratorDfOutput(outputs);
            if (mask & kDenominatorDfBit) SetDenominatorDfOutput(outputs);
            return;
        case OutputKind::kTotalSampleSize:
            return SetSampleSizeOutput(outputs, kTotalSampleSizeId);
        case OutputKind::kActualPower:
            return SetActualPowerOutput(outputs);
        case OutputKind::kEffectSize:
            return SetEffectSizeOutput(outputs, GetEffectSizeId(), false);
        case OutputKind::kPower:
            return SetPowerOutput(outputs);
        case OutputKind::kAlpha:
            return SetAlphaOutput(outputs);
        case OutputKind::kBeta:
            return SetBetaOutput(outputs);
    }
}

void PowerAnalysis::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    outputs->Clear();
    for (OutputKind kind : StandardOutputs(type)) AddOutputOfKind(outputs, kind);
}

void PowerAnalysis::GetOutputs(AnalysisType type, PropertyList* outputs) {
    for (OutputKind kind : StandardOutputs(type)) SetOutputOfKind(outputs, kind);
}

void PowerAnalysis::AddTypeOutputs(AnalysisType type, PropertyList* outputs) {
    for (OutputKind kind : TypeOutputs(type)) AddOutputOfKind(outputs, kind);
}

void PowerAnalysis::SetTypeOutputs(AnalysisType type, PropertyList* outputs) {
    for (OutputKind kind : TypeOutputs(type)) SetOutputOfKind(outputs, kind);
}

void PowerAnalysis::BuildGenericOutputList(AnalysisType type, PropertyList* outputs) {
    outputs->Clear();
    for (OutputKind kind : GenericOutputs(type)) AddOutputOfKind(outputs, kind);
}

void PowerAnalysis::GetGenericOutputs(AnalysisType type, PropertyList* outputs) {
    for (OutputKind kind : GenericOutputs(type)) SetOutputOfKind(outputs, kind);
}

// ------------------------------------------------------- output writers

void PowerAnalysis::SetActualAlphaOutput(PropertyList* o) {
    WriteOutput(o, kActualAlphaId, actualAlpha);
}
void PowerAnalysis::SetActualRatioOutput(PropertyList* o) {
    WriteOutput(o, kActualRatioId, actualRatio);
}
void PowerAnalysis::SetActualPowerOutput(PropertyList* o) {
    WriteOutput(o, kActualPowerId, actualPower);
}
void PowerAnalysis::SetAlphaOutput(PropertyList* o) {
    WriteOutput(o, kAlphaId, alpha);
}
void PowerAnalysis::SetBetaOutput(PropertyList* o) {
    WriteOutput(o, kBetaId, GetBeta());
}
void PowerAnalysis::SetLowerCriticalOutput(PropertyList* o, ParameterId id) {
    WriteOutput(o, id, std::min(criticalValue, criticalValue2));
}
void PowerAnalysis::SetUpperCriticalOutput(PropertyList* o, ParameterId id) {
    WriteOutput(o, id, std::max(criticalValue, criticalValue2));
}
void PowerAnalysis::SetCriticalValueOutput(PropertyList* o, ParameterId id) {
    WriteOutput(o, id, criticalValue);
}
void PowerAnalysis::SetNumeratorDfOutput(PropertyList* o) {
    WriteOutput(o, kNumeratorDfId, numeratorDf);
}
void PowerAnalysis::SetDenominatorDfOutput(PropertyList* o) {
    WriteOutput(o, kDenominatorDfId, denominatorDf);
}
void PowerAnalysis::SetDfOutput(PropertyList* o) {
    WriteOutput(o, kDfId, df);
}
void PowerAnalysis::SetOutput(PropertyList* o, ParameterId id, double value) {
    WriteOutput(o, id, value);
}
void PowerAnalysis::SetEffectSizeOutput(PropertyList* o, ParameterId id, bool second) {
    WriteOutput(o, id, second ? effectSize2 : effectSize);
}
void PowerAnalysis::SetNoncentralityOutput(PropertyList* o, ParameterId id) {
    if (IsParameter(id)) WriteOutput(o, id, NoncentralityFromEffect(effectSize));
}
void PowerAnalysis::SetOutputByLabel(PropertyList* o, std::string label, double value) {
    WriteOutput(o, label, value);
}
void PowerAnalysis::SetPowerOutput(PropertyList* o) {
    WriteOutput(o, kPowerId, power);
}
void PowerAnalysis::SetProportionP12Output(PropertyList* o, double value) {
    WriteOutput(o, kProportionP12Id, value);
}
void PowerAnalysis::SetProportionP2Output(PropertyList* o, double value) {
    WriteOutput(o, kProportionP2Id, value);
}
void PowerAnalysis::SetProportionP21Output(PropertyList* o, double value) {
    WriteOutput(o, kProportionP21Id, value);
}
void PowerAnalysis::SetSampleSize1Output(PropertyList* o) {
    WriteOutput(o, kSampleSizeGroup1Id, groupSize1);
}
void PowerAnalysis::SetSampleSize2Output(PropertyList* o) {
    WriteOutput(o, kSampleSizeGroup2Id, groupSize2);
}
void PowerAnalysis::SetSampleSizeOutput(PropertyList* o, ParameterId id) {
    WriteOutput(o, id, sampleSize);
}
void PowerAnalysis::SetMomentP1Output(PropertyList* o, double value) {
    WriteOutput(o, kMomentP1Id, value);
}
void PowerAnalysis::SetMomentP2Output(PropertyList* o, double value) {
    WriteOutput(o, kMomentP2Id, value);
}
void PowerAnalysis::SetMomentP3Output(PropertyList* o, double value) {
    WriteOutput(o, kMomentP3Id, value);
}
