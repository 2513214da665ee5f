#include "app/explorer/glmm_in_general.h"

#include <QComboBox>

using platform::ControlKind;

platform::DialogTemplate GeneralTabTemplate() {
    platform::DialogTemplate t;
    t.id = 175;
    t.width = 370;
    t.height = 220;
    auto add = [&t](int id, ControlKind kind, const char* caption, platform::DialogRect rect,
                    std::vector<std::string> items = {}) {
        t.controls.push_back(
            platform::ControlSpec{id, kind, caption, rect, platform::kStyleNone, std::move(items)});
    };
    add(platform::kNoControlId, ControlKind::Label, "Alpha", {12, 14, 70, 8});
    add(CGLMM_In_General::kAlphaEdit, ControlKind::Edit, "", {90, 12, 60, 12});
    add(platform::kNoControlId, ControlKind::Label, "Power", {12, 32, 70, 8});
    add(CGLMM_In_General::kPowerEdit, ControlKind::Edit, "", {90, 30, 60, 12});
    add(platform::kNoControlId, ControlKind::Label, "total sample size", {12, 50, 75, 8});
    add(CGLMM_In_General::kTotalEdit, ControlKind::Edit, "", {90, 48, 60, 12});
    add(platform::kNoControlId, ControlKind::Label, "Matrix B scale", {12, 68, 75, 8});
    add(CGLMM_In_General::kBScaleEdit, ControlKind::Edit, "", {90, 66, 60, 12});
    add(platform::kNoControlId, ControlKind::Label, "Analysis", {12, 88, 70, 8});
    add(CGLMM_In_General::kAnalysisList, ControlKind::DropDownList, "", {90, 86, 120, 40},
        {"A priori: Calc sample size", "Post hoc: Calc Power"});
    return t;
}

CGLMM_In_General::CGLMM_In_General() : CFormViewEx(GeneralTabTemplate()) {}

void CGLMM_In_General::OnInitialUpdate() {
    ShowDocument();
    SetControlText(kBScaleEdit, QStringLiteral("1.0"));
    FitToParent();
}

void CGLMM_In_General::ShowDocument() {
    SetControlText(kAlphaEdit, QString::fromStdWString(settings_->alpha));
    SetControlText(kPowerEdit, QString::fromStdWString(settings_->power));
    SetControlText(kTotalEdit, QString::fromStdWString(settings_->totalN));
    if (QComboBox* list = List(kAnalysisList))
        list->setCurrentIndex(settings_->aPriori ? kAPriori : kPostHoc);
}

void CGLMM_In_General::CommitEdits() {
    settings_->alpha = ControlText(kAlphaEdit).toStdWString();
    settings_->power = ControlText(kPowerEdit).toStdWString();
    settings_->totalN = ControlText(kTotalEdit).toStdWString();
    settings_->aPriori = AnalysisIndex() == kAPriori;
}

int CGLMM_In_General::AnalysisIndex() const {
    const QComboBox* list = List(kAnalysisList);
    return list ? list->currentIndex() : kPostHoc;
}
