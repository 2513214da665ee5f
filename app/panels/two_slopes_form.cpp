#include "app/panels/two_slopes_form.h"

#include <QComboBox>

#include "app/panels/main_window_values.h"
#include "app/widgets/ui_helpers.h"

namespace ts = effectsize::two_slopes;

namespace {

platform::DialogTemplate TwoSlopesForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = 230;
    t.width = 200;
    t.height = 244;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    using Form = CEff_T_LinRegress2G;
    add(kNoControlId, ControlKind::Label, "Input mode", {5, 7, 40, 10});
    add(Form::kModeListId, ControlKind::DropDownList, "", {48, 5, 147, 50});
    const char* frames[2] = {"Regression group 1", "Regression group 2"};
    for (int group = 0; group < 2; ++group) {
        const int top = 22 + 54 * group;
        add(kNoControlId, ControlKind::GroupBox, frames[group], {5, top, 190, 52});
        for (int i = 0; i < 3; ++i) {
            add(Form::kLabelIds[group][i], ControlKind::Label, "",
                {11, top + 13 + 13 * i, 108, 10});
            add(Form::kEditIds[group][i], ControlKind::Edit, "", {121, top + 11 + 13 * i, 68, 12},
                kAlignRight);
        }
    }
    add(1194, ControlKind::Label, "Allocation ratio N2/N1", {5, 136, 116, 10});
    add(Form::kRatioId, ControlKind::Edit, "", {127, 134, 68, 12}, kAlignRight);
    add(Form::kResultLabelIds[0], ControlKind::Label, "", {5, 154, 116, 10});
    add(Form::kResultIds[0], ControlKind::Edit, "", {127, 152, 68, 12}, kAlignRight | kReadOnly);
    add(Form::kResultLabelIds[1], ControlKind::Label, "", {5, 168, 116, 10});
    add(Form::kResultIds[1], ControlKind::Edit, "", {127, 166, 68, 12}, kAlignRight | kReadOnly);
    add(1196, ControlKind::Label, "", {5, 182, 116, 10});
    add(Form::kPooledSdId, ControlKind::Edit, "", {127, 180, 68, 12}, kAlignRight | kReadOnly);
    add(1180, ControlKind::Label, "", {5, 196, 116, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {127, 194, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 210, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {135, 210, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 226, 190, 14});
    return t;
}

}  // namespace

CEff_T_LinRegress2G::CEff_T_LinRegress2G(PanelHost* host)
    : CEffectSizePanel(TwoSlopesForm(), host) {}

ts::Inputs CEff_T_LinRegress2G::Inputs() const {
    ts::Inputs inputs = members_;
    for (int group = 0; group < 2; ++group) {
        const std::array<int, 3> fields = ts::ModeFields(inputs.mode, group);
        for (int i = 0; i < 3; ++i) inputs.text[fields[i]] = GetDlgItemString(kEditIds[group][i]);
    }
    inputs.text[ts::kRatio] = GetDlgItemString(kRatioId);
    return inputs;
}

int CEff_T_LinRegress2G::EditOf(int field) const {
    if (field == ts::kRatio) return kRatioId;
    for (int group = 0; group < 2; ++group) {
        const std::array<int, 3> fields = ts::ModeFields(members_.mode, group);
        for (int i = 0; i < 3; ++i) {
            if (fields[i] == field) return kEditIds[group][i];
        }
    }
    return 0;
}

void CEff_T_LinRegress2G::ShowInputs(const ts::Inputs& inputs) {
    members_ = inputs;
    if (QComboBox* list = List(kModeListId)) list->setCurrentIndex(inputs.mode);
    for (int group = 0; group < 2; ++group) {
        const std::array<int, 3> fields = ts::ModeFields(inputs.mode, group);
        const std::array<std::string, 3> labels = ts::ModeLabels(inputs.mode, group);
        for (int i = 0; i < 3; ++i) {
            SetDlgItemLabel(kLabelIds[group][i], labels[i]);
            SetDlgItemString(kEditIds[group][i], inputs.text[fields[i]]);
        }
        SetDlgItemLabel(kResultLabelIds[group], ts::ResultLabel(inputs.mode, group));
    }
    SetDlgItemString(kRatioId, inputs.text[ts::kRatio]);
    SetDlgItemLabel(1196, "Std dev residual $\\sigma$");
    SetDlgItemLabel(1180, "|$\\Delta$ slope|");
    MarkResultsUnknown();
}

void CEff_T_LinRegress2G::MarkResultsUnknown() {
    for (int id : {kResultIds[0], kResultIds[1], kPooledSdId}) SetDlgItemString(id, kUnknown);
    MarkResultUnknown();
}

void CEff_T_LinRegress2G::OnInitialUpdate() {
    if (QComboBox* list = List(kModeListId)) {
        list->clear();
        for (const char* text : ts::kModeTexts) list->addItem(ToDisplayLabel(text));
    }
    ts::Inputs inputs;
    ts::TakeMainValues({MainWindowNumber(Host(), "Std dev $\\sigma$_x1"),
                        MainWindowNumber(Host(), "Std dev $\\sigma$_x2"),
                        MainWindowNumber(Host(), "Allocation ratio N2/N1"),
                        MainWindowCount(Host(), "Sample size group 1"),
                        MainWindowCount(Host(), "Sample size group 2")},
                       &inputs);
    ShowInputs(inputs);
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_T_LinRegress2G::SaveInputs(PropertyList* store) {
    ts::Save(Inputs(), store);
    return true;
}

bool CEff_T_LinRegress2G::RestoreInputs(PropertyList* store) {
    ts::Inputs inputs = Inputs();
    ts::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_T_LinRegress2G::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kModeListId && event == platform::ControlEvent::SelectionChanged) {
        ts::Inputs inputs = Inputs();
        if (const QComboBox* list = List(kModeListId)) inputs.mode = list->currentIndex();
        ShowInputs(inputs);
        return;
    }
    if (event == platform::ControlEvent::TextEdited && id != kEffectSizeId) {
        for (int result : {kResultIds[0], kResultIds[1], kPooledSdId})
            SetDlgItemString(result, kUnknown);
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_T_LinRegress2G::CalculateEffectSize(double* effect) {
    ts::Inputs inputs = Inputs();
    if (const auto error = ts::Check(inputs)) {
        members_ = inputs;
        ShowFieldError(EditOf(error->field), error->message);
        return false;
    }
    computed_ = ts::Compute(inputs);
    ts::KeepComputed(computed_, &inputs);
    members_ = inputs;
    for (int group = 0; group < 2; ++group)
        SetDlgItemString(kResultIds[group], inputs.text[ts::ResultField(inputs.mode, group)]);
    SetDlgItemDouble(kPooledSdId, computed_.pooledResidualSd, "%.7g");
    *effect = computed_.effect;
    return true;
}

effectsize::TransferPlan CEff_T_LinRegress2G::PlanTransfer(double effect) {
    (void)effect;
    return ts::PlanTransfer(computed_, MainWindowShows(Host()));
}
