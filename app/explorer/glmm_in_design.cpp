#include "app/explorer/glmm_in_design.h"

#include <QLineEdit>

#include "app/widgets/spin_buttons.h"
#include "glm/explorer_model.h"
#include "glm/model/power_glmm.h"

using platform::ControlKind;

platform::DialogTemplate DesignTabTemplate() {
    platform::DialogTemplate t;
    t.id = 176;
    t.width = 370;
    t.height = 220;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect) {
        t.controls.push_back(
            platform::ControlSpec{id, kind, caption, rect, platform::kStyleNone, {}});
    };
    add(platform::kNoControlId, ControlKind::Label, "cells:", {5, 6, 24, 8});
    add(CGLMM_In_Design::kCellsEdit, ControlKind::Edit, "", {30, 4, 28, 12});
    add(CGLMM_In_Design::kCellsSpin, ControlKind::Area, "", {58, 4, 9, 12});
    add(platform::kNoControlId, ControlKind::Label, "predictors:", {78, 6, 44, 8});
    add(CGLMM_In_Design::kPredictorsEdit, ControlKind::Edit, "", {123, 4, 28, 12});
    add(CGLMM_In_Design::kPredictorsSpin, ControlKind::Area, "", {151, 4, 9, 12});
    add(CGLMMTabForm::kFrameId, ControlKind::Area, "", {5, 20, 360, 195});
    return t;
}

namespace {

// A count in [1, 100] typed in full, or nothing.
bool ReadCount(const QString& text, int* count) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 100) return false;
    *count = value;
    return true;
}

}  // namespace

CGLMM_In_Design::CGLMM_In_Design() : CGLMMTabForm(DesignTabTemplate()) {}

void CGLMM_In_Design::OnInitialUpdate() {
    cellsSpin_ = new SpinButtons(Edit(kCellsEdit), 1, 100, Control(kCellsSpin));
    predictorsSpin_ = new SpinButtons(Edit(kPredictorsEdit), 1, 100, Control(kPredictorsSpin));
    for (SpinButtons* spin : {cellsSpin_, predictorsSpin_}) {
        spin->setGeometry(spin->parentWidget()->rect());
        spin->SetOnStep([this] { CountsEdited(); });
    }
    view_ = new CMatrixViewDesign;
    if (document_) view_->SetContent(&document_->design);
    CreateView(view_);
    FitToParent();
    ShowDocument();
}

void CGLMM_In_Design::ShowDocument() {
    if (!view_) return;
    view_->Show();
    const DesignGrid& design = view_->Content();
    SetControlText(kCellsEdit, QString::number(design.CellCount()));
    SetControlText(kPredictorsEdit, QString::number(design.PredictorCount()));
}

void CGLMM_In_Design::CommitEdits() {
    if (view_) view_->Content();
}

void CGLMM_In_Design::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::TextEdited && (id == kCellsEdit || id == kPredictorsEdit))
        CountsEdited();
}

void CGLMM_In_Design::CountsEdited() {
    int cells = 0, predictors = 0;
    if (!view_ || !ReadCount(ControlText(kCellsEdit), &cells) ||
        !ReadCount(ControlText(kPredictorsEdit), &predictors))
        return;
    if (model_) {
        model_->cells = cells;
        model_->predictors = predictors;
    }
    view_->SetDimensions(cells + 1, predictors + 1);
}
