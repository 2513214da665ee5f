#pragma once

#include "app/matrix/matrix_view.h"
#include "glm/design.h"

class PowerGLMM;
class CMatrixViewDesign;

// The means grid B of the explorer: one row per predictor, named like the
// design's predictor columns, and one column per response "Y N" whose name
// may be typed over.
class CMatrixViewMeans : public CMatrixView {
  public:
    void SetModel(PowerGLMM* model) { model_ = model; }

    void InitGrid() override;
    void FormatGrid() override;
    // One column per response; removed columns return with their texts.
    void SetResponses(int responses);
    // Rows and row names follow the design grid's predictors.
    void SyncWithDesign(CMatrixViewDesign& design);
    // B: the body without the headers, evaluated.
    void GetMeans(LabeledMatrix& m);
    const MeansGrid& Content();

    long OnGridNotify(const GridNotify& note) override;

  private:
    void Show();

    PowerGLMM* model_ = nullptr;
    MeansGrid means_;
};
