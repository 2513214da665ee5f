#pragma once

#include <memory>
#include <string>
#include <vector>

#include "glm/cell_memory.h"
#include "glm/labeled_matrix.h"
#include "numerics/matrix.h"

// One contrast of a contrast grid: its label (matrix.name), the coefficient
// texts of its lines (matrix.cells) and their values, normalized per line.
struct PowerContrast {
    LabeledMatrix matrix;
    int firstRow = 0;                 // grid row of the first line
    int number = 0;                   // position in its list, from 1
    bool used = true;                 // the "use" box; filled by Reorder only
    std::vector<int> normalizeModes;  // per line: 0 none, 1 "to one", 2 "rel.freq"
};

using PowerContrastList = std::vector<std::unique_ptr<PowerContrast>>;

// Normalization choices of a line.
enum ContrastNormalization : int { kNormalizeNone = 0, kNormalizeToOne = 1, kNormalizeRelFreq = 2 };

// Normalizes row `line` of `values`. "to one": positive coefficients become
// the count of negative ones and negative ones minus the count of positive
// ones, then the line is scaled to length 1. "rel.freq": the same with the
// weights' sums, each coefficient times its own weight (first column of
// `weights`; a position without a weight counts with weight 1). A line that
// ends up all zero stays all zero.
void NormalizeContrastLine(Matrix& values, int line, int mode, const Matrix& weights);

// Which contrast grid: over the response variables ("Var Contrast A") or
// over the predictors ("Pred. Contrast C").
enum class ContrastKind { kVariables, kPredictors };

// The content of a contrast grid, whole (header row and column included):
// every contrast is a labelled row followed by its further lines, each with
// a "use" flag, a normalization per line and coefficients from column 4 on.
// The grid window shows this content; every rule of the grid lives here.
class ContrastGrid {
  public:
    static constexpr int kLabelColumn = 1;
    static constexpr int kUseColumn = 2;
    static constexpr int kNormalizeColumn = 3;
    static constexpr int kFirstCoefficient = 4;

    explicit ContrastGrid(ContrastKind kind);

    // The default grid for `count` responses or predictors: count + 4 rows
    // and columns and one two-line contrast "Contrast 1".
    void Init(int count);

    int Rows() const { return texts.rows(); }
    int Cols() const { return texts.cols(); }
    ContrastKind Kind() const { return kind_; }

    bool IsLabelled(int row) const;
    bool HasNoCoefficients(int row) const;
    // The number of lines of the contrast labelled on `row` (0 when the row
    // itself has no coefficient).
    int CountLines(int row) const;

    // The used contrasts, evaluated and normalized, numbered from 1.
    void BuildContrastList(PowerContrastList& list, const Matrix& weights) const;
    // Appends a new contrast "contrast N" after the last one, one blank row
    // between them, with room for as many lines as there are coefficients.
    void AddContrast();
    // Packs the contrasts to the top, one blank row after each.
    void Reorder();
    // Appends rows (header "N") or deletes them from the end.
    void ResizeRows(int rows);
    // The coefficient columns follow the other grid's variables: one column
    // per header text, headed by it. Removed coefficients come back when
    // their column does.
    void FollowColumns(const std::vector<std::wstring>& headers);

    // After the user ended an edit of a label: a labelled row without
    // coefficients gets "0" in each, so that it becomes a contrast.
    void LabelEdited(int row);
    // After the user chose a normalization text on `row`.
    void NormalizationChosen(int row, const std::wstring& option);

    // The whole grid as the model file keeps it: "1"/"0" in the use column
    // and the normalization index in the next one.
    void ToMatrix(LabeledMatrix& m) const;
    void FromMatrix(const LabeledMatrix& m);

    // The texts the use and normalize columns show: empty (a check box) on a
    // labelled row, else one blank; the chosen option on a row with
    // coefficients, else one blank.
    void RefreshDerivedColumns();

    bool UseFlag(int row) const;
    void SetUseFlag(int row, bool used);
    int NormalizeMode(int row) const;

    TextArray texts;
    std::vector<bool> useFlags;       // entry row - 1
    std::vector<int> normalizeModes;  // entry row - 1
    std::vector<std::wstring> normalizeOptions;

  private:
    void FitFlags();
    std::wstring CoefficientHeader(int column) const;

    ContrastKind kind_;
    CellMemory removed_;
};
