#pragma once

#include "app/matrix/matrix_view.h"
#include "glm/contrast_list.h"

// A contrast grid: every contrast is a labelled row and the lines below it,
// with a "use" check box on its first line, a normalization choice per line
// and the coefficients from column 4 on. The check boxes and the choices
// are cells of the grid; every rule over them lives in ContrastGrid. It
// shows contrasts that its owner keeps (without them, its own default grid).
class CMatrixViewContrastMat : public CMatrixView {
  public:
    explicit CMatrixViewContrastMat(ContrastKind kind);

    // Set before Create.
    void SetContent(ContrastGrid* contrasts) { contrasts_ = contrasts; }

    void InitGrid() override;
    void FormatGrid() override;
    void GridToMatrix(LabeledMatrix& m) override;
    void MatrixToGrid(const LabeledMatrix& m) override;

    // The used contrasts, evaluated and normalized with the design's cell
    // weights (their first column).
    void BuildContrastList(PowerContrastList& list, const Matrix& weights);
    void AddContrast();
    void Reorder();
    // The grid's content, check boxes and choices included, as it stands,
    // written into the contrasts.
    const ContrastGrid& Content();
    // The grid shows the contrasts as they are.
    void Show();

    long OnGridNotify(const GridNotify& note) override;

  private:
    void Pull();
    void RebuildUseColumn();
    void RebuildNormalizeColumn();

    ContrastGrid own_;
    ContrastGrid* contrasts_ = &own_;
};

// The "Var Contrast A" grid: contrasts over the response variables.
class CMatrixViewAMat : public CMatrixViewContrastMat {
  public:
    CMatrixViewAMat() : CMatrixViewContrastMat(ContrastKind::kVariables) {}
};

// The "Pred. Contrast C" grid: contrasts over the predictors.
class CMatrixViewCMat : public CMatrixViewContrastMat {
  public:
    CMatrixViewCMat() : CMatrixViewContrastMat(ContrastKind::kPredictors) {}
};
