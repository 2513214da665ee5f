#include "app/explorer/glmm_in_design.h"

#include <QLineEdit>

#include "app/widgets/spin_buttons.h"
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
    if (model_) {
        predictors = model_->predictors;
        cells = model_->cells;
    }
    cellsSpin_ = new SpinButtons(Edit(kCellsEdit), 1, 100, Control(kCellsSpin));
    predictorsSpin_ = new SpinButtons(Edit(kPredictorsEdit), 1, 100, Control(kPredictorsSpin));
    for (SpinButtons* spin : {cellsSpin_, predictorsSpin_}) {
        spin->setGeometry(spin->parentWidget()->rect());
        spin->SetOnStep([this] { CountsEdited(); });
    }
    view_ = new CMatrixViewDesign;
    view_->SetModel(model_);
    CreateView(view_);
    FitToParent();
    SetControlText(kCellsEdit, QString::number(cells));
    SetControlText(kPredictorsEdit, QString::number(predictors));
}

void CGLMM_In_Design::OnControlEvent(int id, platform::ControlEvent event) {
    if (event == platform::ControlEvent::TextEdited && (id == kCellsEdit || id == kPredictorsEdit))
        CountsEdited();
}

void CGLMM_In_Design::CountsEdited() {
    int newCells = cells, newPredictors = predictors;
    if (!ReadCount(ControlText(kCellsEdit), &newCells) ||
        !ReadCount(ControlText(kPredictorsEdit), &newPredictors))
        return;
    cells = newCells;
    predictors = newPredictors;
    if (model_) {
        model_->cells = cells;
        model_->predictors = predictors;
    }
    if (view_) view_->SetDimensions(cells + 1, predictors + 1);
}
