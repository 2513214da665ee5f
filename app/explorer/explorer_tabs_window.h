#pragma once

#include <QWidget>

class QTabBar;
class PowerGLMM;
class CGLMMTabForm;
class CGLMM_In_Design;
class CGLMM_In_Means;
class CGLMM_In_Sigma;
class CGLMM_In_CMat;
class CGLMM_In_AMat;

// The explorer's matrix tabs in one window: "Design X", "Means B",
// "Cov Sigma", "Pred. Contrast C" and "Var Contrast A" over one model. On
// entering a tab its grid first follows the grid it depends on: the means
// rows the design's predictors, the covariance the means' responses, the
// predictor contrasts the design, the variable contrasts the means.
class ExplorerTabsWindow : public QWidget {
  public:
    enum Tab : int { kDesign = 0, kMeans, kSigma, kPredContrast, kVarContrast };

    explicit ExplorerTabsWindow(PowerGLMM* model, QWidget* parent = nullptr);

    QTabBar* Tabs() const { return tabs_; }
    CGLMMTabForm* CurrentForm() const { return current_; }
    CGLMM_In_Design* DesignForm() const { return design_; }
    CGLMM_In_Means* MeansForm() const { return means_; }
    CGLMM_In_Sigma* SigmaForm() const { return sigma_; }
    CGLMM_In_CMat* PredContrastForm() const { return predContrast_; }
    CGLMM_In_AMat* VarContrastForm() const { return varContrast_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void OnTabChange(int index);
    void Layout();

    QTabBar* tabs_;
    QWidget* pages_;
    CGLMM_In_Design* design_;
    CGLMM_In_Means* means_;
    CGLMM_In_Sigma* sigma_;
    CGLMM_In_CMat* predContrast_;
    CGLMM_In_AMat* varContrast_;
    CGLMMTabForm* current_ = nullptr;
};
