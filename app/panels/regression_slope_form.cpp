#include "app/panels/regression_slope_form.h"

#include <QComboBox>

#include "app/panels/main_window_values.h"
#include "app/widgets/ui_helpers.h"

namespace os = effectsize::one_slope;

namespace {

platform::DialogTemplate RegressionSlopeForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = 229;
    t.width = 200;
    t.height = 134;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    using Form = CEff_T_LinRegress;
    add(kNoControlId, ControlKind::Label, "Input mode", {5, 7, 40, 10});
    add(Form::kModeListId, ControlKind::DropDownList, "", {48, 5, 147, 70});
    for (int i = 0; i < 3; ++i) {
        add(Form::kLabelIds[i], ControlKind::Label, "", {5, 26 + 14 * i, 118, 10});
        add(Form::kEditIds[i], ControlKind::Edit, "", {127, 24 + 14 * i, 68, 12}, kAlignRight);
    }
    add(Form::kSdYLabelId, ControlKind::Label, "", {5, 72, 118, 10});
    add(Form::kSdYResultId, ControlKind::Edit, "", {127, 70, 68, 12}, kAlignRight | kReadOnly);
    add(1180, ControlKind::Label, "Slope H1", {5, 86, 118, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {127, 84, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 100, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {135, 100, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 116, 190, 14});
    return t;
}

}  // namespace

CEff_T_LinRegress::CEff_T_LinRegress(PanelHost* host)
    : CEffectSizePanel(RegressionSlopeForm(), host) {}

os::Inputs CEff_T_LinRegress::Inputs() const {
    os::Inputs inputs = members_;
    const std::array<int, 3> fields = os::ModeFields(inputs.mode);
    for (int i = 0; i < 3; ++i) inputs.text[fields[i]] = GetDlgItemString(kEditIds[i]);
    return inputs;
}

int CEff_T_LinRegress::EditOf(int field) const {
    const std::array<int, 3> fields = os::ModeFields(members_.mode);
    for (int i = 0; i < 3; ++i) {
        if (fields[i] == field) return kEditIds[i];
    }
    return 0;
}

void CEff_T_LinRegress::ShowInputs(const os::Inputs& inputs) {
    members_ = inputs;
    if (QComboBox* list = List(kModeListId)) list->setCurrentIndex(inputs.mode);
    const std::array<int, 3> fields = os::ModeFields(inputs.mode);
    const std::array<const char*, 3> labels = os::ModeLabels(inputs.mode);
    for (int i = 0; i < 3; ++i) {
        SetDlgItemLabel(kLabelIds[i], labels[i]);
        SetDlgItemString(kEditIds[i], inputs.text[fields[i]]);
    }
    const bool showsSdY = os::ShowsSdY(inputs.mode);
    SetDlgItemLabel(kSdYLabelId, "Std dev $\\sigma$_y");
    for (int id : {kSdYLabelId, kSdYResultId}) {
        if (QWidget* control = Control(id)) control->setVisible(showsSdY);
    }
    MarkResultsUnknown();
}

void CEff_T_LinRegress::MarkResultsUnknown() {
    SetDlgItemString(kSdYResultId, kUnknown);
    MarkResultUnknown();
}

void CEff_T_LinRegress::OnInitialUpdate() {
    if (QComboBox* list = List(kModeListId)) {
        list->clear();
        for (const char* text : os::kModeTexts) list->addItem(ToDisplayLabel(text));
    }
    os::Inputs inputs;
    os::TakeMainValues(
        {MainWindowNumber(Host(), "Slope H1"), MainWindowNumber(Host(), "Std dev $\\sigma$_x"),
         MainWindowNumber(Host(), "Std dev $\\sigma$_y")},
        &inputs);
    ShowInputs(inputs);
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_T_LinRegress::SaveInputs(PropertyList* store) {
    os::Save(Inputs(), store);
    return true;
}

bool CEff_T_LinRegress::RestoreInputs(PropertyList* store) {
    os::Inputs inputs = Inputs();
    os::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_T_LinRegress::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kModeListId && event == platform::ControlEvent::SelectionChanged) {
        // The shown members are kept before the edits take the new mode's.
        os::Inputs inputs = Inputs();
        if (const QComboBox* list = List(kModeListId)) inputs.mode = list->currentIndex();
        ShowInputs(inputs);
        return;
    }
    if (event == platform::ControlEvent::TextEdited && id != kEffectSizeId)
        SetDlgItemString(kSdYResultId, kUnknown);
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_T_LinRegress::CalculateEffectSize(double* effect) {
    os::Inputs inputs = Inputs();
    if (const auto error = os::Check(inputs)) {
        members_ = inputs;
        ShowFieldError(EditOf(error->field), error->message);
        return false;
    }
    computed_ = os::Compute(inputs);
    os::KeepComputed(computed_, &inputs);
    members_ = inputs;
    if (os::ShowsSdY(inputs.mode)) SetDlgItemDouble(kSdYResultId, computed_.sdY, "%.7g");
    *effect = computed_.slope;
    return true;
}

effectsize::TransferPlan CEff_T_LinRegress::PlanTransfer(double effect) {
    (void)effect;
    return os::PlanTransfer(computed_, MainWindowShows(Host()));
}
