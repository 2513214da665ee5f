#include "app/explorer/glmm_tab_form.h"

#include "app/matrix/matrix_view.h"

void CGLMMTabForm::FitToParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    const QRect area = parent->rect();
    setGeometry(area);
    if (QWidget* frame = Control(kFrameId)) {
        const int top = frame->geometry().top();
        frame->setGeometry(
            QRect(QPoint(area.left() + 5, top), QPoint(area.right() - 5, area.bottom() - 5)));
    }
    if (CMatrixView* view = View()) view->FitToParent();
    update();
}

void CGLMMTabForm::CreateView(CMatrixView* view) {
    QWidget* frame = Control(kFrameId);
    if (!frame) return;
    view->Create(frame, QPoint(0, 0), kFormVisible);
    view->FitToParent();
}
