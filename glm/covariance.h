#pragma once

#include <optional>
#include <string>
#include <vector>

#include "glm/cell_memory.h"
#include "glm/labeled_matrix.h"
#include "numerics/matrix.h"

// How far a correlation computed from a valid matrix may stray past ±1 by
// rounding before it counts as outside [-1, 1]; within it, it becomes ±1.
inline constexpr double kCorrelationSlack = 1e-12;

// Standard deviations on the diagonal and correlations in the lower
// triangle to the full symmetric covariance matrix, or nothing with the
// reason (a negative standard deviation, a correlation outside [-1, 1]).
// `labels` name the variables in the reason. M is changed only on success.
std::optional<std::wstring> ConvertSdCorrToCovariance(Matrix& M,
                                                      const std::vector<std::wstring>& labels);
// The reverse, reading the lower triangle of a covariance matrix: every
// variance must be above 0 and every correlation within [-1, 1] (a
// correlation off by rounding only is set to ±1). M is changed only on success.
std::optional<std::wstring> ConvertCovarianceToSdCorr(Matrix& M,
                                                      const std::vector<std::wstring>& labels);

// True when the symmetric matrix has no eigenvalue below
// -n * 1e-12 * (its largest absolute eigenvalue): a singular matrix that is
// positive semi-definite but for rounding passes.
bool IsPositiveSemiDefinite(const Matrix& M);

// Why a covariance matrix cannot describe any responses, naming the cell
// (body indices from 0, the lower triangle) where the fault shows.
struct CovarianceProblem {
    std::wstring message;
    int row = 0;
    int col = 0;
};
// Σ must hold finite numbers, mirror its lower triangle above the diagonal
// and be positive semi-definite, judged on its correlations so that any
// scale of the variances passes: a negative
// variance, a covariance beyond its two variances (a correlation outside
// [-1, 1]) or a variable whose covariances cannot go with those of the
// variables before it is named; `labels` name the variables. A singular Σ
// passes: what it means depends on the response contrast.
std::optional<CovarianceProblem> CheckCovarianceMatrix(const Matrix& S,
                                                       const std::vector<std::wstring>& labels);

// The cells above the diagonal must mirror those below it (a model file
// may hold others): the first pair that differs or is not finite, placed
// on the cell below the diagonal, which the user types.
std::optional<CovarianceProblem> CheckMirrorCells(const Matrix& S,
                                                  const std::vector<std::wstring>& labels);

// The checks of a correlation matrix typed below its diagonal: the first
// failure's message, or nothing.
std::optional<std::string> CheckCorrelationMatrix(const Matrix& R);

// The content of the covariance grid: (p + 1) x (p + 1), the mode text in
// the corner, the response names in the header row and column, and Σ as
// covariances or as standard deviations with correlations in the body. Only
// the diagonal and the cells below it are typed; the cells above mirror them.
class SigmaGrid {
  public:
    enum Mode : int { kCovariances = 0, kSdAndCorrelation = 1 };

    // p responses: the identity as covariances, headers "Y N".
    void Init(int responses);

    int Rows() const { return texts.rows(); }
    Mode GetMode() const { return mode_; }

    // After the user ended an edit of body cell (row, col): the text is
    // copied to the mirror cell (col, row).
    void MirrorEdit(int row, int col);
    // One variable per response of the means grid, named like it; new
    // variables get "1" on the diagonal and "0" off it, or the texts they had
    // before a smaller means grid removed them.
    void SyncWithMeans(const std::vector<std::wstring>& responseLabels);

    // Takes the texts of a loaded grid as they are; the corner "SD and corr"
    // says that they hold standard deviations and correlations.
    void Load(const TextArray& loaded);

    // Shows the body in the other mode. On a failure the grid and the mode
    // stay as they were and the reason is returned.
    std::optional<std::wstring> SetMode(Mode mode);

    // Σ as covariances, whatever the mode, labelled and evaluated; false with
    // the reason when the standard deviations and correlations cannot be
    // converted (the cells and labels are filled all the same).
    std::optional<std::wstring> GetSigma(LabeledMatrix& m) const;
    // The body's cells above the diagonal against those below, as typed (in
    // either mode); body indices from 0.
    std::optional<CovarianceProblem> CheckMirror() const;

    TextArray texts;

  private:
    void ReadBody(LabeledMatrix& m) const;
    std::vector<std::wstring> Labels() const;

    Mode mode_ = kCovariances;
    CellMemory removed_;
};
