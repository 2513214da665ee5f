#include "glm/explorer_model.h"

#include <exception>

#include "glm/model/power_glmm.h"

namespace {

LabeledMatrix WithCells(const TextArray& cells) {
    LabeledMatrix m;
    m.cells = cells;
    return m;
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
