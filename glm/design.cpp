#include "glm/design.h"

#include <algorithm>

void DesignGrid::Init(int cells, int predictors) {
    cells = std::max(cells, 1);
    predictors = std::max(predictors, 1);
    texts.Resize(cells + 1, predictors + 2);
    removed_.Forget();
    texts(0, 0) = L"cell\\pred";
    for (int r = 1; r <= cells; ++r) texts(r, 0) = Numbered(L"cell %d", r);
    for (int k = 1; k <= predictors; ++k) texts(0, k) = Numbered(L"pred %d", k);
    texts(0, predictors + 1) = L"ssize weight";
    for (int r = 1; r <= cells; ++r) {
        for (int k = 1; k <= predictors; ++k) texts(r, k) = FormatNumber(0.0);
        texts(r, predictors + 1) = L"1";
    }
}

void DesignGrid::SetDimensions(int rows, int weightColumn) {
    rows = std::max(rows, 2);
    weightColumn = std::max(weightColumn, 2);
    while (Rows() > rows) {
        const int last = Rows() - 1;
        for (int k = 0; k < Cols(); ++k) removed_.Remember(last, KeyOf(k), texts(last, k));
        texts.ResizeKeeping(last, Cols());
    }
    while (Rows() < rows) {
        const int r = Rows();
        texts.ResizeKeeping(r + 1, Cols());
        texts(r, 0) = removed_.Recall(r, 0, Numbered(L"cell %d", r));
        for (int k = 1; k < WeightColumn(); ++k) texts(r, k) = removed_.Recall(r, k, L"0");
        texts(r, WeightColumn()) = removed_.Recall(r, kWeightKey, L"1");
    }
    while (WeightColumn() > weightColumn) {
        const int k = WeightColumn() - 1;
        for (int r = 0; r < Rows(); ++r) removed_.Remember(r, k, texts(r, k));
        texts.DeleteColumn(k);
    }
    while (WeightColumn() < weightColumn) {
        const int k = WeightColumn();
        texts.InsertColumn(k);
        texts(0, k) = removed_.Recall(0, k, Numbered(L"pred %d", k));
        for (int r = 1; r < Rows(); ++r) texts(r, k) = removed_.Recall(r, k, L"0");
    }
}

void DesignGrid::GetDesignMatrix(LabeledMatrix& m) const {
    const int cells = CellCount(), predictors = PredictorCount();
    m.colLabels.Resize(1, predictors);
    m.rowLabels.Resize(cells, 1);
    m.cells.Resize(cells, predictors);
    for (int k = 0; k < predictors; ++k) m.colLabels(0, k) = Trimmed(texts(0, k + 1));
    for (int r = 0; r < cells; ++r) {
        m.rowLabels(r, 0) = Trimmed(texts(r + 1, 0));
        for (int k = 0; k < predictors; ++k) m.cells(r, k) = Trimmed(texts(r + 1, k + 1));
    }
    m.EvaluateCells();
}

void DesignGrid::GetCellWeights(LabeledMatrix& m) const {
    const int cells = CellCount();
    m.colLabels.Resize(1, 1);
    m.colLabels(0, 0) = Trimmed(texts(0, WeightColumn()));
    m.rowLabels.Resize(cells, 1);
    m.cells.Resize(cells, 1);
    for (int r = 0; r < cells; ++r) {
        m.rowLabels(r, 0) = Trimmed(texts(r + 1, 0));
        m.cells(r, 0) = Trimmed(texts(r + 1, WeightColumn()));
    }
    m.EvaluateCells();
}

std::vector<std::wstring> DesignGrid::PredictorLabels() const {
    std::vector<std::wstring> labels;
    for (int k = 1; k < WeightColumn(); ++k) labels.push_back(texts(0, k));
    return labels;
}

void MeansGrid::Init(int predictors, int responses) {
    predictors = std::max(predictors, 1);
    responses = std::max(responses, 1);
    texts.Resize(predictors + 1, responses + 1);
    removed_.Forget();
    texts(0, 0) = L"pred\\var";
    for (int r = 1; r <= predictors; ++r) texts(r, 0) = Numbered(L"pred %d", r);
    for (int j = 1; j <= responses; ++j) texts(0, j) = Numbered(L"Y %d", j);
    for (int r = 1; r <= predictors; ++r)
        for (int j = 1; j <= responses; ++j) texts(r, j) = FormatNumber(0.0);
}

void MeansGrid::SetResponses(int responses) {
    const int target = std::max(responses, 1) + 1;
    while (Cols() > target) {
        const int last = Cols() - 1;
        for (int r = 0; r < Rows(); ++r) removed_.Remember(r, last, texts(r, last));
        texts.DeleteColumn(last);
    }
    while (Cols() < target) {
        const int k = Cols();
        texts.InsertColumn(k);
        texts(0, k) = removed_.Recall(0, k, Numbered(L"Y %d", k));
        for (int r = 1; r < Rows(); ++r) texts(r, k) = removed_.Recall(r, k, L"0");
    }
}

void MeansGrid::SyncWithDesign(const std::vector<std::wstring>& predictorLabels) {
    const int target = std::max(static_cast<int>(predictorLabels.size()), 1) + 1;
    while (Rows() > target) {
        const int last = Rows() - 1;
        for (int k = 1; k < Cols(); ++k) removed_.Remember(last, k, texts(last, k));
        texts.ResizeKeeping(last, Cols());
    }
    while (Rows() < target) {
        const int r = Rows();
        texts.ResizeKeeping(r + 1, Cols());
        for (int k = 1; k < Cols(); ++k) texts(r, k) = removed_.Recall(r, k, L"0");
    }
    // The rows are the design's predictors: they carry its names.
    for (int r = 1; r < Rows() && r - 1 < static_cast<int>(predictorLabels.size()); ++r)
        texts(r, 0) = predictorLabels[r - 1];
}

void MeansGrid::GetMeans(LabeledMatrix& m) const {
    const int rows = Rows() - 1, cols = Cols() - 1;
    m.colLabels.Resize(1, cols);
    m.rowLabels.Resize(rows, 1);
    m.cells.Resize(rows, cols);
    for (int j = 0; j < cols; ++j) m.colLabels(0, j) = Trimmed(texts(0, j + 1));
    for (int r = 0; r < rows; ++r) {
        m.rowLabels(r, 0) = Trimmed(texts(r + 1, 0));
        for (int j = 0; j < cols; ++j) m.cells(r, j) = Trimmed(texts(r + 1, j + 1));
    }
    m.EvaluateCells();
}

std::vector<std::wstring> MeansGrid::ResponseLabels() const {
    std::vector<std::wstring> labels;
    for (int j = 1; j < Cols(); ++j) labels.push_back(texts(0, j));
    return labels;
}
