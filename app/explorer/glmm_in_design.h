#pragma once

#include <QPointer>

#include "app/explorer/glmm_tab_form.h"
#include "app/matrix/matrix_view_design.h"

class SpinButtons;

// The "Design X" tab: the numbers of cells and of predictors, each with a
// spin, above the design grid. A count the user changes reshapes the
// record's design and goes into the opener's model.
class CGLMM_In_Design : public CGLMMTabForm {
  public:
    static constexpr int kCellsEdit = 1114;
    static constexpr int kCellsSpin = 1067;
    static constexpr int kPredictorsEdit = 1002;
    static constexpr int kPredictorsSpin = 1113;

    CGLMM_In_Design();

    void OnInitialUpdate() override;
    void ShowDocument() override;
    void CommitEdits() override;
    CMatrixView* View() const override { return view_; }
    CMatrixViewDesign* DesignView() const { return view_; }
    SpinButtons* CellsSpin() const { return cellsSpin_; }

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    // Both edits read; a pair of counts in 1 .. 100 reshapes the grid, any
    // other text (one being typed) leaves it as it is.
    void CountsEdited();

    QPointer<CMatrixViewDesign> view_;
    SpinButtons* cellsSpin_ = nullptr;
    SpinButtons* predictorsSpin_ = nullptr;
};

// The table of the design tab (dialog 176).
platform::DialogTemplate DesignTabTemplate();
