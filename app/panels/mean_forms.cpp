#include "app/panels/mean_forms.h"

#include <QAbstractButton>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/panel_rows.h"
#include "power/t/power_t_wilcoxon.h"

namespace om = effectsize::one_mean;
namespace pm = effectsize::paired_means;

namespace {

platform::DialogTemplate OneMeanForm() {
    const int* ids = CEff_T_OneMean::kFieldIds;
    PanelRows rows(169, 94, 68);
    rows.Row(platform::kNoControlId, "Mean H0", ids[om::kMeanH0]);
    rows.Row(platform::kNoControlId, "Mean H1", ids[om::kMeanH1]);
    rows.Row(CEff_T_OneMean::kSdLabelId, "", ids[om::kSd]);
    return rows.Finish(platform::kNoControlId, "Effect size d");
}

platform::DialogTemplate PairedMeansForm() {
    const int* ids = CEff_T_PairedMeans::kFieldIds;
    PanelRows rows(170, 94, 68);
    rows.BeginFrame("           From differences", CEff_T_PairedMeans::kDifferencesRadioId);
    rows.Row(platform::kNoControlId, "Mean of difference", ids[pm::kMeanDiff]);
    rows.Row(platform::kNoControlId, "SD of difference", ids[pm::kSdDiff]);
    rows.EndFrame();
    rows.BeginFrame("           From group parameters", CEff_T_PairedMeans::kGroupsRadioId);
    rows.Row(platform::kNoControlId, "Mean group 1", ids[pm::kMean1]);
    rows.Row(platform::kNoControlId, "Mean group 2", ids[pm::kMean2]);
    rows.Row(platform::kNoControlId, "SD group 1", ids[pm::kSd1]);
    rows.Row(platform::kNoControlId, "SD group 2", ids[pm::kSd2]);
    rows.Row(platform::kNoControlId, "Correlation between groups", ids[pm::kCorr]);
    rows.EndFrame();
    return rows.Finish(platform::kNoControlId, "Effect size dz");
}

// What the transfer needs of the current test: its id and, for a
// signed-rank test, its method, its moments and the shown parent.
effectsize::SignedRankContext SignedRankContextOf(PanelHost* host) {
    effectsize::SignedRankContext context;
    PowerAnalysis* test = host ? host->CurrentTest() : nullptr;
    if (!test) return context;
    context.testId = test->GetTestId();
    if (const auto wilcoxon = ChosenWilcoxonMethod(test)) {
        context.wilcoxonMethod = wilcoxon->method;
        context.manualMoments = wilcoxon->manualInput;
        auto* parent = dynamic_cast<PropertySelection*>(
            host->FindParameter(ParameterNames[kParentDistributionId]));
        if (parent) context.parentIndex = parent->index;
    }
    return context;
}

}  // namespace

// ------------------------------------------------------------- one mean

CEff_T_OneMean::CEff_T_OneMean(PanelHost* host) : CEffectSizePanel(OneMeanForm(), host) {}

om::Inputs CEff_T_OneMean::Inputs() const {
    om::Inputs inputs;
    for (int field = 0; field < om::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    return inputs;
}

void CEff_T_OneMean::ShowInputs(const om::Inputs& inputs) {
    for (int field = 0; field < om::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    MarkResultUnknown();
}

void CEff_T_OneMean::OnInitialUpdate() {
    SetDlgItemLabel(kSdLabelId, "SD $\\sigma$");
    ShowInputs(om::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_T_OneMean::SaveInputs(PropertyList* store) {
    om::Save(Inputs(), store);
    return true;
}

bool CEff_T_OneMean::RestoreInputs(PropertyList* store) {
    om::Inputs inputs = Inputs();
    om::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

bool CEff_T_OneMean::CalculateEffectSize(double* effect) {
    const om::Inputs inputs = Inputs();
    if (const auto error = om::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    *effect = om::ComputeD(inputs);
    return true;
}

effectsize::TransferPlan CEff_T_OneMean::PlanTransfer(double effect) {
    return effectsize::PlanSignedRankTransfer(effect, SignedRankContextOf(Host()));
}

// --------------------------------------------------------- matched pairs

CEff_T_PairedMeans::CEff_T_PairedMeans(PanelHost* host)
    : CEffectSizePanel(PairedMeansForm(), host) {}

pm::Inputs CEff_T_PairedMeans::Inputs() const {
    pm::Inputs inputs;
    for (int field = 0; field < pm::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    const QAbstractButton* groups = Button(kGroupsRadioId);
    inputs.fromGroups = groups && groups->isChecked();
    return inputs;
}

void CEff_T_PairedMeans::ShowInputs(const pm::Inputs& inputs) {
    for (int field = 0; field < pm::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    if (QAbstractButton* radio = Button(inputs.fromGroups ? kGroupsRadioId : kDifferencesRadioId))
        radio->setChecked(true);
    ApplyMode(inputs.fromGroups);
}

void CEff_T_PairedMeans::ApplyMode(bool fromGroups) {
    pm::Inputs mode;
    mode.fromGroups = fromGroups;
    for (int field = 0; field < pm::kFieldCount; ++field) {
        if (QWidget* edit = Control(kFieldIds[field]))
            edit->setEnabled(pm::FieldInUse(mode, field));
    }
    MarkResultUnknown();
}

void CEff_T_PairedMeans::OnInitialUpdate() {
    ShowInputs(pm::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_T_PairedMeans::SaveInputs(PropertyList* store) {
    pm::Save(Inputs(), store);
    return true;
}

bool CEff_T_PairedMeans::RestoreInputs(PropertyList* store) {
    pm::Inputs inputs = Inputs();
    pm::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_T_PairedMeans::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked &&
        (id == kDifferencesRadioId || id == kGroupsRadioId)) {
        ApplyMode(id == kGroupsRadioId);
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_T_PairedMeans::CalculateEffectSize(double* effect) {
    const pm::Inputs inputs = Inputs();
    if (const auto error = pm::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    *effect = pm::ComputeDz(inputs);
    return true;
}

effectsize::TransferPlan CEff_T_PairedMeans::PlanTransfer(double effect) {
    return effectsize::PlanSignedRankTransfer(effect, SignedRankContextOf(Host()));
}
