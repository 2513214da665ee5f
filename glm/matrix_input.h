#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/formula.h"
#include "glm/labeled_matrix.h"
#include "numerics/matrix.h"

// The rules of the matrix input forms that the effect-size panels open, on
// the grids' texts: a TextArray whose row 0 holds the column headers, whose
// column 0 holds the row headers, and whose cell (r, k), both from 1, holds
// element (r - 1, k - 1) as a number or a "=" formula. The forms bind these
// rules to their widgets; nothing here needs a window.

// The two variables the formulas of the correlation and covariance grids may
// name: "s" = 2 and "r" = 0.6.
class MatrixInputVariables : public VariableTree {
  public:
    MatrixInputVariables();
    int Compare(const void* nodeKey, const void* key) const override;
    void DeleteValue(void*) override {}
    VariableRecord* Find(const char* name) override;

  private:
    VariableRecord s_{2.0};
    VariableRecord r_{0.6};
};

// ---------------------------------------------------------------- patterns

// Off-diagonal entry (i, j) of the covariance pattern: `value` everywhere
// (compound symmetry), or value^|i - j| with first-order autocorrelation.
double PatternEntry(double value, bool firstOrderAutocorr, int i, int j);

// Every off-diagonal body cell of the square grid becomes the pattern entry,
// written with "%lg"; the diagonal and the headers stay. A pattern with an
// entry that is not a finite number (a value of NaN or ±inf, or a power
// that overflows) changes nothing and returns the reason.
std::optional<std::wstring> ApplyPattern(TextArray& grid, double value, bool firstOrderAutocorr);

// ------------------------------------------------------------ re-shaping

// The names typed in the header row of a variables grid (row 0, columns 1 ..
// cols - 1 of `source`, or up to `count` columns when given).
std::vector<std::wstring> HeaderNames(const TextArray& source, int count = -1);

// What a square grid gives a new variable k against an earlier one j.
enum class SquareFill { kCorrelation, kPattern };

// Re-shapes the square grid (correlations or covariances) to one variable per
// name: surplus variables go from the end, new ones are appended with "1" on
// the diagonal and, off it, "0" (kCorrelation) or the pattern entry of
// (k, j) (kPattern; "0" where that entry is not a finite number); every
// header takes its variable's name. The corner and the cells of the
// variables that stay are kept.
void ReshapeSquare(TextArray& grid, const std::vector<std::wstring>& names, SquareFill fill,
                   double patternValue = 0.0, bool firstOrderAutocorr = false);

// The means-type grids (one row per group, one column per variable): `count`
// variable columns. New columns are headed Numbered(headerPattern, column)
// with every body cell "0"; surplus columns go from the right.
void SetVariableCount(TextArray& grid, int count, const std::wstring& headerPattern);

// The repeated-measures means grid: one row per group "group N", one column
// per measurement and a last column "ssize weight" of sample-size weights.
// The grid shows the bound records; before a count changes the grid is
// stored into them, so that a group or measurement removed by a smaller
// count comes back with its values and weight when the count grows again.
class RmmMeansGrid {
  public:
    static constexpr const wchar_t* kCorner = L"groups\\means";
    static constexpr const wchar_t* kWeightHeader = L"ssize weight";

    // The grid of `groups` x `measurements` from the records: a cell the
    // record holds shows its text, else "0" (weights "1"); a measurement
    // column is headed by the means record's column label, else "Y N".
    void Show(int groups, int measurements, const LabeledMatrix& means,
              const LabeledMatrix& weights);
    // The body's means and weights into the records at their places; the
    // records grow to hold them and keep what lies beyond the grid.
    void Store(LabeledMatrix& means, LabeledMatrix& weights) const;
    // Store, then Show with the new counts.
    void SetCounts(int groups, int measurements, LabeledMatrix& means, LabeledMatrix& weights);

    int Groups() const { return texts.rows() - 1; }
    int Measurements() const { return texts.cols() - 2; }

    TextArray texts;
};

// ------------------------------------------------------- grid to records

// The body of columns 1 .. lastCol - 1 (all when -1) with the header row as
// column labels and the header column as row labels, evaluated (formulas
// with `table`).
void GridToRecord(const TextArray& grid, LabeledMatrix& m, VariableTree* table = nullptr,
                  int firstCol = 1, int lastCol = -1);
// The grid of `m`: corner, row labels (else Numbered(rowPattern, r)),
// column labels (else Numbered(colPattern, k)) and cell texts (else the
// values written with "%lg").
void RecordToGrid(const LabeledMatrix& m, TextArray& grid, const std::wstring& corner,
                  const std::wstring& rowPattern, const std::wstring& colPattern);

// ------------------------------------------------------------ conversions

// The covariance grid's body converted between covariances
// (`toCovariances`) and standard deviations with correlations, read from the
// diagonal and the lower triangle, written back with "%lg" in both triangles.
// On a failure (a cell that is not a finite number, a variance not above 0,
// a correlation outside [-1, 1], a covariance too large for a double) the
// grid stays as it was and the reason naming the variables is returned.
std::optional<std::wstring> ConvertSigmaGrid(TextArray& grid, bool toCovariances,
                                             VariableTree* table);

// ------------------------------------------------------------ validation

// A validation failure: the message the user reads and the grid cell it is
// about (row, col), or (-1, -1) when it is about the whole matrix.
struct GridProblem {
    std::wstring message;
    int row = -1;
    int col = -1;
};

// The first body cell of columns firstCol .. lastCol - 1 (all when -1)
// whose number is not finite (a text such as "1e999" or "=1/0"): what a
// dialog must not hand to a panel.
std::optional<GridProblem> FindNonFiniteCell(const TextArray& grid, VariableTree* table = nullptr,
                                             int firstCol = 1, int lastCol = -1);

// The predictor-outcome grid (one body row): every value within [-1, 1].
std::optional<GridProblem> ValidatePredictorOutcome(const TextArray& grid,
                                                    VariableTree* table = nullptr);
// The predictor correlation grid: every value below the diagonal within
// [-1, 1], and the matrix positive semi-definite (within rounding).
std::optional<GridProblem> ValidatePredictorCorrelations(const TextArray& grid,
                                                         VariableTree* table = nullptr);

// ------------------------------------------------------------------- R²

// The squared multiple correlation ρyᵀ R⁻¹ ρy of the outcome with the
// predictors, from the outcome correlations ρy (1 x p) and the predictor
// correlations R (p x p).
struct RSquared {
    std::optional<double> value;  // set when R² lies within [0, 1]
    std::wstring text;            // R² with "%lf", empty when not computed
    std::wstring message;         // why there is no value
};
RSquared ComputeRSquared(const Matrix& outcomeCorrelations, const Matrix& predictorCorrelations);
