// The design the explorer's benchmarks run on: g cells with a predictor each
// (X = I) and p responses, means that vary with the cell and the response,
// and Sigma of variances 1 and covariances 0.3. The contrast grids keep the
// tabs' defaults; each benchmark writes the contrasts it measures.
#pragma once

#include "glm/explorer_model.h"
#include "glm/labeled_matrix.h"

inline ExplorerModel BenchmarkDesign(int cells, int responses) {
    ExplorerModel model(cells, cells, responses);
    for (int i = 1; i <= cells; ++i)
        for (int j = 1; j <= cells; ++j) model.design.texts(i, j) = i == j ? L"1" : L"0";
    model.Follow(ExplorerModel::kMeans);
    model.Follow(ExplorerModel::kSigma);
    model.Follow(ExplorerModel::kPredContrasts);
    model.Follow(ExplorerModel::kVarContrasts);
    for (int i = 1; i <= cells; ++i)
        for (int j = 1; j <= responses; ++j)
            model.means.texts(i, j) = FormatNumber(0.3 * (i % 3) + 0.1 * j * (i % 2));
    for (int i = 1; i <= responses; ++i)
        for (int j = 1; j <= responses; ++j) model.sigma.texts(i, j) = i == j ? L"1" : L"0.3";
    return model;
}
