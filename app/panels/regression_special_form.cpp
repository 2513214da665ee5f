#include "app/panels/regression_special_form.h"

#include <QLineEdit>

namespace rs = effectsize::regression_special;

namespace {

platform::DialogTemplate RegressionSpecialForm(int formId, const char* effectVarianceLabel) {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = formId;
    t.width = 220;
    t.height = 142;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    using Form = CEff_F_MRC_Special;
    const int* ids = Form::kFieldIds;
    const int* labels = Form::kFieldLabelIds;
    // Each frame's radio button sits in the blanks that open its caption.
    add(kNoControlId, ControlKind::GroupBox, "           From variances", {5, 2, 210, 46});
    add(Form::kVariancesRadioId, ControlKind::RadioButton, "", {12, 1, 12, 10}, platform::kGroup);
    add(labels[rs::kEffectVariance], ControlKind::Label, effectVarianceLabel, {11, 17, 130, 10});
    add(ids[rs::kEffectVariance], ControlKind::Edit, "", {141, 15, 68, 12}, kAlignRight);
    add(labels[rs::kResidualVariance], ControlKind::Label, "Residual variance", {11, 31, 130, 10});
    add(ids[rs::kResidualVariance], ControlKind::Edit, "", {141, 29, 68, 12}, kAlignRight);
    add(kNoControlId, ControlKind::GroupBox, "           Direct", {5, 52, 210, 32});
    add(Form::kDirectRadioId, ControlKind::RadioButton, "", {12, 51, 12, 10});
    add(labels[rs::kPartialR2], ControlKind::Label, "", {11, 67, 130, 10});
    add(ids[rs::kPartialR2], ControlKind::Edit, "", {141, 65, 68, 12}, kAlignRight);
    add(1082, ControlKind::Label, "", {11, 92, 130, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {141, 90, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 108, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {155, 108, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 124, 210, 14});
    return t;
}

}  // namespace

CEff_F_MRC_Special::CEff_F_MRC_Special(PanelHost* host)
    : CEff_F_MRC_Special(RegressionSpecialForm(162, "Variance explained by special effect"), host) {
}

CEff_F_MRC_Special::CEff_F_MRC_Special(const platform::DialogTemplate& dialog, PanelHost* host)
    : CEffectSizePanel(dialog, host) {}

CEff_T_MRC_1Pred::CEff_T_MRC_1Pred(PanelHost* host)
    : CEff_F_MRC_Special(RegressionSpecialForm(234, "Variance explained by predictor"), host) {}

rs::Inputs CEff_F_MRC_Special::Inputs() const {
    rs::Inputs inputs;
    for (int field = 0; field < rs::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    // The radio buttons are the modes in their order.
    inputs.mode = RadioIndex(kVariancesRadioId) == rs::kDirect ? rs::kDirect : rs::kFromVariances;
    return inputs;
}

void CEff_F_MRC_Special::ShowInputs(const rs::Inputs& inputs) {
    for (int field = 0; field < rs::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    SetRadioIndex(kVariancesRadioId, inputs.mode);
    ApplyMode(inputs.mode);
}

void CEff_F_MRC_Special::ApplyMode(int mode) {
    for (int field : {rs::kEffectVariance, rs::kResidualVariance}) {
        const bool used = rs::FieldInUse(mode, field);
        for (int id : {kFieldIds[field], kFieldLabelIds[field]}) {
            if (QWidget* control = Control(id)) control->setEnabled(used);
        }
    }
    // Partial R squared is typed directly, else it shows the variances' share.
    if (QLineEdit* r2 = Edit(kFieldIds[rs::kPartialR2])) r2->setReadOnly(mode != rs::kDirect);
    MarkResultUnknown();
}

void CEff_F_MRC_Special::OnInitialUpdate() {
    SetDlgItemLabel(kFieldLabelIds[rs::kPartialR2], "Partial R$^2$");
    SetDlgItemLabel(1082, "Effect size f$^2$");
    ShowInputs(rs::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_F_MRC_Special::SaveInputs(PropertyList* store) {
    rs::Save(Inputs(), store);
    return true;
}

bool CEff_F_MRC_Special::RestoreInputs(PropertyList* store) {
    rs::Inputs inputs = Inputs();
    rs::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}

void CEff_F_MRC_Special::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked &&
        (id == kVariancesRadioId || id == kDirectRadioId)) {
        ApplyMode(id == kDirectRadioId ? rs::kDirect : rs::kFromVariances);
        return;
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEff_F_MRC_Special::CalculateEffectSize(double* effect) {
    const rs::Inputs inputs = Inputs();
    if (const auto error = rs::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    const rs::Result result = rs::Compute(inputs);
    if (inputs.mode == rs::kFromVariances)
        SetDlgItemDouble(kFieldIds[rs::kPartialR2], result.partialR2, "%.7g");
    *effect = result.f2;
    return true;
}
