#include "glm/explorer_model.h"

#include <exception>

#include "glm/model/power_glmm.h"

namespace {

LabeledMatrix WithCells(const TextArray& cells) {
    LabeledMatrix m;
    m.cells = cells;
    return m;
}

}  // namespace

ExplorerModel::ExplorerModel(int cells, int predictors, int responses) {
    design.Init(cells, predictors);
    means.Init(predictors, responses);
    sigma.Init(responses);
    predContrasts.Init(predictors);
    varContrasts.Init(responses);
}

ModelFileGrids ExplorerModel::ToFileGrids() const {
    ModelFileGrids grids;
    grids.design = design.texts;
    grids.means = means.texts;
    grids.sigma = sigma.texts;
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

std::optional<ExplorerModel::Problem> ExplorerModel::Calculate(
    PowerGLMM& model, std::vector<ReportBlock>& blocks) const {
    blocks.clear();
    ReportSettings read;
    if (const auto problem = ReadReportSettings(settings, &read))
        return Problem{*problem, Problem::kSettings};

    LabeledMatrix X, W, B, Sigma;
    design.GetDesignMatrix(X);
    design.GetCellWeights(W);
    means.GetMeans(B);
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
    try {
        blocks = BuildReport(model, cList, aList, read);
    } catch (const std::exception& e) {
        const std::string what = e.what();
        blocks.clear();
        return Problem{
            L"The model could not be computed: " + std::wstring(what.begin(), what.end()),
            Problem::kModel};
    }
    return std::nullopt;
}
