#pragma once

#include "app/matrix/matrix_view.h"
#include "glm/design.h"

class PowerGLMM;

// The design grid X of the explorer: one row per cell with its name, one
// column per predictor with its name, and the cells' sample-size weights in
// the last column. No fixed row or column: names are typed like values.
class CMatrixViewDesign : public CMatrixView {
  public:
    // The model gives the numbers of cells and predictors; set before Create.
    void SetModel(PowerGLMM* model) { model_ = model; }

    void InitGrid() override;
    void FormatGrid() override;
    // rows = cells + 1, weightColumn = predictors + 1; values typed before a
    // smaller count return with the larger one.
    void SetDimensions(int rows, int weightColumn);
    void GetDesignMatrix(LabeledMatrix& m);
    void GetCellWeights(LabeledMatrix& m);
    // The grid's content as it stands.
    const DesignGrid& Content();

    long OnGridNotify(const GridNotify& note) override;

  private:
    void Show();

    PowerGLMM* model_ = nullptr;
    DesignGrid design_;
};
