#include "app/explorer/glmm_in_contrast.h"

#include "glm/explorer_model.h"

using platform::ControlKind;

platform::DialogTemplate ContrastTabTemplate(int templateId) {
    platform::DialogTemplate t;
    t.id = templateId;
    t.width = 370;
    t.height = 220;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect) {
        t.controls.push_back(
            platform::ControlSpec{id, kind, caption, rect, platform::kStyleNone, {}});
    };
    add(CGLMMTabForm::kFrameId, ControlKind::Area, "", {5, 22, 360, 193});
    add(CGLMM_In_ContrastForm::kReorderButton, ControlKind::PushButton, "Reorder", {5, 4, 50, 14});
    add(CGLMM_In_ContrastForm::kAddContrastButton, ControlKind::PushButton, "Add contrast",
        {60, 4, 60, 14});
    return t;
}

CGLMM_In_ContrastForm::CGLMM_In_ContrastForm(int templateId)
    : CGLMMTabForm(ContrastTabTemplate(templateId)) {}

void CGLMM_In_ContrastForm::OnInitialUpdate() {
    view_ = MakeView();
    if (document_) view_->SetContent(&Contrasts(*document_));
    CreateView(view_);
    FitToParent();
}

void CGLMM_In_ContrastForm::ShowDocument() {
    if (view_) view_->Show();
}

void CGLMM_In_ContrastForm::CommitEdits() {
    if (view_) view_->Content();
}

ContrastGrid& CGLMM_In_AMat::Contrasts(ExplorerModel& document) const {
    return document.varContrasts;
}

ContrastGrid& CGLMM_In_CMat::Contrasts(ExplorerModel& document) const {
    return document.predContrasts;
}

void CGLMM_In_ContrastForm::OnControlEvent(int id, platform::ControlEvent event) {
    if (event != platform::ControlEvent::Clicked || !view_) return;
    if (id == kAddContrastButton) view_->AddContrast();
    if (id == kReorderButton) view_->Reorder();
}
