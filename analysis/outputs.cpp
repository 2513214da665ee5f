// The analysis-type lists, the output lists and the output values of
// PowerAnalysis. Outputs are PropertyDouble entries labelled from the
// parameter-name table; each shows "?" until a calculation writes it with
// seven digits.

#include <algorithm>
#include <iterator>

#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"

namespace {

constexpr int kOutputDigits = 7;

enum : ParameterId {
    kAlphaId = 0,
    kPowerId = 1,
    kTotalSampleSizeId = 2,
    kSampleSize1Id = 3,
    kSampleSize2Id = 4,
    kDfId = 9,
    kNumeratorDfId = 10,
    kDenominatorDfId = 11,
    kActualPowerId = 26,
    kBetaId = 27,
    kActualAlphaId = 41,
    kActualRatioId = 43,
    kProportionP2Id = 46,
    kProportionP12Id = 47,
    kProportionP21Id = 57,
    kMomentP1Id = 100,
    kMomentP2Id = 101,
    kMomentP3Id = 102,
};

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
        static_cast<PropertyDouble*>(output)->SetValueWithDigits(value, kOutputDigits);
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
    AppendOutput(o, kSampleSize1Id, true);
}
void PowerAnalysis::AddSampleSize2Output(PropertyList* o) {
    AppendOutput(o, kSampleSize2Id, true);
}
void PowerAnalysis::AddCountOutput(PropertyList* o, ParameterId id) {
    AppendOutput(o, id, true);
}

// -------------------------------------------------------- output lists

void PowerAnalysis::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    outputs->Clear();
    AddOutput(outputs, GetNoncentralityId());
    AddOutput(outputs, GetCriticalValueId());
    const int mask = GetDfOutputMask();
    if (mask & kDfBit) AddDfOutput(outputs, true);
    if (mask & kNumeratorDfBit) AddNumeratorDfOutput(outputs, true);
    if (mask & kDenominatorDfBit) AddDenominatorDfOutput(outputs, true);
    switch (type) {
        case kAPriori:
            AddCountOutput(outputs, kTotalSampleSizeId);
            AddActualPowerOutput(outputs);
            break;
        case kSensitivity:
            AddOutput(outputs, GetEffectSizeId());
            break;
        case kPostHoc:
            AddPowerOutput(outputs);
            break;
        case kCriterion:
            AddAlphaOutput(outputs);
            break;
        case kCompromise:
            AddAlphaOutput(outputs);
            AddBetaOutput(outputs);
            AddPowerOutput(outputs);
            break;
    }
}

void PowerAnalysis::GetOutputs(AnalysisType type, PropertyList* outputs) {
    SetNoncentralityOutput(outputs, GetNoncentralityId());
    SetCriticalValueOutput(outputs, GetCriticalValueId());
    const int mask = GetDfOutputMask();
    if (mask & kDfBit) SetDfOutput(outputs);
    if (mask & kNumeratorDfBit) SetNumeratorDfOutput(outputs);
    if (mask & kDenominatorDfBit) SetDenominatorDfOutput(outputs);
    switch (type) {
        case kAPriori:
            SetSampleSizeOutput(outputs, kTotalSampleSizeId);
            SetActualPowerOutput(outputs);
            break;
        case kSensitivity:
            SetEffectSizeOutput(outputs, GetEffectSizeId(), false);
            break;
        case kPostHoc:
            SetPowerOutput(outputs);
            break;
        case kCriterion:
            SetAlphaOutput(outputs);
            break;
        case kCompromise:
            SetAlphaOutput(outputs);
            SetBetaOutput(outputs);
            SetPowerOutput(outputs);
            break;
    }
}

void PowerAnalysis::BuildGenericOutputList(AnalysisType type, PropertyList* outputs) {
    outputs->Clear();
    AddOutput(outputs, GetCriticalValueId());
    switch (type) {
        case kSensitivity:
            AddOutput(outputs, GetNoncentralityId());
            break;
        case kPostHoc:
            AddBetaOutput(outputs);
            AddPowerOutput(outputs);
            break;
        case kCriterion:
            AddAlphaOutput(outputs);
            break;
        case kCompromise:
            AddAlphaOutput(outputs);
            AddBetaOutput(outputs);
            AddPowerOutput(outputs);
            break;
        case kAPriori:
            break;
    }
}

void PowerAnalysis::GetGenericOutputs(AnalysisType type, PropertyList* outputs) {
    SetCriticalValueOutput(outputs, GetCriticalValueId());
    switch (type) {
        case kSensitivity:
            SetNoncentralityOutput(outputs, GetNoncentralityId());
            break;
        case kPostHoc:
            SetBetaOutput(outputs);
            SetPowerOutput(outputs);
            break;
        case kCriterion:
            SetAlphaOutput(outputs);
            break;
        case kCompromise:
            SetAlphaOutput(outputs);
            SetPowerOutput(outputs);
            SetBetaOutput(outputs);
            break;
        case kAPriori:
            break;
    }
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
    WriteOutput(o, kBetaId, 1.0 - power);
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
void PowerAnalysis::SetArrayOutput(PropertyList* o, std::string label, int index) {
    // The values array has 30 elements; an index outside it names no value.
    if (0 <= index && index < static_cast<int>(std::size(values)))
        WriteOutput(o, label, values[index]);
}
void PowerAnalysis::SetPowerOutput(PropertyList* o) {
    WriteOutput(o, kPowerId, power);
}
void PowerAnalysis::SetProportionP12Output(PropertyList* o) {
    WriteOutput(o, kProportionP12Id, proportionP12);
}
void PowerAnalysis::SetProportionP2Output(PropertyList* o) {
    WriteOutput(o, kProportionP2Id, proportionP2);
}
void PowerAnalysis::SetProportionP21Output(PropertyList* o) {
    WriteOutput(o, kProportionP21Id, proportionP21);
}
void PowerAnalysis::SetSampleSize1Output(PropertyList* o) {
    WriteOutput(o, kSampleSize1Id, groupSize1);
}
void PowerAnalysis::SetSampleSize2Output(PropertyList* o) {
    WriteOutput(o, kSampleSize2Id, groupSize2);
}
void PowerAnalysis::SetSampleSizeOutput(PropertyList* o, ParameterId id) {
    WriteOutput(o, id, sampleSize);
}
void PowerAnalysis::SetMomentP1Output(PropertyList* o) {
    WriteOutput(o, kMomentP1Id, momentP1);
}
void PowerAnalysis::SetMomentP2Output(PropertyList* o) {
    WriteOutput(o, kMomentP2Id, proportionP2);
}
void PowerAnalysis::SetMomentP3Output(PropertyList* o) {
    WriteOutput(o, kMomentP3Id, momentP3);
}
