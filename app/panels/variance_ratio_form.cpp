#include "app/panels/variance_ratio_form.h"

namespace vr = effectsize::variance_ratio;

namespace {

platform::DialogTemplate VarianceRatioForm() {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = 194;
    t.width = 190;
    t.height = 82;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    add(1135, ControlKind::Label, "Variance var0", {12, 8, 94, 10});
    add(CEff_Two_Vars::kVar0Id, ControlKind::Edit, "", {110, 6, 68, 12}, kAlignRight);
    add(1136, ControlKind::Label, "Variance var1", {12, 22, 94, 10});
    add(CEff_Two_Vars::kVar1Id, ControlKind::Edit, "", {110, 20, 68, 12}, kAlignRight);
    add(platform::kNoControlId, ControlKind::Label, "Ratio var1/var0", {12, 36, 94, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {110, 34, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 50, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {125, 50, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 66, 180, 14});
    return t;
}

}  // namespace

CEff_Two_Vars::CEff_Two_Vars(PanelHost* host) : CEffectSizePanel(VarianceRatioForm(), host) {}

vr::Inputs CEff_Two_Vars::Inputs() const {
    vr::Inputs inputs;
    for (int field = 0; field < vr::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    return inputs;
}

void CEff_Two_Vars::ShowInputs(const vr::Inputs& inputs) {
    for (int field = 0; field < vr::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
}

void CEff_Two_Vars::OnInitialUpdate() {
    ShowInputs(vr::Inputs{});
    CEffectSizePanel::OnInitialUpdate();
}

bool CEff_Two_Vars::CalculateEffectSize(double* effect) {
    const vr::Inputs inputs = Inputs();
    if (const auto error = vr::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    *effect = vr::ComputeRatio(inputs);
    return true;
}

bool CEff_Two_Vars::SaveInputs(PropertyList* store) {
    vr::Save(Inputs(), store);
    return true;
}

bool CEff_Two_Vars::RestoreInputs(PropertyList* store) {
    vr::Inputs inputs = Inputs();
    vr::Restore(store, &inputs);
    ShowInputs(inputs);
    return true;
}
