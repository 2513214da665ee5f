#pragma once

#include <QPointer>

#include "app/explorer/glmm_tab_form.h"
#include "app/matrix/matrix_view_contrast.h"

// The contrast tabs "Pred. Contrast C" and "Var Contrast A": a contrast grid
// with the buttons "Reorder" and "Add contrast" above it.
class CGLMM_In_ContrastForm : public CGLMMTabForm {
  public:
    static constexpr int kReorderButton = 1118;
    static constexpr int kAddContrastButton = 1010;

    explicit CGLMM_In_ContrastForm(int templateId);

    void OnInitialUpdate() override;
    void ShowDocument() override;
    void CommitEdits() override;
    CMatrixView* View() const override { return view_; }
    CMatrixViewContrastMat* ContrastView() const { return view_; }

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;
    virtual CMatrixViewContrastMat* MakeView() = 0;
    // The tab's grid of the record.
    virtual ContrastGrid& Contrasts(ExplorerModel& document) const = 0;

  private:
    QPointer<CMatrixViewContrastMat> view_;
};

// "Var Contrast A" (dialog 180): contrasts over the response variables.
class CGLMM_In_AMat : public CGLMM_In_ContrastForm {
  public:
    CGLMM_In_AMat() : CGLMM_In_ContrastForm(180) {}

  protected:
    CMatrixViewContrastMat* MakeView() override { return new CMatrixViewAMat; }
    ContrastGrid& Contrasts(ExplorerModel& document) const override;
};

// "Pred. Contrast C" (dialog 179): contrasts over the predictors.
class CGLMM_In_CMat : public CGLMM_In_ContrastForm {
  public:
    CGLMM_In_CMat() : CGLMM_In_ContrastForm(179) {}

  protected:
    CMatrixViewContrastMat* MakeView() override { return new CMatrixViewCMat; }
    ContrastGrid& Contrasts(ExplorerModel& document) const override;
};

// The table of a contrast tab (dialogs 179 and 180).
platform::DialogTemplate ContrastTabTemplate(int templateId);
