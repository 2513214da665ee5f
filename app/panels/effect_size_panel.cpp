#include "app/panels/effect_size_panel.h"

#include <QGroupBox>
#include <QLineEdit>
#include <algorithm>
#include <cmath>

#include "analysis/parameter_names.h"
#include "analysis/property.h"
#include "app/drawer/drawer_wnd.h"
#include "app/drawer/panel_host.h"
#include "app/widgets/label_font_source.h"
#include "app/widgets/ui_helpers.h"
#include "effectsize/text_fields.h"
#include "platform/dialogs.h"

namespace {

constexpr const char* kCaption = "Quorix";

platform::DialogTemplate DummyPanelForm() {
    platform::DialogTemplate t;
    t.id = 160;
    t.width = 80;
    t.height = 24;
    t.controls.push_back({CEffectSizePanel::kCloseButtonId,
                          platform::ControlKind::PushButton,
                          "Close",
                          {15, 5, 50, 14},
                          platform::kStyleNone,
                          {}});
    return t;
}

}  // namespace

CEffectSizePanel::CEffectSizePanel(const platform::DialogTemplate& dialog, PanelHost* host)
    : CFormViewEx(dialog), host_(host) {}

bool CEffectSizePanel::CopyMainParameterToStore(int parameterId, const char* key) {
    if (!host_ || parameterId < 0 || parameterId >= kParameterNameCount) return false;
    Property* parameter = host_->FindParameter(ParameterNames[parameterId]);
    PropertyList* store = host_->GetCurrentInputStore();
    if (!parameter || !store) return false;
    SetNamedString(store, key, parameter->text);
    return true;
}

mathtext::LabelFontSets* CEffectSizePanel::LabelFontsForControls() const {
    auto* source = dynamic_cast<LabelFontSource*>(host_);
    return source ? &source->LabelFonts() : nullptr;
}

void CEffectSizePanel::OnInitialUpdate() {
    MarkResultUnknown();
    // Typeset as the main window's labels are, fixed captions as well as
    // those that carry markup, so that all of them have one size.
    TypesetLabels();
    // Enter in an input does what "Calculate" does.
    for (QWidget* control : Controls()) {
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (edit && !edit->isReadOnly())
            connect(edit, &QLineEdit::returnPressed, this, [this] { Calculate(); });
    }
}

bool CEffectSizePanel::Calculate() {
    double effect = 0.0;
    if (!CalculateEffectSize(&effect)) return false;
    // A formula that overflowed is no effect size.
    if (!std::isfinite(effect)) {
        platform::ShowMessage(window(), QStringLiteral("The effect size is not a finite number."),
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return false;
    }
    effectSize_ = effect;
    SetDlgItemDouble(kEffectSizeId, effect, "%.7g");
    return true;
}

bool CEffectSizePanel::CalculateAndTransfer() {
    // Nothing goes to the main window unless this calculation succeeded: a
    // stale or never computed effect size is not what the user sees typed.
    if (!Calculate()) return false;
    return RunTransfer(PlanTransfer(effectSize_));
}

effectsize::TransferPlan CEffectSizePanel::PlanTransfer(double effect) {
    effectsize::TransferPlan plan;
    plan.effectSize = effect;
    return plan;
}

bool CEffectSizePanel::RunTransfer(const effectsize::TransferPlan& plan) {
    if (!host_) return false;
    if (!plan.refusal.empty()) {
        platform::ShowMessage(window(), ToDisplayLabel(plan.refusal), QString::fromLatin1(kCaption),
                              platform::MessageIcon::Information);
        return false;
    }
    // The last guard before the main window: a value that is not a finite
    // number stops the whole transfer before anything is written.
    for (const effectsize::ParameterWrite& write : plan.writes) {
        if (!std::isfinite(write.value)) {
            platform::ShowMessage(window(),
                                  ToDisplayLabel("The value for \"" + write.label +
                                                 "\" is not a finite number:\nnothing was "
                                                 "transferred."),
                                  QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
            return false;
        }
    }
    if (plan.effectSize && !std::isfinite(*plan.effectSize)) {
        platform::ShowMessage(window(), QStringLiteral("The effect size is not a finite number."),
                              QString::fromLatin1(kCaption), platform::MessageIcon::Warning);
        return false;
    }
    for (const effectsize::ParameterWrite& write : plan.writes) {
        if (write.skipWithin >= 0.0) {
            Property* shown = host_->FindParameter(write.label);
            double current = 0.0;
            if (shown && effectsize::ReadPanelNumber(shown->text, &current) &&
                std::fabs(current - write.value) <= write.skipWithin)
                continue;
        }
        if (!write.question.empty()) {
            const platform::MessageAnswer answer = platform::ShowMessage(
                window(), ToDisplayLabel(write.question), QString::fromLatin1(kCaption),
                platform::MessageIcon::Question, platform::MessageButtons::YesNoCancel);
            if (answer == platform::MessageAnswer::Cancel) return false;
            if (answer == platform::MessageAnswer::No) continue;
        }
        host_->SetParameterValue(write.label, write.value);
    }
    if (plan.effectSize) host_->SetEffectSize(*plan.effectSize);
    return true;
}

void CEffectSizePanel::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::TextEdited) {
        if (id != kEffectSizeId) MarkResultUnknown();
        return;
    }
    if (event != platform::ControlEvent::Clicked) return;
    switch (id) {
        case kCalculateButtonId:
            Calculate();
            break;
        case kTransferButtonId:
            CalculateAndTransfer();
            break;
        case kCloseButtonId:
            if (host_) host_->CloseEffectSizeDrawer();
            break;
        default:
            break;
    }
}

void CEffectSizePanel::ShowFieldError(int controlId, const std::string& message) {
    ReportField(Edit(controlId), message);
}

void CEffectSizePanel::ReportField(QLineEdit* edit, const std::string& message) {
    platform::ShowMessage(window(), ToDisplayLabel(message), QString::fromLatin1(kCaption),
                          platform::MessageIcon::Warning);
    if (edit) {
        FocusAfterMessage(edit);
        edit->selectAll();
    }
}

void CEffectSizePanel::FocusAfterMessage(QWidget* control) {
    // The closed message box hands the activation to whichever window the
    // window system picks, often the main window: the keys would go there
    // and Esc would no longer reach the drawer.
    QWidget* holder = window();
    if (holder->isVisible() && !holder->isActiveWindow()) holder->activateWindow();
    control->setFocus(Qt::OtherFocusReason);
}

void CEffectSizePanel::MarkResultUnknown() {
    if (Edit(kEffectSizeId)) SetDlgItemString(kEffectSizeId, kUnknown);
}

CEff_Dummy::CEff_Dummy(PanelHost* host) : CEffectSizePanel(DummyPanelForm(), host) {}

void CEffectSizePanel::CloseUpHiddenRows() {
    if (tablePlaces_.empty()) {
        for (QWidget* control : Controls()) tablePlaces_.emplace_back(control, control->geometry());
        tableHeight_ = GetDesignSize().height();
    }
    // The rows: bands of controls that overlap from top to bottom (a label
    // and its edit); a frame spans rows and belongs to none.
    std::vector<std::pair<QWidget*, QRect>> placed;
    for (const auto& place : tablePlaces_) {
        if (!qobject_cast<QGroupBox*>(place.first)) placed.push_back(place);
    }
    std::sort(placed.begin(), placed.end(),
              [](const auto& a, const auto& b) { return a.second.top() < b.second.top(); });
    struct Band {
        int top, bottom;
        bool hidden;
    };
    std::vector<Band> bands;
    for (const auto& [control, rect] : placed) {
        if (!bands.empty() && rect.top() <= bands.back().bottom) {
            bands.back().bottom = std::max(bands.back().bottom, rect.bottom());
            bands.back().hidden = bands.back().hidden && control->isHidden();
        } else {
            bands.push_back({rect.top(), rect.bottom(), control->isHidden()});
        }
    }
    // A hidden row gives up its pitch: the smaller of the distances to the
    // rows above and below, so that a wider space that sets a group apart
    // stays.
    auto riseAbove = [&](int top) {
        int rise = 0;
        for (size_t i = 0; i + 1 < bands.size(); ++i) {
            if (!bands[i].hidden || bands[i].top >= top) continue;
            int pitch = bands[i + 1].top - bands[i].top;
            if (i > 0) pitch = std::min(pitch, bands[i].top - bands[i - 1].top);
            rise += pitch;
        }
        return rise;
    };
    for (const auto& [control, rect] : tablePlaces_)
        control->move(rect.left(), rect.top() - riseAbove(rect.top()));
    const int height = tableHeight_ - riseAbove(tableHeight_);
    if (height == GetDesignSize().height()) return;
    SetDesignHeight(height);
    if (auto* drawer = dynamic_cast<CDrawerWnd*>(window())) drawer->FitRows();
}

TypedTextKeeper::TypedTextKeeper(const std::vector<CFormViewEx*>& panels) {
    for (CFormViewEx* form : panels) {
        auto* panel = dynamic_cast<CEffectSizePanel*>(form);
        if (!panel) continue;
        for (QWidget* control : panel->Controls()) {
            auto* edit = qobject_cast<QLineEdit*>(control);
            if (!edit || edit->isReadOnly()) continue;
            const std::string text = edit->text().toStdString();
            if (text.find_first_not_of(" \t") == std::string::npos ||
                effectsize::HoldsFormula(text))
                continue;
            double value = 0.0;
            std::string message;
            if (effectsize::ReadPanelFormula(text, &value, &message)) continue;
            kept_.push_back({panel, edit, edit->text(), message});
        }
    }
}

void TypedTextKeeper::PutBack() {
    const Kept* first = nullptr;
    for (const Kept& kept : kept_) {
        if (!kept.panel || !kept.edit || kept.edit->text() == kept.text) continue;
        kept.edit->setText(kept.text);
        if (!first) first = &kept;
    }
    if (first) first->panel->ReportField(first->edit, first->message);
}
