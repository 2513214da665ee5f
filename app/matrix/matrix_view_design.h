#pragma once

#include "app/matrix/matrix_view.h"
#include "glm/design.h"

// The design grid X of the explorer: one row per cell with its name, one
// column per predictor with its name, and the cells' sample-size weights in
// the last column. No fixed row or column: names are typed like values. It
// shows a design that its owner keeps (without one, a design of its own of
// 3 cells and 3 predictors).
class CMatrixViewDesign : public CMatrixView {
  public:
    // Set before Create.
    void SetContent(DesignGrid* design) { design_ = design; }

    void InitGrid() override;
    void FormatGrid() override;
    // rows = cells + 1, weightColumn = predictors + 1; values typed before a
    // smaller count return with the larger one.
    void SetDimensions(int rows, int weightColumn);
    void GetDesignMatrix(LabeledMatrix& m);
    void GetCellWeights(LabeledMatrix& m);
    // The grid's texts as they stand, written into the design.
    const DesignGrid& Content();
    // The grid shows the design as it is.
    void Show();

    long OnGridNotify(const GridNotify& note) override;

  private:
    DesignGrid own_;
    DesignGrid* design_ = &own_;
};
