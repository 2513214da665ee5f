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

// -------------------------------------------------------- output tables

void AppendRows(OutputTable& table, const OutputTable& rows) {
    table.insert(table.end(), rows.begin(), rows.end());
}

OutputRow PowerAnalysis::Row(ParameterId id, std::function<double()> value, bool integral) {
    if (!IsParameter(id)) return {};
    return {ParameterNames[id], integral, std::move(value)};
}
OutputRow PowerAnalysis::LabelRow(std::string label, std::function<double()> value) {
    return {std::move(label), false, std::move(value)};
}
OutputRow PowerAnalysis::AlphaRow() {
    return Row(kAlphaId, [this] { return alpha; });
}
OutputRow PowerAnalysis::PowerRow() {
    return Row(kPowerId, [this] { return power; });
}
OutputRow PowerAnalysis::BetaRow() {
    return Row(kBetaId, [this] { return GetBeta(); });
}
OutputRow PowerAnalysis::ActualPowerRow() {
    return Row(kActualPowerId, [this] { return actualPower; });
}
OutputRow PowerAnalysis::ActualAlphaRow() {
    return Row(kActualAlphaId, [this] { return actualAlpha; });
}
OutputRow PowerAnalysis::ActualRatioRow() {
    return Row(kActualRatioId, [this] { return actualRatio; });
}
OutputRow PowerAnalysis::CriticalValueRow(ParameterId id) {
    return Row(id, [this] { return criticalValue; });
}
OutputRow PowerAnalysis::LowerCriticalRow(ParameterId id, bool integral) {
    return Row(
        id, [this] { return std::min(criticalValue, criticalValue2); }, integral);
}
OutputRow PowerAnalysis::UpperCriticalRow(ParameterId id, bool integral) {
    return Row(
        id, [this] { return std::max(criticalValue, criticalValue2); }, integral);
}
OutputRow PowerAnalysis::NoncentralityRow(ParameterId id) {
    return Row(id, [this] { return NoncentralityFromEffect(effectSize); });
}
OutputRow PowerAnalysis::EffectSizeRow(ParameterId id, bool second) {
    return Row(id, [this, second] { return second ? effectSize2 : effectSize; });
}
OutputRow PowerAnalysis::DfRow(bool integral) {
    return Row(
        kDfId, [this] { return df; }, integral);
}
OutputRow PowerAnalysis::NumeratorDfRow(bool integral) {
    return Row(
        kNumeratorDfId, [this] { return numeratorDf; }, integral);
}
OutputRow PowerAnalysis::DenominatorDfRow(bool integral) {
    return Row(
        kDenominatorDfId, [this] { return denominatorDf; }, integral);
}
OutputRow PowerAnalysis::TotalSampleSizeRow() {
    return CountRow(kTotalSampleSizeId, [this] { return sampleSize; });
}
OutputRow PowerAnalysis::SampleSize1Row() {
    return CountRow(kSampleSizeGroup1Id, [this] { return groupSize1; });
}
OutputRow PowerAnalysis::SampleSize2Row() {
    return CountRow(kSampleSizeGroup2Id, [this] { return groupSize2; });
}

OutputTable PowerAnalysis::DfOutputs() {
    const int mask = GetDfOutputMask();
    OutputTable rows;
    if (mask & kDfBit) rows.push_back(DfRow());
    if (mask & kNumeratorDfBit) rows.push_back(NumeratorDfRow());
    if (mask & kDenominatorDfBit) rows.push_back(DenominatorDfRow());
    return rows;
}

OutputTable PowerAnalysis::TypeOutputs(AnalysisType type) {
    switch (type) {
        case kAPriori:
            return {TotalSampleSizeRow(), ActualPowerRow()};
        case kSensitivity:
            return {EffectSizeRow(GetEffectSizeId())};
        case kPostHoc:
            return {PowerRow()};
        case kCriterion:
            return {AlphaRow()};
        case kCompromise:
            return {AlphaRow(), BetaRow(), PowerRow()};
    }
    return {};
}

OutputTable PowerAnalysis::StandardOutputs(AnalysisType type) {
    OutputTable table = {NoncentralityRow(GetNoncentralityId()),
                         CriticalValueRow(GetCriticalValueId())};
    AppendRows(table, DfOutputs());
    AppendRows(table, TypeOutputs(type));
    return table;
}

OutputTable PowerAnalysis::GenericOutputs(AnalysisType type) {
    OutputTable table = {CriticalValueRow(GetCriticalValueId())};
    switch (type) {
        case kSensitivity:
            table.push_back(NoncentralityRow(GetNoncentralityId()));
            break;
        case kPostHoc:
            AppendRows(table, {BetaRow(), PowerRow()});
            break;
        case kCriterion:
            table.push_back(AlphaRow());
            break;
        case kCompromise:
            AppendRows(table, {AlphaRow(), BetaRow(), PowerRow()});
            break;
        case kAPriori:
            break;
    }
    return table;
}

OutputTable PowerAnalysis::Outputs(AnalysisType type) {
    return StandardOutputs(type);
}

namespace {

void ShowRows(const OutputTable& table, PropertyList* outputs) {
    outputs->Clear();
    for (const OutputRow& row : table) {
        if (!row.label.empty()) AppendOutput(outputs, row.label, row.integral);
    }
}

void WriteRows(const OutputTable& table, PropertyList* outputs) {
    for (const OutputRow& row : table) {
        if (!row.label.empty()) WriteOutput(outputs, row.label, row.value());
    }
}

}  // namespace

void PowerAnalysis::BuildOutputList(AnalysisType type, PropertyList* outputs) {
    ShowRows(Outputs(type), outputs);
}

void PowerAnalysis::GetOutputs(AnalysisType type, PropertyList* outputs) {
    WriteRows(Outputs(type), outputs);
}
