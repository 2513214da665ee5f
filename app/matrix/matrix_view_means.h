#pragma once

#include "app/matrix/matrix_view.h"
#include "glm/design.h"

// The means grid B of the explorer: one row per predictor, named like the
// design's predictor columns, and one column per response "Y N" whose name
// may be typed over. It shows means that its owner keeps (without them,
// means of its own for 3 predictors and 4 responses).
class CMatrixViewMeans : public CMatrixView {
  public:
    // Set before Create.
    void SetContent(MeansGrid* means) { means_ = means; }

    void InitGrid() override;
    void FormatGrid() override;
    // One column per response; removed columns return with their texts.
    void SetResponses(int responses);
    // B: the body without the headers, evaluated.
    void GetMeans(LabeledMatrix& m);
    // The grid's texts as they stand, written into the means.
    const MeansGrid& Content();
    // The grid shows the means as they are.
    void Show();

    long OnGridNotify(const GridNotify& note) override;

  private:
    MeansGrid own_;
    MeansGrid* means_ = &own_;
};
