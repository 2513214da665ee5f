#include "app/panels/two_intercepts_form.h"

#include <QComboBox>

#include "app/panels/main_window_values.h"
#include "app/widgets/ui_helpers.h"

namespace ti = effectsize::two_intercepts;

namespace {

platform::DialogTemplate TwoInterceptsForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = 231;
    t.width = 200;
    t.height = 162;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    using Form = CEff_T_LinRegress2GI;
    add(kNoControlId, ControlKind::Label, "Input mode", {5, 7, 40, 10});
    add(Form::kModeListId, ControlKind::DropDownList, "", {48, 5, 147, 50});
    for (int i = 0; i < 3; ++i) {
        add(Form::kLabelIds[i], ControlKind::Label, "", {5, 26 + 14 * i, 118, 10});
        add(Form::kEditIds[i], ControlKind::Edit, "", {127, 24 + 14 * i, 68, 12}, kAlignRight);
    }
    add(1186, ControlKind::Label, "Intercept group 1", {5, 68, 118, 10});
    add(Form::kIntercept1Id, ControlKind::Edit, "", {127, 66, 68, 12}, kAlignRight);
    add(1181, ControlKind::Label, "Intercept group 2", {5, 82, 118, 10});
    add(Form::kIntercept2Id, ControlKind::Edit, "", {127, 80, 68, 12}, kAlignRight);
    add(1188, ControlKind::Label, "", {5, 100, 118, 10});
    add(Form::kResidualSdId, ControlKind::Edit, "", {127, 98, 68, 12}, kAlignRight | kReadOnly);
    add(1180, ControlKind::Label, "", {5, 114, 118, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {127, 112, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 128, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {135, 128, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 144, 190, 14});
    return t;
}

}  // namespace

CEff_T_LinRegress2GI::CEff_T_LinRegress2GI(PanelHost* host)
    : CEffectSizePanel(TwoInterceptsForm(), host) {}

ti::Inputs CEff_T_LinRegress2GI::Inputs() const {
    ti::Inputs inputs = members_;
    const std::array<int, 3> fields = ti::ModeFields(inputs.mode);
    for (int i = 0; i < 3; ++i) inputs.text[fields[i]] = GetDlgItemString(kEditIds[i]);
    inputs.text[ti::kIntercept1] = GetDlgItemString(kIntercept1Id);
    inputs.text[ti::kIntercept2] = GetDlgItemString(kIntercept2Id);
    return inputs;
}

int CEff_T_LinRegress2GI::EditOf(int field) const {
    if (field == ti::kIntercept1) return kIntercept1Id;
    if (field == ti::kIntercept2) return kIntercept2Id;
    const std::array<int, 3> fields = ti::ModeFields(members_.mode);
    for (int i = 0; i < 3; ++i) {
        if (fields[i] == field) return kEditIds[i];
    }
    return 0;
}

void CEff_T_LinRegress2GI::ShowInputs(const ti::Inputs& inputs) {
    members_ = inputs;
    if (QComboBox* list = List(kModeListId)) list->setCurrentIndex(inputs.mode);
    const std::array<int, 3> fields = ti::ModeFields(inputs.mode);
    const std::array<const char*, 3> labels = ti::ModeLabels(inputs.mode);
    for (int i = 0; i < 3; ++i) {
        SetDlgItemLabel(kLabelIds[i], labels[i]);
        SetDlgItemString(kEditIds[i], inputs.text[fields[i]]);
    }
    SetDlgItemString(kIntercept1Id, inputs.text[ti::kIntercept1]);
    SetDlgItemString(kIntercept2Id, inputs.text[ti::kIntercept2]);
    SetDlgItemLabel(1188, "Std dev residual $\\sigma$");
    SetDlgItemLabel(1180, "|$\\Delta$ intercept|");
    MarkResultsUnknown();
}

void CEff_T_LinRegress2GI::MarkResultsUnknown() {
    SetDlgItemString(kResidualSdId, kUnknown);
    MarkResultUnknown();
}

void CEff_T_LinRegress2GI::OnInitialUpdate() {
    if (QComboBox* list = List(kModeListId)) {
        list->clear();
        for (const char* text : ti::kModeTexts) list->addItem(ToDisplayLabel(text));
    }
    ti::Inputs inputs;
    ti::TakeMainValues({MainWindowNumber(Host(), "Std dev $\\sigma$_x1"),
                        MainWindowNumber(Host(), "|$\\Delta$ intercept|")},
                       &inputs);
    ShowInputs(inputs);
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_T_LinRegress2GI::SaveInputs(PropertyList* store) {
    ti::Save(Inputs(), store);
    return true;
}

bool CEff_T_LinRegress2GI::RestoreInputs(PropertyList* store) {
    ti::Inputs inputs = Inputs();
    ti::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_T_LinRegress2GI::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kModeListId && event == platform::ControlEvent::SelectionChanged) {
        ti::Inputs inputs = Inputs();
        if (const QComboBox* list = List(kModeListId)) inputs.mode = list->currentIndex();
        ShowInputs(inputs);
        return;
    }
    if (event == platform::ControlEvent::TextEdited && id != kEffectSizeId)
        SetDlgItemString(kResidualSdId, kUnknown);
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_T_LinRegress2GI::CalculateEffectSize(double* effect) {
    ti::Inputs inputs = Inputs();
    if (const auto error = ti::Check(inputs)) {
        members_ = inputs;
        ShowFieldError(EditOf(error->field), error->message);
        return false;
    }
    computed_ = ti::Compute(inputs);
    ti::KeepComputed(computed_, &inputs);
    members_ = inputs;
    SetDlgItemDouble(kResidualSdId, computed_.regression.residualSd, "%.7g");
    *effect = computed_.effect;
    return true;
}

effectsize::TransferPlan CEff_T_LinRegress2GI::PlanTransfer(double effect) {
    (void)effect;
    return ti::PlanTransfer(computed_, MainWindowShows(Host()));
}
