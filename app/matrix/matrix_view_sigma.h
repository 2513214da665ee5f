#pragma once

#include <optional>
#include <string>

#include "app/matrix/matrix_view.h"
#include "glm/covariance.h"

// The covariance grid Σ: the responses in the header row and column, the
// mode in the corner, covariances (or standard deviations and correlations)
// in the body. The diagonal and the cells below it are typed; an edit below
// the diagonal shows in its mirror cell above it. It shows a Σ that its
// owner keeps (without one, its own of 4 responses).
class CMatrixViewSigma : public CMatrixView {
  public:
    // Set before Create.
    void SetContent(SigmaGrid* sigma) { sigma_ = sigma; }

    void InitGrid() override;
    void FormatGrid() override;
    // A loaded grid; its corner text tells the mode of its body.
    void MatrixToGrid(const LabeledMatrix& m) override;
    // Shows the body in the other mode; on a failure nothing changes and
    // the reason is returned.
    std::optional<std::wstring> SetMode(SigmaGrid::Mode mode);
    SigmaGrid::Mode GetMode() const { return sigma_->GetMode(); }
    // Σ as covariances in either mode, or the reason it cannot be had.
    std::optional<std::wstring> GetSigma(LabeledMatrix& m);
    // The grid's texts as they stand, written into Σ.
    const SigmaGrid& Content();
    // The grid shows Σ as it is.
    void Show();

    long OnGridNotify(const GridNotify& note) override;

  private:
    SigmaGrid own_;
    SigmaGrid* sigma_ = &own_;
};
