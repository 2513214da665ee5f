#include "app/explorer/glmm_in_means.h"

#include <QLineEdit>

#include "app/widgets/spin_buttons.h"
#include "glm/explorer_model.h"
#include "glm/model/power_glmm.h"

using platform::ControlKind;

platform::DialogTemplate MeansTabTemplate() {
    platform::DialogTemplate t;
    t.id = 182;
    t.width = 370;
    t.height = 220;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect) {
        t.controls.push_back(
            platform::ControlSpec{id, kind, caption, rect, platform::kStyleNone, {}});
    };
    add(platform::kNoControlId, ControlKind::Label, "Responses Y: ", {5, 6, 52, 8});
    add(CGLMM_In_Means::kResponsesEdit, ControlKind::Edit, "", {58, 4, 28, 12});
    add(CGLMM_In_Means::kResponsesSpin, ControlKind::Area, "", {86, 4, 9, 12});
    add(CGLMMTabForm::kFrameId, ControlKind::Area, "", {5, 20, 360, 195});
    return t;
}

CGLMM_In_Means::CGLMM_In_Means() : CGLMMTabForm(MeansTabTemplate()) {}

void CGLMM_In_Means::OnInitialUpdate() {
    spin_ = new SpinButtons(Edit(kResponsesEdit), 1, 50, Control(kResponsesSpin));
    spin_->setGeometry(spin_->parentWidget()->rect());
    spin_->SetOnStep([this] { ResponsesEdited(); });
    view_ = new CMatrixViewMeans;
    if (document_) view_->SetContent(&document_->means);
    CreateView(view_);
    FitToParent();
    ShowDocument();
}

void CGLMM_In_Means::ShowDocument() {
    if (!view_) return;
    view_->Show();
    SetControlText(kResponsesEdit, QString::number(view_->Content().Cols() - 1));
}

void CGLMM_In_Means::CommitEdits() {
    if (view_) view_->Content();
}

void CGLMM_In_Means::OnControlEvent(int id, platform::ControlEvent event) {
    if (id == kResponsesEdit && event == platform::ControlEvent::TextEdited) ResponsesEdited();
}

void CGLMM_In_Means::ResponsesEdited() {
    bool ok = false;
    const int count = ControlText(kResponsesEdit).trimmed().toInt(&ok);
    // A text being typed (empty, or out of 1 .. 50) leaves the grid alone.
    if (!ok || count < 1 || count > 50 || !view_) return;
    if (model_) model_->responses = count;
    view_->SetResponses(count);
}
