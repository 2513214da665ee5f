#pragma once

#include <optional>
#include <string>

#include "app/matrix/matrix_view.h"
#include "glm/covariance.h"

class PowerGLMM;
class CMatrixViewMeans;

// The covariance grid Σ: the responses in the header row and column, the
// mode in the corner, covariances (or standard deviations and correlations)
// in the body. The diagonal and the cells below it are typed; an edit below
// the diagonal shows in its mirror cell above it.
class CMatrixViewSigma : public CMatrixView {
  public:
    void SetModel(PowerGLMM* model) { model_ = model; }

    void InitGrid() override;
    void FormatGrid() override;
    // A loaded grid; its corner text tells the mode of its body.
    void MatrixToGrid(const LabeledMatrix& m) override;
    // One variable per response column of the means grid, named like it.
    void SyncWithMeans(CMatrixViewMeans& means);
    // Shows the body in the other mode; on a failure nothing changes and
    // the reason is returned.
    std::optional<std::wstring> SetMode(SigmaGrid::Mode mode);
    SigmaGrid::Mode GetMode() const { return sigma_.GetMode(); }
    // Σ as covariances in either mode, or the reason it cannot be had.
    std::optional<std::wstring> GetSigma(LabeledMatrix& m);
    const SigmaGrid& Content();

    long OnGridNotify(const GridNotify& note) override;

  private:
    void Show();

    PowerGLMM* model_ = nullptr;
    SigmaGrid sigma_;
};
