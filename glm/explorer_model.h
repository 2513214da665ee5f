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
// tab's texts. It is the explorer's document: the model file is read into it
// and written from it, the tabs show it and write the user's edits into it,
// and Calculate takes it. The whole path from file or texts to report runs
// and is tested without a window.
struct ExplorerModel {
    // The grids, in the model file's order.
    enum Grid { kDesign, kMeans, kSigma, kPredContrasts, kVarContrasts };

    // Why Calculate computed nothing, and where the user should look: a tab
    // of the explorer and, on the design, means and covariance tabs, the
    // grid cell (row, col, headers counted) or none (-1).
    struct Problem {
        enum Place { kSettings, kSigma, kModel, kDesign, kMeans };
        std::wstring message;
        Place place = kModel;
        int row = -1;
        int col = -1;
    };

    // The standard model of the explorer's opener: 5 cells, 3 predictors,
    // 4 responses, default contrasts, α 0.05, power 0.80, N 24, post hoc.
    ExplorerModel() : ExplorerModel(5, 3, 4) {}
    ExplorerModel(int cells, int predictors, int responses);

    int Cells() const { return design.CellCount(); }
    int Responses() const { return means.Cols() - 1; }

    // Brings `grid` in step with the grid it follows: the means' rows with
    // the design's predictors, Σ with the means' responses, each contrast
    // grid's coefficient columns with the predictors or the responses. The
    // design follows nothing.
    void Follow(Grid grid);

    // The grids as the model file keeps them (texts trimmed), and back.
    // Taking file grids changes no count or text beyond what the file holds.
    ModelFileGrids ToFileGrids() const;
    void TakeFileGrids(const ModelFileGrids& grids);

    // The grids from the bytes of a model file; on a fault the reason, naming
    // the block, and the record untouched. The settings stay as they are.
    std::optional<std::wstring> Load(const std::string& bytes);
    // The bytes of the model file that keeps the grids; or why a text cannot
    // be kept in one (naming the block and the cell), and `bytes` untouched.
    std::optional<std::wstring> Save(std::string* bytes) const;

    // The settings read, the cells of X, the weights, B and Σ checked (a
    // model file may hold what the tabs would not let through), the matrices
    // set into `model` and the report built for every pair of used
    // contrasts; or the first reason nothing can be computed, with `blocks`
    // left empty. Nothing the computation throws leaves it but the
    // CancelledError of the thread's CancelCheck (a search polls it).
    std::optional<Problem> Calculate(PowerGLMM& model, std::vector<ReportBlock>& blocks) const;

    // The first cell of X, the weights, B or Σ that is read as a number but
    // does not hold one wholly ("abc", "0.3x", "nan", an empty text; see
    // IsNumberText), placed on its grid cell: a model file may hold what
    // would otherwise compute as 0 or as its numeric start without a word.
    std::optional<Problem> FindCellThatIsNoNumber() const;

  private:
    std::optional<Problem> CalculateInto(PowerGLMM& model, std::vector<ReportBlock>& blocks) const;

  public:
    DesignGrid design;
    MeansGrid means;
    SigmaGrid sigma;
    ContrastGrid predContrasts{ContrastKind::kPredictors};
    ContrastGrid varContrasts{ContrastKind::kVariables};
    ReportSettingsTexts settings;
};
