#include "app/panels/correlation_forms.h"

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/power_analysis.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/panel_rows.h"

namespace det = effectsize::determination;
namespace two = effectsize::two_correlations;
namespace dep = effectsize::dependent_correlations;

namespace {

constexpr const char* kR2Label = "Coefficient of determination $\\rho$$^2$";

platform::DialogTemplate FromR2Form(int formId) {
    PanelRows rows(formId, 118, 56);
    rows.Row(CorrelationFromR2Panel::kR2LabelId, "", CorrelationFromR2Panel::kR2Id);
    return rows.Finish(CorrelationFromR2Panel::kResultLabelId, "");
}

platform::DialogTemplate TwoCorrelationsForm() {
    PanelRows rows(168, 118, 56);
    for (int field = 0; field < two::kFieldCount; ++field)
        rows.Row(CEff_Z_2Corr::kLabelIds[field], "", CEff_Z_2Corr::kFieldIds[field]);
    return rows.Finish(platform::kNoControlId, "Effect size q");
}

platform::DialogTemplate DependentCorrelationsForm() {
    PanelRows rows(228, 118, 56);
    rows.Row(CEff_Z_2DepCorr::kRabLabelId, "", CEff_Z_2DepCorr::kFieldIds[dep::kRab]);
    rows.Row(platform::kNoControlId, "Cohen's effect size q", CEff_Z_2DepCorr::kFieldIds[dep::kQ]);
    return rows.Finish(CEff_Z_2DepCorr::kResultLabelId, "");
}

}  // namespace

// ------------------------------------------- correlation from r squared

CorrelationFromR2Panel::CorrelationFromR2Panel(int formId, const char* storeKey,
                                               const char* resultLabel, PanelHost* host)
    : CEffectSizePanel(FromR2Form(formId), host), storeKey_(storeKey), resultLabel_(resultLabel) {}

det::Inputs CorrelationFromR2Panel::Inputs() const {
    return det::Inputs{GetDlgItemString(kR2Id)};
}

void CorrelationFromR2Panel::OnInitialUpdate() {
    SetDlgItemLabel(kR2LabelId, kR2Label);
    SetDlgItemLabel(kResultLabelId, resultLabel_);
    SetDlgItemString(kR2Id, det::Inputs{}.r2);
    CEffectSizePanel::OnInitialUpdate();
}

bool CorrelationFromR2Panel::SaveInputs(PropertyList* store) {
    det::Save(Inputs(), storeKey_, store);
    return true;
}

bool CorrelationFromR2Panel::RestoreInputs(PropertyList* store) {
    det::Inputs inputs = Inputs();
    det::Restore(store, storeKey_, &inputs);
    SetDlgItemString(kR2Id, inputs.r2);
    MarkResultUnknown();
    return true;
}

bool CorrelationFromR2Panel::CalculateEffectSize(double* effect) {
    const det::Inputs inputs = Inputs();
    if (const auto error = det::Check(inputs)) {
        ShowFieldError(kR2Id, error->message);
        return false;
    }
    *effect = det::ComputeR(inputs);
    return true;
}

CEff_Exact_1Corr::CEff_Exact_1Corr(PanelHost* host)
    : CorrelationFromR2Panel(235, det::kExactKey, "Correlation $\\rho$ H1", host) {}

CEff_T_Corr_PBM::CEff_T_Corr_PBM(PanelHost* host)
    : CorrelationFromR2Panel(156, det::kPointBiserialKey, "Effect size |$\\rho$|", host) {}

// ------------------------------------------------ two correlations

CEff_Z_2Corr::CEff_Z_2Corr(PanelHost* host) : CEffectSizePanel(TwoCorrelationsForm(), host) {}

two::Inputs CEff_Z_2Corr::Inputs() const {
    two::Inputs inputs;
    for (int field = 0; field < two::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    return inputs;
}

void CEff_Z_2Corr::OnInitialUpdate() {
    SetDlgItemLabel(kLabelIds[two::kR1], "Correlation coefficient $\\rho$1");
    SetDlgItemLabel(kLabelIds[two::kR2], "Correlation coefficient $\\rho$2");
    for (int field = 0; field < two::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], two::Inputs{}.text[field]);
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_Z_2Corr::SaveInputs(PropertyList* store) {
    two::Save(Inputs(), store);
    return true;
}

bool CEff_Z_2Corr::RestoreInputs(PropertyList* store) {
    two::Inputs inputs = Inputs();
    two::Restore(store, &inputs);
    for (int field = 0; field < two::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    MarkResultUnknown();
    return true;
}

bool CEff_Z_2Corr::CalculateEffectSize(double* effect) {
    const two::Inputs inputs = Inputs();
    if (const auto error = two::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    *effect = two::ComputeQ(inputs);
    return true;
}

// ---------------------------------------------- dependent correlations

CEff_Z_2DepCorr::CEff_Z_2DepCorr(PanelHost* host)
    : CEffectSizePanel(DependentCorrelationsForm(), host) {}

dep::Inputs CEff_Z_2DepCorr::Inputs() const {
    dep::Inputs inputs;
    for (int field = 0; field < dep::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    return inputs;
}

void CEff_Z_2DepCorr::ShowInputs(const dep::Inputs& inputs) {
    for (int field = 0; field < dep::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    MarkResultUnknown();
}

void CEff_Z_2DepCorr::ShowLabels() {
    SetDlgItemLabel(kRabLabelId, ParameterNames[kH0CorrRhoAbId]);
    PowerAnalysis* test = Host() ? Host()->CurrentTest() : nullptr;
    const ParameterId effectId = test ? test->GetEffectSizeId() : kH1CorrRhoAcId;
    if (effectId >= 0 && effectId < kParameterNameCount)
        SetDlgItemLabel(kResultLabelId, ParameterNames[effectId]);
}

void CEff_Z_2DepCorr::OnInitialUpdate() {
    ShowLabels();
    ShowInputs(dep::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_Z_2DepCorr::SaveInputs(PropertyList* store) {
    dep::Save(Inputs(), store);
    return true;
}

bool CEff_Z_2DepCorr::RestoreInputs(PropertyList* store) {
    dep::Inputs inputs;
    dep::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_Z_2DepCorr::SetUpAfterOpening(int testId) {
    (void)testId;
    ShowLabels();
    std::optional<std::string> mainRab;
    if (Property* shown = Host() ? Host()->FindParameter(ParameterNames[kH0CorrRhoAbId]) : nullptr)
        mainRab = shown->text;
    dep::Inputs inputs = Inputs();
    dep::SetUpFromMainWindow(mainRab, &inputs);
    ShowInputs(inputs);
}

bool CEff_Z_2DepCorr::CalculateEffectSize(double* effect) {
    dep::Result result;
    if (const auto error = dep::Compute(Inputs(), &result)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    result_ = result;
    *effect = result.rac;
    return true;
}

effectsize::TransferPlan CEff_Z_2DepCorr::PlanTransfer(double effect) {
    (void)effect;  // the same r_ac as in result_
    return dep::PlanTransfer(result_);
}
