#include "app/explorer/explorer_tabs_window.h"

#include <QTabBar>

#include "app/explorer/glmm_in_contrast.h"
#include "app/explorer/glmm_in_design.h"
#include "app/explorer/glmm_in_means.h"
#include "app/explorer/glmm_in_sigma.h"

ExplorerTabsWindow::ExplorerTabsWindow(PowerGLMM* model, QWidget* parent)
    : QWidget(parent),
      tabs_(new QTabBar(this)),
      pages_(new QWidget(this)),
      design_(new CGLMM_In_Design),
      means_(new CGLMM_In_Means),
      sigma_(new CGLMM_In_Sigma),
      predContrast_(new CGLMM_In_CMat),
      varContrast_(new CGLMM_In_AMat) {
    setWindowTitle(QStringLiteral("General Linear Model Explorer"));
    for (const char* text :
         {"Design X", "Means B", "Cov Sigma", "Pred. Contrast C", "Var Contrast A"})
        tabs_->addTab(QString::fromUtf8(text));
    resize(620, 440);
    Layout();
    for (CGLMMTabForm* form :
         {static_cast<CGLMMTabForm*>(design_), static_cast<CGLMMTabForm*>(means_),
          static_cast<CGLMMTabForm*>(sigma_), static_cast<CGLMMTabForm*>(predContrast_),
          static_cast<CGLMMTabForm*>(varContrast_)}) {
        form->SetModel(model);
        form->Create(pages_, QPoint(0, 0), kFormVisible);
        form->FitToParent();
        form->hide();
    }
    current_ = design_;
    current_->show();
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { OnTabChange(index); });
}

void ExplorerTabsWindow::OnTabChange(int index) {
    if (current_) current_->hide();
    switch (index) {
        case kDesign:
            current_ = design_;
            break;
        case kMeans:
            means_->MeansView()->SyncWithDesign(*design_->DesignView());
            current_ = means_;
            break;
        case kSigma:
            sigma_->SigmaView()->SyncWithMeans(*means_->MeansView());
            current_ = sigma_;
            break;
        case kPredContrast:
            predContrast_->CView()->SyncWithDesign(*design_->DesignView());
            current_ = predContrast_;
            break;
        default:
            varContrast_->AView()->SyncWithMeans(*means_->MeansView());
            current_ = varContrast_;
            break;
    }
    current_->FitToParent();
    current_->show();
}

void ExplorerTabsWindow::Layout() {
    const int barHeight = tabs_->sizeHint().height();
    tabs_->setGeometry(4, 4, width() - 8, barHeight);
    pages_->setGeometry(4, 4 + barHeight, width() - 8, height() - 8 - barHeight);
}

void ExplorerTabsWindow::resizeEvent(QResizeEvent*) {
    Layout();
    if (current_) current_->FitToParent();
}
