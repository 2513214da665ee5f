#include "glm/matrix_input.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "glm/covariance.h"
#include "numerics/quorix_error.h"

MatrixInputVariables::MatrixInputVariables() = default;

int MatrixInputVariables::Compare(const void* nodeKey, const void* key) const {
    return std::strcmp(static_cast<const char*>(nodeKey), static_cast<const char*>(key));
}

VariableRecord* MatrixInputVariables::Find(const char* name) {
    if (std::strcmp(name, "s") == 0) return &s_;
    if (std::strcmp(name, "r") == 0) return &r_;
    return nullptr;
}

double PatternEntry(double value, bool firstOrderAutocorr, int i, int j) {
    return firstOrderAutocorr ? std::pow(value, std::abs(i - j)) : value;
}

std::optional<std::wstring> ApplyPattern(TextArray& grid, double value, bool firstOrderAutocorr) {
    // Every entry first: a pattern that fails leaves the whole grid as it was.
    for (int i = 1; i < grid.rows(); ++i)
        for (int j = 1; j < grid.cols(); ++j)
            if (i != j && !std::isfinite(PatternEntry(value, firstOrderAutocorr, i, j)))
                return L"The pattern value " + FormatNumber(value) +
                       L" does not give a finite number for every cell:\nthe pattern is not "
                       L"applied.";
    for (int i = 1; i < grid.rows(); ++i)
        for (int j = 1; j < grid.cols(); ++j)
            if (i != j) grid(i, j) = FormatNumber(PatternEntry(value, firstOrderAutocorr, i, j));
    return std::nullopt;
}

std::vector<std::wstring> HeaderNames(const TextArray& source, int count) {
    const int last = count < 0 ? source.cols() - 1 : std::min(count, source.cols() - 1);
    std::vector<std::wstring> names;
    for (int k = 1; k <= last; ++k) names.push_back(source(0, k));
    return names;
}

void ReshapeSquare(TextArray& grid, const std::vector<std::wstring>& names, SquareFill fill,
                   double patternValue, bool firstOrderAutocorr) {
    const int n = static_cast<int>(names.size()) + 1;
    const int m = std::max(grid.rows(), 1);
    grid.ResizeKeeping(n, n);
    for (int k = m; k < n; ++k) {
        for (int j = 1; j < k; ++j) {
            const double entry = fill == SquareFill::kCorrelation
                                     ? 0.0
                                     : PatternEntry(patternValue, firstOrderAutocorr, k, j);
            // A pattern without a finite entry leaves the new cell uncorrelated.
            grid(k, j) = grid(j, k) = std::isfinite(entry) ? FormatNumber(entry) : L"0";
        }
        grid(k, k) = L"1";
    }
    for (int k = 1; k < n; ++k) grid(k, 0) = grid(0, k) = names[k - 1];
}

void SetVariableCount(TextArray& grid, int count, const std::wstring& headerPattern) {
    const int cols = std::max(count, 0) + 1;
    const int old = grid.cols();
    grid.ResizeKeeping(std::max(grid.rows(), 1), cols);
    for (int k = old; k < cols; ++k) {
        grid(0, k) = Numbered(headerPattern, k);
        for (int r = 1; r < grid.rows(); ++r) grid(r, k) = L"0";
    }
}

namespace {

const std::wstring* CellOf(const TextArray& a, int r, int c) {
    return r >= 0 && r < a.rows() && c >= 0 && c < a.cols() ? &a(r, c) : nullptr;
}

// Grows a record's cells (and labels) to at least rows x cols, keeping them.
void GrowRecord(LabeledMatrix& m, int rows, int cols) {
    rows = std::max(rows, m.cells.rows());
    cols = std::max(cols, m.cells.cols());
    m.cells.ResizeKeeping(rows, cols);
    m.rowLabels.ResizeKeeping(rows, 1);
    m.colLabels.ResizeKeeping(1, cols);
}

}  // namespace

void RmmMeansGrid::Show(int groups, int measurements, const LabeledMatrix& means,
                        const LabeledMatrix& weights) {
    groups = std::max(groups, 1);
    measurements = std::max(measurements, 1);
    texts.Resize(groups + 1, measurements + 2);
    texts(0, 0) = kCorner;
    texts(0, measurements + 1) = kWeightHeader;
    for (int k = 1; k <= measurements; ++k) {
        const std::wstring* label = CellOf(means.colLabels, 0, k - 1);
        texts(0, k) = label && !label->empty() ? *label : Numbered(L"Y %d", k);
    }
    for (int r = 1; r <= groups; ++r) {
        texts(r, 0) = Numbered(L"group %d", r);
        for (int k = 1; k <= measurements; ++k) {
            const std::wstring* cell = CellOf(means.cells, r - 1, k - 1);
            texts(r, k) = cell ? *cell : L"0";
        }
        const std::wstring* weight = CellOf(weights.cells, r - 1, 0);
        texts(r, measurements + 1) = weight ? *weight : L"1";
    }
}

void RmmMeansGrid::Store(LabeledMatrix& means, LabeledMatrix& weights) const {
    const int groups = Groups(), measurements = Measurements();
    if (groups < 1 || measurements < 0) return;
    GrowRecord(means, groups, measurements);
    GrowRecord(weights, groups, 1);
    for (int k = 1; k <= measurements; ++k) means.colLabels(0, k - 1) = texts(0, k);
    weights.colLabels(0, 0) = kWeightHeader;
    for (int r = 1; r <= groups; ++r) {
        means.rowLabels(r - 1, 0) = weights.rowLabels(r - 1, 0) = texts(r, 0);
        for (int k = 1; k <= measurements; ++k) means.cells(r - 1, k - 1) = texts(r, k);
        weights.cells(r - 1, 0) = texts(r, measurements + 1);
    }
    means.EvaluateCells();
    weights.EvaluateCells();
}

void RmmMeansGrid::SetCounts(int groups, int measurements, LabeledMatrix& means,
                             LabeledMatrix& weights) {
    Store(means, weights);
    Show(groups, measurements, means, weights);
}

void GridToRecord(const TextArray& grid, LabeledMatrix& m, VariableTree* table, int firstCol,
                  int lastCol) {
    if (lastCol < 0) lastCol = grid.cols();
    const int rows = std::max(grid.rows() - 1, 0);
    const int cols = std::max(lastCol - firstCol, 0);
    m.cells.Resize(rows, cols);
    m.rowLabels.Resize(rows, 1);
    m.colLabels.Resize(1, cols);
    m.values.resize(rows, cols);
    for (int k = 0; k < cols; ++k) m.colLabels(0, k) = Trimmed(grid(0, firstCol + k));
    for (int r = 0; r < rows; ++r) {
        m.rowLabels(r, 0) = Trimmed(grid(r + 1, 0));
        for (int k = 0; k < cols; ++k) {
            m.cells(r, k) = Trimmed(grid(r + 1, firstCol + k));
            m.values(r, k) = EvaluateCellText(m.cells(r, k), table);
        }
    }
}

void RecordToGrid(const LabeledMatrix& m, TextArray& grid, const std::wstring& corner,
                  const std::wstring& rowPattern, const std::wstring& colPattern) {
    const int rows = std::max(m.values.rows(), m.cells.rows());
    const int cols = std::max(m.values.cols(), m.cells.cols());
    grid.Resize(rows + 1, cols + 1);
    grid(0, 0) = corner;
    for (int r = 1; r <= rows; ++r) {
        const std::wstring* label = CellOf(m.rowLabels, r - 1, 0);
        grid(r, 0) = label && !label->empty() ? *label : Numbered(rowPattern, r);
    }
    for (int k = 1; k <= cols; ++k) {
        const std::wstring* label = CellOf(m.colLabels, 0, k - 1);
        grid(0, k) = label && !label->empty() ? *label : Numbered(colPattern, k);
    }
    for (int r = 1; r <= rows; ++r)
        for (int k = 1; k <= cols; ++k) {
            const std::wstring* cell = CellOf(m.cells, r - 1, k - 1);
            if (cell)
                grid(r, k) = *cell;
            else if (r - 1 < m.values.rows() && k - 1 < m.values.cols())
                grid(r, k) = FormatNumber(m.values(r - 1, k - 1));
            else
                grid(r, k) = L"0";
        }
}

std::optional<std::wstring> ConvertSigmaGrid(TextArray& grid, bool toCovariances,
                                             VariableTree* table) {
    const int p = std::min(grid.rows(), grid.cols()) - 1;
    if (p < 1) return std::nullopt;
    Matrix values(p, p);
    std::vector<std::wstring> labels;
    for (int i = 0; i < p; ++i) {
        const std::wstring label = Trimmed(grid(i + 1, 0));
        labels.push_back(label.empty() ? Numbered(L"variable %d", i + 1) : label);
        for (int j = 0; j < p; ++j) values(i, j) = EvaluateCellText(grid(i + 1, j + 1), table);
    }
    auto pair = [&](int i, int j) { return i == j ? labels[i] : labels[i] + L" and " + labels[j]; };
    // Only the diagonal and the lower triangle are read.
    for (int i = 0; i < p; ++i)
        for (int j = 0; j <= i; ++j)
            if (!std::isfinite(values(i, j)))
                return L"The cell of " + pair(i, j) + L" holds " + FormatNumber(values(i, j)) +
                       L", not a finite number:\nthe matrix cannot be converted.";
    const std::optional<std::wstring> failure = toCovariances
                                                    ? ConvertSdCorrToCovariance(values, labels)
                                                    : ConvertCovarianceToSdCorr(values, labels);
    if (failure) return failure;
    // Standard deviations near the largest double have covariances beyond it.
    for (int i = 0; i < p; ++i)
        for (int j = 0; j <= i; ++j)
            if (!std::isfinite(values(i, j)))
                return std::wstring(i == j ? L"The variance of " : L"The covariance of ") +
                       pair(i, j) +
                       L" is too large to be computed:\nthe matrix cannot be shown as "
                       L"covariances.";
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) grid(i + 1, j + 1) = FormatNumber(values(i, j));
    return std::nullopt;
}

namespace {

// "P 2 and P 1 (row 2, column 1) hold 1.5": the cell a message is about.
std::wstring NameCell(const TextArray& grid, int r, int c, double value) {
    const std::wstring row = Trimmed(grid(r, 0)), col = Trimmed(grid(0, c));
    return L"\n" + (row.empty() ? Numbered(L"row %d", r) : row) + L", " +
           (col.empty() ? Numbered(L"column %d", c) : col) + L": " + FormatNumber(value);
}

}  // namespace

std::optional<GridProblem> FindNonFiniteCell(const TextArray& grid, VariableTree* table,
                                             int firstCol, int lastCol) {
    if (lastCol < 0 || lastCol > grid.cols()) lastCol = grid.cols();
    for (int r = 1; r < grid.rows(); ++r)
        for (int c = std::max(firstCol, 1); c < lastCol; ++c) {
            const double v = EvaluateCellText(Trimmed(grid(r, c)), table);
            if (!std::isfinite(v))
                return GridProblem{
                    L"At least one cell does not hold a finite number:" + NameCell(grid, r, c, v),
                    r, c};
        }
    return std::nullopt;
}

std::optional<GridProblem> ValidatePredictorOutcome(const TextArray& grid, VariableTree* table) {
    for (int r = 1; r < grid.rows(); ++r)
        for (int c = 1; c < grid.cols(); ++c) {
            const double v = EvaluateCellText(Trimmed(grid(r, c)), table);
            if (!(-1.0 <= v && v <= 1.0))
                return GridProblem{
                    L"At least one correlation between predictor and output\nis "
                    L"outside the admissible range [-1,1]!" +
                        NameCell(grid, r, c, v),
                    r, c};
        }
    return std::nullopt;
}

std::optional<GridProblem> ValidatePredictorCorrelations(const TextArray& grid,
                                                         VariableTree* table) {
    const int p = std::min(grid.rows(), grid.cols()) - 1;
    if (p < 1) return std::nullopt;
    Matrix R(p, p);
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j) R(i, j) = EvaluateCellText(Trimmed(grid(i + 1, j + 1)), table);
    for (int i = 1; i < p; ++i)
        for (int j = 0; j < i; ++j)
            if (!(-1.0 <= R(i, j) && R(i, j) <= 1.0))
                return GridProblem{
                    L"At least one correlation between predictors\nis outside the "
                    L"admissible range [-1,1]!" +
                        NameCell(grid, i + 1, j + 1, R(i, j)),
                    i + 1, j + 1};
    if (!IsPositiveSemiDefinite(R))
        return GridProblem{
            L"The correlation matrix is not valid,\nthat is not positive semi-definite."};
    return std::nullopt;
}

RSquared ComputeRSquared(const Matrix& outcomeCorrelations, const Matrix& predictorCorrelations) {
    RSquared result;
    const int p = predictorCorrelations.rows();
    if (p != predictorCorrelations.cols() || outcomeCorrelations.rows() != 1 ||
        outcomeCorrelations.cols() != p || p == 0) {
        result.message = L"The predictor correlations do not match the predictors.";
        return result;
    }
    Matrix inverse;
    CopyMatrix(predictorCorrelations, inverse);
    try {
        InvertMatrix(inverse);
    } catch (const QuorixError&) {
        result.message =
            L"The correlation matrix between predictors is singular:\n"
            L"R$^2$ cannot be computed.";
        return result;
    }
    double r2 = 0.0;
    for (int i = 0; i < p; ++i)
        for (int j = 0; j < p; ++j)
            r2 += outcomeCorrelations(0, i) * inverse(i, j) * outcomeCorrelations(0, j);
    result.text = FormatNumber(r2, L"%lf");
    if (!(0.0 <= r2 && r2 <= 1.0)) {
        result.message = L"Coefficient R$^2$ (=" + result.text + L") out of admissible range [0,1]";
        return result;
    }
    result.value = r2;
    return result;
}
