#pragma once

#include <optional>
#include <string>
#include <vector>

#include "effectsize/panel_common.h"

class PropertyList;

// Cohen's w of the chi-square goodness-of-fit and contingency tests from the
// cell probabilities under H0 and H1: w = sqrt(sum (p0 - p1)^2 / p0).
namespace effectsize::goodness_of_fit {

inline constexpr int kMinCells = 2;
inline constexpr int kMaxCells = 50;
inline constexpr int kDefaultCells = 4;

// How the columns are entered: normalized before w, the last cell computed
// from the others, or as typed.
enum InputMode { kNormalize = 0, kLastCellComputed = 1, kPlain = 2 };
// The two probability columns of the grid.
enum Column { kH0 = 0, kH1 = 1 };

// 1. The cell count and the two columns. The columns hold at least `cells`
// entries; entries beyond it are kept from a larger count and come back when
// the count grows again.
struct Inputs {
    int cells = kDefaultCells;
    int inputMode = kPlain;
    std::vector<double> p0 = std::vector<double>(kDefaultCells, 1.0 / kDefaultCells);
    std::vector<double> p1 = std::vector<double>(kDefaultCells, 1.0 / kDefaultCells);

    std::vector<double>& column(int c) { return c == kH0 ? p0 : p1; }
    const std::vector<double>& column(int c) const { return c == kH0 ? p0 : p1; }
};

// The cell count held to 2..50.
int ClampCells(int cells);
// A new cell count: held to 2..50, the columns grown with zeros up to it and
// never shrunk.
void ApplyCellCount(Inputs* inputs, int cells);

// The field a check names: the grid cell of row i (0-based) and a column.
inline int CellField(int row, int column) {
    return 2 * row + column;
}
inline int RowOf(int field) {
    return field / 2;
}
inline int ColumnOf(int field) {
    return field % 2;
}

inline constexpr const char* kP0TooSmallMessage =
    "All expected probabilities p(H0)\nmust be greater than 1e-19";
inline constexpr const char* kP1NegativeMessage =
    "All expected probabilities p(H1)\nmust be greater than or equal to 0";
inline constexpr const char* kP1SumZeroMessage =
    "The sum of the expected probabilities p(H1) must be.\ngreater zero if in normalize input mode";
inline constexpr const char* kP0SumMessage =
    "The sum of the expected probabilities p(H0) must be 1.0.\nThe real sum is too ";
inline constexpr const char* kP1SumMessage =
    "The sum of the expected probabilities p(H1) must be 1.0.\nThe real sum is too ";
inline constexpr const char* kLastCellP0Message =
    "The sum of the expected probabilities p(H0) in \nthe cells above is already greater than 1.0!";
inline constexpr const char* kLastCellP1Message =
    "The sum of the expected probabilities p(H1) in \nthe cells above is already greater than 1.0!";
inline constexpr const char* kNormalizeZeroMessage =
    "The probabilities of this column sum to 0;\nthey cannot be normalized.";

// 2. The first error of the shown cells: a cell that overflowed, p0 <= 1e-19,
// p1 < 0, then the column sums (in the normalize mode only that p(H1) sums
// to more than 1e-6, otherwise both sum to 1 within 1e-6).
std::optional<FieldError> Check(const Inputs& inputs);

// 3. w of inputs that passed the check. In the normalize mode the shown
// cells are divided by their column sums first (the columns change).
double ComputeW(Inputs* inputs);

// The buttons under the columns. "Equal": every shown cell takes `value`.
void SetEqual(Inputs* inputs, int column, double value);
// "Normalize": the shown cells divided by their sum, the last one taking up
// the rounding so the column sums to 1. A column summing to 0 or less (or
// overflowing) is left as it is and the message returned.
std::optional<std::string> Normalize(Inputs* inputs, int column);
// "Auto calc last cell": the last shown cell becomes 1 minus the others; when
// they sum to more than 1 it becomes 0 and the warning is returned.
std::optional<std::string> AutoCalcLastCell(Inputs* inputs, int column);
// The last-cell mode after a cell edit: per column, true when the last cell
// could be computed (the others sum to at most 1), else its cell is set to 0
// and shows "sum > 1.0".
struct LastCells {
    bool fits[2] = {true, true};
};
LastCells UpdateLastCells(Inputs* inputs);
inline constexpr const char* kSumExceededText = "sum > 1.0";

// 4. Store mapping: "cgf_inmode", "cgf_ncells" and per shown cell i
// "cgf_pp<i>" (p0) and "cgf_pa<i>" (p1). Restoring applies the stored count
// first, then reads the cells it has; missing keys leave their values.
void Save(const Inputs& inputs, PropertyList* store);
void Restore(PropertyList* store, Inputs* inputs);
// A saved cell (row i, 0-based) whose text is not one number: the text is
// kept as typed on its entry, beside the 0 it reads as, so that the cell
// comes back as typed, for Calculate to refuse, instead of as 0.
void SaveTypedCell(PropertyList* store, int row, int column, const std::string& text);
// The text so kept for a cell; none when the cell was saved as a number.
std::optional<std::string> TypedCell(PropertyList* store, int row, int column);

// 5. The transfer writes w alone: the base plan.

}  // namespace effectsize::goodness_of_fit
