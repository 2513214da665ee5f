#include "app/panels/panel_rows.h"

namespace {

using platform::ControlKind;

constexpr int kMargin = 5;
constexpr int kRowStep = 14;
constexpr int kGap = 4;
constexpr int kButtonHeight = 14;

}  // namespace

PanelRows::PanelRows(int formId, int labelWidth, int editWidth)
    : labelWidth_(labelWidth), editWidth_(editWidth) {
    t_.id = formId;
    t_.width = kMargin + 7 + labelWidth + kGap + editWidth + 7 + kMargin;
}

void PanelRows::BeginFrame(const char* caption, int radioId) {
    frameTop_ = y_ - 4;
    t_.controls.push_back({platform::kNoControlId,
                           ControlKind::GroupBox,
                           caption,
                           {kMargin, frameTop_, t_.width - 2 * kMargin, 0},
                           platform::kStyleNone,
                           {}});
    t_.controls.push_back({radioId,
                           ControlKind::RadioButton,
                           "",
                           {kMargin + 7, frameTop_ - 1, 12, 10},
                           platform::kStyleNone,
                           {}});
    y_ += 10;
}

void PanelRows::EndFrame() {
    for (platform::ControlSpec& control : t_.controls) {
        if (control.kind == ControlKind::GroupBox && control.rect.height == 0)
            control.rect.height = y_ - control.rect.y + 2;
    }
    y_ += 8;
    frameTop_ = -1;
}

void PanelRows::Row(int labelId, const char* label, int editId) {
    const int left = kMargin + inset_;
    t_.controls.push_back({labelId,
                           ControlKind::Label,
                           label,
                           {left, y_ + 2, labelWidth_, 10},
                           platform::kStyleNone,
                           {}});
    t_.controls.push_back({editId,
                           ControlKind::Edit,
                           "",
                           {left + labelWidth_ + kGap, y_, editWidth_, 12},
                           platform::kAlignRight,
                           {}});
    y_ += kRowStep;
}

platform::DialogTemplate PanelRows::Finish(int labelId, const char* label) {
    if (frameTop_ >= 0) EndFrame();
    y_ += 2;
    Row(labelId, label, CEffectSizePanel::kEffectSizeId);
    t_.controls.back().style |= platform::kReadOnly;
    const int wide = t_.width - 2 * kMargin;
    const int half = 60;
    t_.controls.push_back({CEffectSizePanel::kCalculateButtonId,
                           ControlKind::PushButton,
                           "Calculate",
                           {kMargin, y_ + 2, half, kButtonHeight},
                           platform::kStyleNone,
                           {}});
    t_.controls.push_back({CEffectSizePanel::kCloseButtonId,
                           ControlKind::PushButton,
                           "Close",
                           {t_.width - kMargin - half, y_ + 2, half, kButtonHeight},
                           platform::kStyleNone,
                           {}});
    t_.controls.push_back({CEffectSizePanel::kTransferButtonId,
                           ControlKind::PushButton,
                           "Calculate and transfer to main window",
                           {kMargin, y_ + 2 + kButtonHeight + 2, wide, kButtonHeight},
                           platform::kStyleNone,
                           {}});
    t_.height = y_ + 2 + 2 * kButtonHeight + 2 + kMargin + 1;
    return t_;
}
