#pragma once

#include "app/matrix/matrix_view.h"
#include "glm/contrast_list.h"

class PowerGLMM;
class CMatrixViewDesign;
class CMatrixViewMeans;

// A contrast grid: every contrast is a labelled row and the lines below it,
// with a "use" check box on its first line, a normalization choice per line
// and the coefficients from column 4 on. The check boxes and the choices
// are cells of the grid; every rule over them lives in ContrastGrid.
class CMatrixViewContrastMat : public CMatrixView {
  public:
    explicit CMatrixViewContrastMat(ContrastKind kind);

    void SetModel(PowerGLMM* model) { model_ = model; }

    void InitGrid() override;
    void FormatGrid() override;
    void GridToMatrix(LabeledMatrix& m) override;
    void MatrixToGrid(const LabeledMatrix& m) override;

    // The used contrasts, evaluated and normalized with the design's cell
    // weights (their first column).
    void BuildContrastList(PowerContrastList& list, const Matrix& weights);
    void AddContrast();
    void Reorder();
    // The grid's content, check boxes and choices included, as it stands.
    const ContrastGrid& Content();

    long OnGridNotify(const GridNotify& note) override;

  protected:
    // The coefficient columns follow the other grid's variable names.
    void FollowColumns(const std::vector<std::wstring>& headers);
    // The number of coefficients of the default grid.
    virtual int DefaultCount() const = 0;

    PowerGLMM* model_ = nullptr;

  private:
    void Pull();
    void Show();
    void RebuildUseColumn();
    void RebuildNormalizeColumn();

    ContrastGrid contrasts_;
};

// The "Var Contrast A" grid: contrasts over the response variables.
class CMatrixViewAMat : public CMatrixViewContrastMat {
  public:
    CMatrixViewAMat() : CMatrixViewContrastMat(ContrastKind::kVariables) {}
    void SyncWithMeans(CMatrixViewMeans& means);

  protected:
    int DefaultCount() const override;
};

// The "Pred. Contrast C" grid: contrasts over the predictors.
class CMatrixViewCMat : public CMatrixViewContrastMat {
  public:
    CMatrixViewCMat() : CMatrixViewContrastMat(ContrastKind::kPredictors) {}
    void SyncWithDesign(CMatrixViewDesign& design);

  protected:
    int DefaultCount() const override;
};
