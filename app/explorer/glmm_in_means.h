#pragma once

#include <QPointer>

#include "app/explorer/glmm_tab_form.h"
#include "app/matrix/matrix_view_means.h"

class SpinButtons;

// The "Means B" tab: the number of responses, with a spin, above the means
// grid. A count the user changes adds or removes response columns of the
// record's means and goes into the opener's model.
class CGLMM_In_Means : public CGLMMTabForm {
  public:
    static constexpr int kResponsesEdit = 1002;
    static constexpr int kResponsesSpin = 1113;

    CGLMM_In_Means();

    void OnInitialUpdate() override;
    void ShowDocument() override;
    void CommitEdits() override;
    CMatrixView* View() const override { return view_; }
    CMatrixViewMeans* MeansView() const { return view_; }

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    void ResponsesEdited();

    QPointer<CMatrixViewMeans> view_;
    SpinButtons* spin_ = nullptr;
};

// The table of the means tab (dialog 182).
platform::DialogTemplate MeansTabTemplate();
