#pragma once

#include <string>
#include <vector>

#include "glm/cell_memory.h"
#include "glm/labeled_matrix.h"

// The content of the design grid: one row per cell (group) with its name,
// one column per predictor with its name, the design matrix X in the body
// and a last column of sample-size weights. Header row and column included.
class DesignGrid {
  public:
    // R cells and P predictors: R + 1 rows, P + 2 columns, X all "0", every
    // weight "1".
    void Init(int cells, int predictors);

    int Rows() const { return texts.rows(); }
    int Cols() const { return texts.cols(); }
    int CellCount() const { return Rows() - 1; }
    int PredictorCount() const { return Cols() - 2; }
    int WeightColumn() const { return Cols() - 1; }

    // rows = cells + 1, weightColumn = predictors + 1. New rows are named
    // "cell N" with X "0" and weight "1", new predictor columns "pred N"
    // with "0", inserted before the weights; a row or column removed by a
    // smaller count comes back with its texts when the count grows again.
    void SetDimensions(int rows, int weightColumn);

    // X (R x P) with the predictor names as column labels and the cell names
    // as row labels, evaluated.
    void GetDesignMatrix(LabeledMatrix& m) const;
    // The weights (R x 1), labelled like X's rows, evaluated.
    void GetCellWeights(LabeledMatrix& m) const;
    // The predictor names (row 0, columns 1 to P).
    std::vector<std::wstring> PredictorLabels() const;

    TextArray texts;

  private:
    // Memory keys: the predictor's column, and this one for the weight.
    static constexpr int kWeightKey = -1;
    int KeyOf(int column) const { return column == WeightColumn() ? kWeightKey : column; }

    CellMemory removed_;
};

// The content of the means grid B: one row per predictor (named like the
// design's predictor columns), one column per response "Y N".
class MeansGrid {
  public:
    // q predictors and p responses, every mean "0".
    void Init(int predictors, int responses);

    int Rows() const { return texts.rows(); }
    int Cols() const { return texts.cols(); }

    // p responses: columns "Y N" with "0" appended, or removed from the end;
    // removed columns come back with their texts.
    void SetResponses(int responses);
    // One row per predictor of the design, labelled like it; new rows get
    // "0", or the texts they had before a smaller design removed them.
    void SyncWithDesign(const std::vector<std::wstring>& predictorLabels);

    // B, the body without the headers, evaluated.
    void GetMeans(LabeledMatrix& m) const;
    // The response names (row 0, columns 1 on).
    std::vector<std::wstring> ResponseLabels() const;

    TextArray texts;

  private:
    CellMemory removed_;
};
