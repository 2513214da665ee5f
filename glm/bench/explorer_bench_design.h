// The design the explorer's benchmarks run on: g cells with a predictor each
// (X = I) and p responses, means that vary with the cell and the response,
// and Sigma of variances 1 and covariances 0.3. The contrast grids keep the
// tabs' defaults until ContrastsAgainstFirst writes them.
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

// How ContrastsAgainstFirst groups its rows into contrasts.
enum class ContrastRows {
    kOneContrast,    // all rows one contrast of full rank (a = g - 1, b = p - 1)
    kEachRow,        // each row a contrast of its own: (g - 1)(p - 1) pairs
    kResponsePairs,  // each cell row its own, response rows two a contrast
};

// Every cell against the first and every response against the first, one
// row each, grouped into contrasts as `rows` says.
inline void ContrastsAgainstFirst(ExplorerModel& model, int cells, int responses,
                                  ContrastRows rows) {
    for (auto [grid, count] :
         {std::pair{&model.predContrasts, cells}, std::pair{&model.varContrasts, responses}}) {
        const bool pairs = rows == ContrastRows::kResponsePairs && grid == &model.varContrasts;
        for (int r = 1; r < count; ++r) {
            for (int k = 4; k < 4 + count; ++k)
                grid->texts(r, k) = k == 4 ? L"1" : k == 4 + r ? L"-1" : L"0";
            if (rows == ContrastRows::kOneContrast) continue;
            // A label starts a contrast; a row without one adds to the one above.
            grid->texts(r, 1) = !pairs || r % 2 == 1 ? FormatNumber(r, L"c%g") : L"";
        }
        grid->RefreshDerivedColumns();
    }
}
