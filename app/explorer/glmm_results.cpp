#include "app/explorer/glmm_results.h"

#include "app/widgets/html_edit.h"

platform::DialogTemplate ResultsTabTemplate() {
    platform::DialogTemplate t;
    t.id = 181;
    t.width = 370;
    t.height = 220;
    t.controls.push_back(platform::ControlSpec{CGLMM_Results::kFrameId,
                                               platform::ControlKind::Area,
                                               "",
                                               {0, 0, 370, 220},
                                               platform::kStyleNone,
                                               {}});
    return t;
}

CGLMM_Results::CGLMM_Results() : CFormViewEx(ResultsTabTemplate()) {}

void CGLMM_Results::OnInitialUpdate() {
    QWidget* frame = Control(kFrameId);
    html_ = new CHTMLEdit(frame ? frame : this);
    html_->NewDocument();
    html_->show();
    FitToParent();
}

void CGLMM_Results::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    setGeometry(parent->rect());
    const QRect area(QPoint(0, 0), size());
    if (QWidget* frame = Control(kFrameId)) frame->setGeometry(area);
    if (html_) html_->setGeometry(area);
}
