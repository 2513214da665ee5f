#include "glm/explorer_model.h"

#include <cmath>
#include <exception>
#include <functional>
#include <string>

#include "glm/model/power_glmm.h"
#include "numerics/cancel.h"

namespace {

LabeledMatrix WithCells(const TextArray& cells) {
    LabeledMatrix m;
    m.cells = cells;
    return m;
}

std::wstring Narrow(const char* text) {
    const std::string what = text;
    return std::wstring(what.begin(), what.end());
}

// The first cell of `m` that is not a finite number, as a problem placed on
// its grid cell (headers counted; `firstCol` is the grid column of m's
// first column).
std::optional<ExplorerModel::Problem> NonFiniteCell(const LabeledMatrix& m, const wchar_t* grid,
                                                    ExplorerModel::Problem::Place place,
                                                    int firstCol) {
    for (int r = 0; r < m.values.rows(); ++r)
        for (int c = 0; c < m.values.cols(); ++c)
            if (!std::isfinite(m.values(r, c)))
                return ExplorerModel::Problem{L"The tab \"" + std::wstring(grid) + L"\" holds " +
                                                  FormatNumber(m.values(r, c)) + L" in row " +
                                                  std::to_wstring(r + 1) + L", column " +
                                                  std::to_wstring(c + 1) +
                                                  L": every cell must be a finite number.",
                                              place, r + 1, c + firstCol};
    return std::nullopt;
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// The first body cell of `grid` in rows 1.. and columns firstCol ..
// lastCol - 1 whose text is no number, as a problem placed on it; the
// message names the cell as `message` does.
std::optional<ExplorerModel::Problem> TextThatIsNoNumber(
    const TextArray& grid, int firstCol, int lastCol, ExplorerModel::Problem::Place place,
    const std::function<std::wstring(int row, int col, const std::wstring& text)>& message) {
    for (int r = 1; r < grid.rows(); ++r)
        for (int c = firstCol; c < lastCol && c < grid.cols(); ++c)
            if (!IsNumberText(grid(r, c)))
                return ExplorerModel::Problem{message(r, c, Trimmed(grid(r, c))), place, r, c};
    return std::nullopt;
}

// A cell of a tab named as NonFiniteCell names it.
std::function<std::wstring(int, int, const std::wstring&)> CellOfTab(const wchar_t* tab,
                                                                     int firstCol) {
    return [tab, firstCol](int r, int c, const std::wstring& text) {
        return L"The tab \"" + std::wstring(tab) + L"\" holds " + Quoted(text) + L" in row " +
               std::to_wstring(r) + L", column " + std::to_wstring(c - firstCol + 1) +
               L": every cell must be a finite number.";
    };
}

TextArray TrimmedTexts(const TextArray& texts) {
    TextArray out = texts;
    for (int r = 0; r < out.rows(); ++r)
        for (int c = 0; c < out.cols(); ++c) out(r, c) = Trimmed(out(r, c));
    return out;
}

}  // namespace

ExplorerModel::ExplorerModel(int cells, int predictors, int responses) {
    design.Init(cells, predictors);
    means.Init(predictors, responses);
    sigma.Init(responses);
    predContrasts.Init(predictors);
    varContrasts.Init(responses);
}

void ExplorerModel::Follow(Grid grid) {
    switch (grid) {
        case kMeans:
            means.SyncWithDesign(design.PredictorLabels());
            break;
        case kSigma:
            sigma.SyncWithMeans(means.ResponseLabels());
            break;
        case kPredContrasts:
            predContrasts.FollowColumns(design.PredictorLabels());
            break;
        case kVarContrasts:
            varContrasts.FollowColumns(means.ResponseLabels());
            break;
        case kDesign:
            break;
    }
}

ModelFileGrids ExplorerModel::ToFileGrids() const {
    ModelFileGrids grids;
    grids.design = TrimmedTexts(design.texts);
    grids.means = TrimmedTexts(means.texts);
    grids.sigma = TrimmedTexts(sigma.texts);
    LabeledMatrix m;
    predContrasts.ToMatrix(m);
    grids.predContrasts = m.cells;
    varContrasts.ToMatrix(m);
    grids.varContrasts = m.cells;
    return grids;
}

void ExplorerModel::TakeFileGrids(const ModelFileGrids& grids) {
    design.texts = grids.design;
    means.texts = grids.means;
    sigma.Load(grids.sigma);
    predContrasts.FromMatrix(WithCells(grids.predContrasts));
    varContrasts.FromMatrix(WithCells(grids.varContrasts));
}

std::optional<std::wstring> ExplorerModel::Load(const std::string& bytes) {
    ModelFileGrids grids;
    if (auto problem = ReadModelFile(bytes, grids)) return problem;
    TakeFileGrids(grids);
    return std::nullopt;
}

std::optional<std::wstring> ExplorerModel::Save(std::string* bytes) const {
    const ModelFileGrids grids = ToFileGrids();
    if (auto problem = CheckModelTexts(grids)) return problem;
    *bytes = WriteModelFile(grids);
    return std::nullopt;
}

std::optional<ExplorerModel::Problem> ExplorerModel::FindCellThatIsNoNumber() const {
    const int weights = design.WeightColumn();
    if (auto problem = TextThatIsNoNumber(design.texts, 1, weights, Problem::kDesign,
                                          CellOfTab(L"Design X", 1)))
        return problem;
    if (auto problem = TextThatIsNoNumber(
            design.texts, weights, weights + 1, Problem::kDesign,
            [this](int r, int, const std::wstring& text) {
                return L"The sample-size weight of " + Quoted(Trimmed(design.texts(r, 0))) +
                       L" is " + Quoted(text) + L": a weight is a relative group size, 0 or more.";
            }))
        return problem;
    if (auto problem = TextThatIsNoNumber(means.texts, 1, means.Cols(), Problem::kMeans,
                                          CellOfTab(L"Means B", 1)))
        return problem;
    return TextThatIsNoNumber(sigma.texts, 1, sigma.Rows(), Problem::kSigma,
                              CellOfTab(L"Cov Sigma", 1));
}

std::optional<ExplorerModel::Problem> ExplorerModel::Calculate(
    PowerGLMM& model, std::vector<ReportBlock>& blocks) const {
    blocks.clear();
    try {
        return CalculateInto(model, blocks);
    } catch (const CancelledError&) {
        blocks.clear();
        throw;
    } catch (const std::exception& e) {
        blocks.clear();
        return Problem{L"The model could not be computed: " + Narrow(e.what()), Problem::kModel};
    }
}

std::optional<ExplorerModel::Problem> ExplorerModel::CalculateInto(
    PowerGLMM& model, std::vector<ReportBlock>& blocks) const {
    ReportSettings read;
    if (const auto problem = ReadReportSettings(settings, &read))
        return Problem{*problem, Problem::kSettings};

    if (auto problem = FindCellThatIsNoNumber()) return problem;
    LabeledMatrix X, W, B, Sigma;
    design.GetDesignMatrix(X);
    design.GetCellWeights(W);
    means.GetMeans(B);
    if (auto problem = NonFiniteCell(X, L"Design X", Problem::kDesign, 1)) return problem;
    for (int i = 0; i < W.values.rows() && W.values.cols() > 0; ++i) {
        const double w = W.values(i, 0);
        if (std::isfinite(w) && w >= 0.0) continue;
        const std::wstring cell = i < W.rowLabels.rows() && W.rowLabels.cols() > 0
                                      ? W.rowLabels(i, 0)
                                      : std::to_wstring(i + 1);
        return Problem{L"The sample-size weight of \"" + cell + L"\" is " + FormatNumber(w) +
                           L": a weight is a relative group size, 0 or more.",
                       Problem::kDesign, i + 1, design.WeightColumn()};
    }
    if (auto problem = NonFiniteCell(B, L"Means B", Problem::kMeans, 1)) return problem;
    if (const auto problem = sigma.CheckMirror())
        return Problem{problem->message, Problem::kSigma, problem->row + 1, problem->col + 1};
    if (const auto problem = sigma.GetSigma(Sigma)) return Problem{*problem, Problem::kSigma};
    std::vector<std::wstring> responseNames;
    for (int i = 0; i < Sigma.rowLabels.rows(); ++i) responseNames.push_back(Sigma.rowLabels(i, 0));
    if (const auto problem = CheckCovarianceMatrix(Sigma.values, responseNames))
        return Problem{problem->message, Problem::kSigma, problem->row + 1, problem->col + 1};

    PowerContrastList cList, aList;
    predContrasts.BuildContrastList(cList, W.values);
    varContrasts.BuildContrastList(aList, W.values);
    if (const auto problem = SetModelMatrices(model, X, W, B, Sigma))
        return Problem{*problem, Problem::kModel};
    blocks = BuildReport(model, cList, aList, read);
    return std::nullopt;
}
