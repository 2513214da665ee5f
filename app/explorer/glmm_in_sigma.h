#pragma once

#include <QPointer>
#include <optional>
#include <string>

#include "app/explorer/glmm_tab_form.h"
#include "app/matrix/matrix_view_sigma.h"

// The "Cov Sigma" tab: the choice between covariances and standard
// deviations with correlations above the covariance grid. Choosing the other
// entry converts the grid; a matrix that cannot be converted is reported and
// stays as it was, with its entry.
class CGLMM_In_Sigma : public CGLMMTabForm {
  public:
    static constexpr int kModeList = 1038;

    CGLMM_In_Sigma();

    void OnInitialUpdate() override;
    // The record's Σ, and its mode in the list.
    void ShowDocument() override;
    void CommitEdits() override;
    CMatrixView* View() const override { return view_; }
    CMatrixViewSigma* SigmaView() const { return view_; }

    // Σ as covariances, whichever entry is chosen; the reason when the
    // standard deviations and correlations do not make a covariance matrix.
    std::optional<std::wstring> GetSigma(LabeledMatrix& m);

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    QPointer<CMatrixViewSigma> view_;
};

// The table of the covariance tab (dialog 177).
platform::DialogTemplate SigmaTabTemplate();
