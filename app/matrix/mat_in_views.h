#pragma once

#include <optional>
#include <string>

#include "app/matrix/matrix_view.h"
#include "app/matrix/matrix_view_means.h"
#include "app/matrix/matrix_view_sigma.h"
#include "glm/matrix_input.h"

// The grids of the matrix input forms. Each shows the record its dialog bound
// before the form was created; the rules live in glm/matrix_input.h, the
// views only carry the texts between them and the grid.

// Mean vectors: one row per group "group N", one column per response whose
// name may be typed into the header row.
class CMatInMeansView : public CMatrixViewMeans {
  public:
    void Bind(const LabeledMatrix* record, int groups, int responses);
    void InitGrid() override;
    // `count` response columns: new ones "Y N" with "0", surplus ones removed.
    void SetResponseCount(int count);
    TextArray Texts() const;

  private:
    const LabeledMatrix* record_ = nullptr;
    int groups_ = 2;
    int responses_ = 5;
};

// The correlations of the predictors with the outcome: one row, one column
// per predictor whose name may be typed; values beyond ±1 become ±1 when an
// edit ends.
class CMatInPredYCorrView : public CMatrixViewMeans {
  public:
    void Bind(const LabeledMatrix* record, int predictors);
    void InitGrid() override;
    void SetPredictorCount(int count);
    TextArray Texts() const;
    std::optional<GridProblem> ValidateMatrix() const;

    long OnGridNotify(const GridNotify& note) override;

  private:
    const LabeledMatrix* record_ = nullptr;
    int predictors_ = 5;
};

// Group means over repeated measurements with a last column of sample-size
// weights; the records keep what a smaller count removes.
class CMatInRMMMeansView : public CMatrixView {
  public:
    void Bind(LabeledMatrix* means, LabeledMatrix* weights, int groups, int measurements);
    void InitGrid() override;
    void FormatGrid() override;
    // Stores the grid into the records, then shows the new counts.
    void Resize(int groups, int measurements);
    TextArray Texts() const;
    // The grid into the bound records (means without the weights, weights
    // alone), evaluated.
    void StoreRecords();

    long OnGridNotify(const GridNotify& note) override;

  private:
    void Show();

    LabeledMatrix* means_ = nullptr;
    LabeledMatrix* weights_ = nullptr;
    RmmMeansGrid grid_;
    int groups_ = 2;
    int measurements_ = 5;
};

// The correlations between the predictors: only the cells below the diagonal
// are typed; an edit is clamped to [-1, 1] and copied to its mirror cell.
class CMatInCorrView : public CMatrixView {
  public:
    void Bind(const LabeledMatrix* record) { record_ = record; }
    void InitGrid() override;
    void FormatGrid() override;
    // One variable per predictor of the predictor-outcome grid, named like it.
    void SetPredictorLabels(const CMatInPredYCorrView& predictors);
    TextArray Texts() const;
    std::optional<GridProblem> ValidateMatrix();
    VariableTree* Variables() { return &variables_; }

    long OnGridNotify(const GridNotify& note) override;

  private:
    const LabeledMatrix* record_ = nullptr;
    MatrixInputVariables variables_;
};

// What the covariance forms tell their grid: the mode and the pattern that
// fills new variables.
struct SigmaPattern {
    bool covarianceMode = true;
    bool setPattern = false;
    bool firstOrderAutocorr = true;
    double patternValue = 0.6;
};

// The covariance matrix over the variables of the means grid, as covariances
// or as standard deviations with correlations; the cells below the diagonal
// are typed and mirrored.
class CMatInSigmaView : public CMatrixViewSigma {
  public:
    void Bind(const LabeledMatrix* record, const SigmaPattern* pattern) {
        record_ = record;
        pattern_ = pattern;
    }
    void InitGrid() override;
    // One variable per column of the means grid (up to `variables`), named
    // like it; new ones are filled from the pattern.
    void SetVariableLabels(const TextArray& means, int variables);
    void SetVariableLabels(const CMatInMeansView& means);
    TextArray Texts() const;
    // The grid takes `texts` (same shape or new), re-styled and auto-sized.
    void SetTexts(const TextArray& texts);
    VariableTree* Variables() { return &variables_; }

  private:
    const LabeledMatrix* record_ = nullptr;
    const SigmaPattern* pattern_ = nullptr;
    MatrixInputVariables variables_;
};

// The same grid for the repeated-measures dialog, over the measurements (the
// means grid without its weight column).
class CMatInRMMSigmaView : public CMatInSigmaView {
  public:
    void SetVariableLabels(const CMatInRMMMeansView& means);
};
