#pragma once

#include <optional>
#include <string>
#include <vector>

#include "glm/contrast_list.h"
#include "glm/covariance.h"
#include "glm/design.h"
#include "glm/explorer_report.h"
#include "glm/model_file.h"

class PowerGLMM;

// The model the explorer edits, as plain data: the five grids (design X,
// means B, covariance Σ, predictor and response contrasts) and the General
// tab's texts. The tabs show and edit it, the model file keeps its grids,
// and Calculate is its own: the whole path from texts to report runs and is
// tested without a window.
struct ExplorerModel {
    // Why Calculate computed nothing, and where the user should look: a tab
    // of the explorer and, on the covariance tab, the grid cell (row, col,
    // headers counted) or none (-1).
    struct Problem {
        enum Place { kSettings, kSigma, kModel };
        std::wstring message;
        Place place = kModel;
        int row = -1;
        int col = -1;
    };

    // The standard model of the explorer's opener: 5 cells, 3 predictors,
    // 4 responses, default contrasts, α 0.05, power 0.80, N 24, post hoc.
    ExplorerModel() : ExplorerModel(5, 3, 4) {}
    ExplorerModel(int cells, int predictors, int responses);

    // The grids as the model file keeps them, and back. Taking file grids
    // changes no count or text beyond what the file holds.
    ModelFileGrids ToFileGrids() const;
    void TakeFileGrids(const ModelFileGrids& grids);

    // The settings read, Σ checked, the matrices set into `model` and the
    // report built for every pair of used contrasts; or the first reason
    // nothing can be computed, with `blocks` left empty.
    std::optional<Problem> Calculate(PowerGLMM& model, std::vector<ReportBlock>& blocks) const;

    DesignGrid design;
    MeansGrid means;
    SigmaGrid sigma;
    ContrastGrid predContrasts{ContrastKind::kPredictors};
    ContrastGrid varContrasts{ContrastKind::kVariables};
    ReportSettingsTexts settings;
};
