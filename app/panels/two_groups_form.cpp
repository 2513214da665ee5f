#include "app/panels/two_groups_form.h"

#include <QAbstractButton>
#include <QLineEdit>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/widgets/ui_helpers.h"
#include "power/t/power_t_wilcoxon.h"

namespace tgm = effectsize::two_group_means;

namespace {

constexpr int kSdLabelId = 1062;
constexpr int kSd1LabelId = 1063;
constexpr int kSd2LabelId = 1064;

platform::DialogTemplate TwoGroupsForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    using platform::kStyleNone;
    platform::DialogTemplate t;
    t.id = 150;
    t.width = 190;
    t.height = 192;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    const int* ids = CEff_T_2Groups_Form::kFieldIds;
    // Each frame's radio button sits in the blanks that open its caption.
    add(kNoControlId, ControlKind::GroupBox, "            n1 != n2", {5, 2, 180, 58});
    add(CEff_T_2Groups_Form::kUnequalRadioId, ControlKind::RadioButton, "", {12, 1, 12, 10});
    add(kNoControlId, ControlKind::Label, "Mean group 1", {12, 16, 94, 10});
    add(ids[tgm::kMean1], ControlKind::Edit, "", {110, 14, 68, 12}, kAlignRight);
    add(kNoControlId, ControlKind::Label, "Mean group 2", {12, 30, 94, 10});
    add(ids[tgm::kMean2], ControlKind::Edit, "", {110, 28, 68, 12}, kAlignRight);
    add(kSdLabelId, ControlKind::Label, "", {12, 44, 94, 10});
    add(ids[tgm::kSd], ControlKind::Edit, "", {110, 42, 68, 12}, kAlignRight);

    add(kNoControlId, ControlKind::GroupBox, "            n1 = n2", {5, 64, 180, 72});
    add(CEff_T_2Groups_Form::kEqualRadioId, ControlKind::RadioButton, "", {12, 63, 12, 10});
    add(kNoControlId, ControlKind::Label, "Mean group 1", {12, 78, 94, 10});
    add(ids[tgm::kMean11], ControlKind::Edit, "", {110, 76, 68, 12}, kAlignRight);
    add(kNoControlId, ControlKind::Label, "Mean group 2", {12, 92, 94, 10});
    add(ids[tgm::kMean22], ControlKind::Edit, "", {110, 90, 68, 12}, kAlignRight);
    add(kSd1LabelId, ControlKind::Label, "", {12, 106, 94, 10});
    add(ids[tgm::kSd11], ControlKind::Edit, "", {110, 104, 68, 12}, kAlignRight);
    add(kSd2LabelId, ControlKind::Label, "", {12, 120, 94, 10});
    add(ids[tgm::kSd22], ControlKind::Edit, "", {110, 118, 68, 12}, kAlignRight);

    add(kNoControlId, ControlKind::Label, "Effect size d", {12, 144, 94, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {110, 142, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 158, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {125, 158, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 174, 180, 14});
    return t;
}

}  // namespace

CEff_T_2Groups_Form::CEff_T_2Groups_Form(PanelHost* host)
    : CEffectSizePanel(TwoGroupsForm(), host) {}

tgm::Inputs CEff_T_2Groups_Form::Inputs() const {
    tgm::Inputs inputs;
    for (int field = 0; field < tgm::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    const QAbstractButton* equal = Button(kEqualRadioId);
    inputs.equalN = equal && equal->isChecked();
    return inputs;
}

void CEff_T_2Groups_Form::ShowInputs(const tgm::Inputs& inputs) {
    for (int field = 0; field < tgm::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    if (QAbstractButton* radio = Button(inputs.equalN ? kEqualRadioId : kUnequalRadioId))
        radio->setChecked(true);
    ApplyMode(inputs.equalN);
}

void CEff_T_2Groups_Form::ApplyMode(bool equalN) {
    tgm::Inputs mode;
    mode.equalN = equalN;
    for (int field = 0; field < tgm::kFieldCount; ++field) {
        if (QWidget* edit = Control(kFieldIds[field]))
            edit->setEnabled(tgm::FieldInUse(mode, field));
    }
    MarkResultUnknown();
}

void CEff_T_2Groups_Form::OnInitialUpdate() {
    SetDlgItemLabel(kSdLabelId, "SD $\\sigma$ within each group");
    SetDlgItemLabel(kSd1LabelId, "SD $\\sigma$ group 1");
    SetDlgItemLabel(kSd2LabelId, "SD $\\sigma$ group 2");
    ShowInputs(tgm::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_T_2Groups_Form::SaveInputs(PropertyList* store) {
    tgm::Save(Inputs(), store);
    return true;
}

bool CEff_T_2Groups_Form::RestoreInputs(PropertyList* store) {
    tgm::Inputs inputs = Inputs();
    tgm::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_T_2Groups_Form::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked &&
        (id == kUnequalRadioId || id == kEqualRadioId)) {
        ApplyMode(id == kEqualRadioId);
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_T_2Groups_Form::CalculateEffectSize(double* effect) {
    const tgm::Inputs inputs = Inputs();
    if (const auto error = tgm::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    *effect = tgm::ComputeD(inputs);
    return true;
}

effectsize::TransferPlan CEff_T_2Groups_Form::PlanTransfer(double effect) {
    tgm::TestContext context;
    PowerAnalysis* test = Host() ? Host()->CurrentTest() : nullptr;
    if (test) context.testId = test->GetTestId();
    if (const auto wilcoxon = ChosenWilcoxonMethod(test)) {
        context.wilcoxonMethod = wilcoxon->method;
        context.manualMoments = wilcoxon->manualInput;
        auto* parent = dynamic_cast<PropertySelection*>(
            Host()->FindParameter(ParameterNames[kParentDistributionId]));
        if (parent) context.parentIndex = parent->index;
    }
    return tgm::PlanTransfer(effect, context);
}
