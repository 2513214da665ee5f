#include "app/panels/proportions_form.h"

#include <QLineEdit>
#include <algorithm>

#include "analysis/ids.h"
#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/panel_host.h"
#include "app/panels/focus_out_check.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"

namespace prop = effectsize::proportions;

namespace {

platform::DialogTemplate ProportionsForm(int formId, const char* group, const char* const modes[3],
                                         const char* effect) {
    using platform::ControlKind;
    using platform::kAlignRight;
    using platform::kNoControlId;
    using platform::kReadOnly;
    platform::DialogTemplate t;
    t.id = formId;
    t.width = 190;
    t.height = 176;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    unsigned style = platform::kStyleNone) {
        t.controls.push_back({id, kind, caption, rect, style, {}});
    };
    add(kNoControlId, ControlKind::GroupBox, "Proportions", {5, 2, 180, 42});
    add(kNoControlId, ControlKind::Label, "P1", {12, 15, 60, 10});
    add(CEffProportionsForm::kP1Id, ControlKind::Edit, "", {110, 13, 68, 12}, kAlignRight);
    add(kNoControlId, ControlKind::Label, "P2", {12, 29, 60, 10});
    add(CEffProportionsForm::kP2Id, ControlKind::Edit, "", {110, 27, 68, 12}, kAlignRight);

    add(kNoControlId, ControlKind::GroupBox, group, {5, 48, 180, 72});
    for (int mode = 0; mode < 3; ++mode)
        add(CEffProportionsForm::kModeIds[mode], ControlKind::RadioButton, modes[mode],
            {12, 61 + 14 * mode, 94, 10}, mode == 0 ? platform::kGroup : platform::kStyleNone);
    add(CEffProportionsForm::kValueId, ControlKind::Edit, "", {110, 74, 68, 12}, kAlignRight);
    add(CEffProportionsForm::kSyncId, ControlKind::PushButton, "Sync values", {110, 100, 68, 14});

    add(kNoControlId, ControlKind::Label, effect, {12, 128, 94, 10});
    add(CEffectSizePanel::kEffectSizeId, ControlKind::Edit, "", {110, 126, 68, 12},
        kAlignRight | kReadOnly);
    add(CEffectSizePanel::kCalculateButtonId, ControlKind::PushButton, "Calculate",
        {5, 142, 60, 14});
    add(CEffectSizePanel::kCloseButtonId, ControlKind::PushButton, "Close", {125, 142, 60, 14});
    add(CEffectSizePanel::kTransferButtonId, ControlKind::PushButton,
        "Calculate and transfer to main window", {5, 158, 180, 14});
    return t;
}

constexpr const char* kCaption = "Quorix";

}  // namespace

CEffProportionsForm::CEffProportionsForm(const Captions& captions, const prop::Roles& roles,
                                         PanelHost* host)
    : CEffectSizePanel(
          ProportionsForm(captions.formId, captions.group, captions.modes, captions.effect), host),
      roles_(roles) {}

prop::Inputs CEffProportionsForm::Inputs() const {
    prop::Inputs inputs;
    for (int field = 0; field < prop::kFieldCount; ++field)
        inputs.text[field] = GetDlgItemString(kFieldIds[field]);
    const int mode = RadioIndex(kModeIds[0]);
    if (mode >= 0) inputs.calcMode = mode;
    return inputs;
}

void CEffProportionsForm::ShowInputs(const prop::Inputs& inputs) {
    for (int field = 0; field < prop::kFieldCount; ++field)
        SetDlgItemString(kFieldIds[field], inputs.text[field]);
    SetRadioIndex(kModeIds[0], inputs.calcMode);
    lastMode_ = inputs.calcMode;
    // The value box stands on the row of the quantity it holds.
    QWidget* value = Control(kValueId);
    QWidget* radio = Control(kModeIds[std::clamp(inputs.calcMode, 0, 2)]);
    if (value && radio)
        value->move(value->x(), radio->geometry().center().y() - value->height() / 2);
}

void CEffProportionsForm::ShowMessages(const std::vector<std::string>& messages) {
    for (const std::string& message : messages)
        platform::ShowMessage(window(), ToDisplayLabel(message), QString::fromLatin1(kCaption),
                              platform::MessageIcon::Warning);
}

void CEffProportionsForm::OnInitialUpdate() {
    prop::Inputs inputs;
    prop::UpdateValue(&inputs, roles_);
    ShowInputs(inputs);
    focusCheck_ =
        new FocusOutCheck(this, [this](QLineEdit* edit) { return CheckLeftProportion(edit); });
    focusCheck_->Watch(Edit(kP1Id));
    focusCheck_->Watch(Edit(kP2Id));
    CEffectSizePanel::OnInitialUpdate();
}

bool CEffProportionsForm::CheckLeftProportion(QLineEdit* edit) {
    prop::Inputs inputs = Inputs();
    const prop::Field field = edit == Edit(kP1Id) ? prop::kP1 : prop::kP2;
    if (const auto error = prop::CheckProportion(inputs, field)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    // The value field follows only proportions that both read as numbers:
    // the other one, refused, would count as the number it starts with. It
    // is reported on its own field when that is left or read.
    const prop::Field other = field == prop::kP1 ? prop::kP2 : prop::kP1;
    if (prop::CheckProportion(inputs, other)) {
        MarkResultUnknown();
        return true;
    }
    std::vector<std::string> messages;
    if (auto message = prop::UpdateValue(&inputs, roles_)) messages.push_back(*message);
    ShowInputs(inputs);
    MarkResultUnknown();
    ShowMessages(messages);
    return true;
}

void CEffProportionsForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::Clicked) {
        for (int mode = 0; mode < 3; ++mode) {
            if (id != kModeIds[mode]) continue;
            // The radio shows the new mode already; the derived proportion
            // follows the value under the mode that was chosen before.
            prop::Inputs inputs = Inputs();
            inputs.calcMode = lastMode_;
            // A field that is no number would move the others as if it read 0.
            if (const auto error = prop::Check(inputs)) {
                SetRadioIndex(kModeIds[0], lastMode_);
                ShowFieldError(kFieldIds[error->field], error->message);
                return;
            }
            const std::vector<std::string> messages = prop::SwitchMode(&inputs, roles_, mode);
            ShowInputs(inputs);
            MarkResultUnknown();
            ShowMessages(messages);
            return;
        }
        if (id == kSyncId) {
            prop::Inputs inputs = Inputs();
            if (const auto error = prop::Check(inputs)) {
                ShowFieldError(kFieldIds[error->field], error->message);
                return;
            }
            const auto message = prop::UpdateDerived(&inputs, roles_);
            ShowInputs(inputs);
            MarkResultUnknown();
            if (message) ShowFieldError(kValueId, *message);
            return;
        }
    }
    CEffectSizePanel::OnControlEvent(id, event);
}

bool CEffProportionsForm::CalculateEffectSize(double* effect) {
    prop::Inputs inputs = Inputs();
    if (const auto error = prop::Check(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return false;
    }
    const auto clamped = prop::UpdateDerived(&inputs, roles_);
    ShowInputs(inputs);
    // A clamped proportion is reported, and the calculation goes on with it.
    if (clamped) ShowFieldError(kValueId, *clamped);
    *effect = Effect(inputs);
    return true;
}

effectsize::TransferPlan CEffProportionsForm::PlanTransfer(double effect) {
    return prop::PlanTransfer(Inputs(), roles_, effect);
}

bool CEffProportionsForm::SaveInputs(PropertyList* store) {
    prop::Save(Inputs(), roles_, store);
    return true;
}

bool CEffProportionsForm::RestoreInputs(PropertyList* store) {
    prop::Inputs inputs = Inputs();
    prop::Restore(store, roles_, &inputs);
    // A proportion left as text that is no number (or out of range) comes
    // back as typed and computes nothing; the set-up reports it once the
    // drawer shows.
    if (prop::CheckProportions(inputs)) {
        ShowInputs(inputs);
        return true;
    }
    const auto message = prop::UpdateValue(&inputs, roles_);
    ShowInputs(inputs);
    if (message) ShowMessages({*message});
    return true;
}

void CEffProportionsForm::CopyFromMainWindow(
    std::initializer_list<std::pair<int, int>> parameterToField) {
    if (!Host()) return;
    prop::Inputs inputs = Inputs();
    // What the user left refused stays as typed, reported on its field; the
    // main window's values would silently take its place.
    if (const auto error = prop::CheckProportions(inputs)) {
        ShowFieldError(kFieldIds[error->field], error->message);
        return;
    }
    bool copied = false;
    for (const auto& [parameterId, field] : parameterToField) {
        if (Property* shown = Host()->FindParameter(ParameterNames[parameterId])) {
            inputs.text[field] = shown->text;
            copied = true;
        }
    }
    if (!copied) return;
    // The value field is brought in line with the proportions it now shows;
    // left as it was, the next calculation would move the derived proportion
    // away from the main window's value.
    const auto message = prop::UpdateValue(&inputs, roles_);
    ShowInputs(inputs);
    if (message) ShowMessages({*message});
}

namespace {

constexpr CEffProportionsForm::Captions kOneCaptions = {
    193, "Calc P2 from ...", {"Difference P2 - P1", "Ratio P2/P1", "Odds ratio"}, "Effect size g"};
constexpr CEffProportionsForm::Captions kTwoCaptions = {
    202, "Calc P1 from ...", {"difference P1 - P2", "ratio P1/P2", "odds ratio"}, "Proportion P1"};

}  // namespace

CEff_One_Prop::CEff_One_Prop(PanelHost* host)
    : CEffProportionsForm(kOneCaptions, prop::kOneProportion, host) {}

void CEff_One_Prop::SetUpAfterOpening(int testId) {
    if (testId == kProportionTestId) CopyFromMainWindow({{kConstantProportionId, prop::kP1}});
}

double CEff_One_Prop::Effect(const prop::Inputs& inputs) const {
    return prop::ComputeG(inputs);
}

CEff_Two_Prop::CEff_Two_Prop(PanelHost* host)
    : CEffProportionsForm(kTwoCaptions, prop::kTwoProportions, host) {}

void CEff_Two_Prop::SetUpAfterOpening(int testId) {
    if (testId == kFisherTestId)
        CopyFromMainWindow({{kProportionP2Id, prop::kP2}, {kProportionP1Id, prop::kP1}});
}

double CEff_Two_Prop::Effect(const prop::Inputs& inputs) const {
    return prop::ComputeP1(inputs);
}
