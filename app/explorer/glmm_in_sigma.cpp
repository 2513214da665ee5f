#include "app/explorer/glmm_in_sigma.h"

#include <QComboBox>

#include "glm/explorer_model.h"
#include "platform/dialogs.h"

using platform::ControlKind;

platform::DialogTemplate SigmaTabTemplate() {
    platform::DialogTemplate t;
    t.id = 177;
    t.width = 370;
    t.height = 220;
    t.controls.push_back(platform::ControlSpec{CGLMM_In_Sigma::kModeList,
                                               ControlKind::DropDownList,
                                               "",
                                               {5, 4, 100, 40},
                                               platform::kStyleNone,
                                               {"Covariances", "SD and Correlation"}});
    t.controls.push_back(platform::ControlSpec{CGLMMTabForm::kFrameId,
                                               ControlKind::Area,
                                               "",
                                               {5, 20, 360, 195},
                                               platform::kStyleNone,
                                               {}});
    return t;
}

CGLMM_In_Sigma::CGLMM_In_Sigma() : CGLMMTabForm(SigmaTabTemplate()) {}

void CGLMM_In_Sigma::OnInitialUpdate() {
    view_ = new CMatrixViewSigma;
    if (document_) view_->SetContent(&document_->sigma);
    CreateView(view_);
    FitToParent();
    ShowDocument();
}

void CGLMM_In_Sigma::ShowDocument() {
    if (!view_) return;
    view_->Show();
    if (QComboBox* list = List(kModeList)) list->setCurrentIndex(view_->GetMode());
}

void CGLMM_In_Sigma::CommitEdits() {
    if (view_) view_->Content();
}

std::optional<std::wstring> CGLMM_In_Sigma::GetSigma(LabeledMatrix& m) {
    return view_ ? view_->GetSigma(m) : std::optional<std::wstring>(L"No covariance grid.");
}

void CGLMM_In_Sigma::OnControlEvent(int id, platform::ControlEvent event) {
    if (id != kModeList || event != platform::ControlEvent::SelectionChanged || !view_) return;
    QComboBox* list = List(kModeList);
    const auto mode = static_cast<SigmaGrid::Mode>(list->currentIndex());
    if (const std::optional<std::wstring> failure = view_->SetMode(mode)) {
        // The grid still holds the other form: the list must say so.
        list->setCurrentIndex(view_->GetMode());
        platform::ShowMessage(this, QString::fromStdWString(*failure), QStringLiteral("Quorix"),
                              platform::MessageIcon::Warning);
    }
}
