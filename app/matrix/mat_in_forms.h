#pragma once

#include <QPointer>

#include "app/matrix/mat_in_views.h"
#include "app/widgets/form_view_ex.h"

class SpinButtons;

// What the six matrix input forms share: a placeholder (control 1109) that
// their grid view fills, a few controls above it, and the fitting of both to
// the dialog's page area. The dialog binds the records and the counts before
// it creates the form; the forms own no data.
class CMatInForm : public CFormViewEx {
  public:
    static constexpr int kPlaceholderId = 1109;

    using CFormViewEx::CFormViewEx;

    // The form fills its parent; the placeholder keeps its top and ends 5
    // pixels before the parent's left, right and bottom edges.
    void FitToParent() override;
    virtual CMatrixView* View() const = 0;

  protected:
    void CreateView(CMatrixView* view);
    // A spin of range 1 .. 50 beside the count edit `editId` in area `areaId`.
    SpinButtons* MakeSpin(int editId, int areaId);
    // The count typed in full in `editId`, within 1 .. 50, or -1.
    int ReadCount(int editId) const;
};

class CMatInSigma;
class CMatInCorr;
class CMatInRMMSigma;

// "Means": the number of responses above the grid of mean vectors. A count
// the user changes re-shapes the grid and the covariance page.
class CMatInMeans : public CMatInForm {
  public:
    static constexpr int kCountEdit = 1002;
    static constexpr int kCountSpin = 1113;

    CMatInMeans();
    void OnInitialUpdate() override;
    CMatrixView* View() const override { return view_; }
    CMatInMeansView* MeansView() const { return view_; }
    SpinButtons* Spin() const { return spin_; }

    CMatInSigma* partner = nullptr;
    const LabeledMatrix* means = nullptr;
    int responseCount = 5;
    int committedResponseCount = 5;
    int groupCount = 2;

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    void CountEdited();

    QPointer<CMatInMeansView> view_;
    SpinButtons* spin_ = nullptr;
};

// "Corr between predictors and outcome": the number of predictors above the
// one-row grid of their correlations with the outcome.
class CMatInPredYCorr : public CMatInForm {
  public:
    static constexpr int kCountEdit = 1002;
    static constexpr int kCountSpin = 1113;

    CMatInPredYCorr();
    void OnInitialUpdate() override;
    CMatrixView* View() const override { return view_; }
    CMatInPredYCorrView* PredictorView() const { return view_; }
    SpinButtons* Spin() const { return spin_; }

    CMatInCorr* partner = nullptr;
    const LabeledMatrix* correlations = nullptr;
    int predictorCount = 5;
    int committedPredictorCount = 5;
    int rowCount = 1;

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    void CountEdited();

    QPointer<CMatInPredYCorrView> view_;
    SpinButtons* spin_ = nullptr;
};

// "Means" of the repeated-measures dialog: groups and measurements above the
// grid of group means and sample-size weights.
class CMatInRMMMeans : public CMatInForm {
  public:
    static constexpr int kGroupsEdit = 1066;
    static constexpr int kGroupsSpin = 1075;
    static constexpr int kMeasurementsEdit = 1002;
    static constexpr int kMeasurementsSpin = 1113;

    CMatInRMMMeans();
    void OnInitialUpdate() override;
    CMatrixView* View() const override { return view_; }
    CMatInRMMMeansView* MeansView() const { return view_; }

    CMatInRMMSigma* partner = nullptr;
    LabeledMatrix* means = nullptr;
    LabeledMatrix* weights = nullptr;
    int groupCount = 2;
    int measurementCount = 5;
    int committedGroupCount = 2;
    int committedMeasurementCount = 5;

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override;

  private:
    void CountsEdited(bool measurementsChanged);

    QPointer<CMatInRMMMeansView> view_;
    SpinButtons* groupsSpin_ = nullptr;
    SpinButtons* measurementsSpin_ = nullptr;
};

// "Corr between predictors": the predictor correlation matrix.
class CMatInCorr : public CMatInForm {
  public:
    static constexpr int kUnusedEdit = 1214;

    CMatInCorr();
    void OnInitialUpdate() override;
    CMatrixView* View() const override { return view_; }
    CMatInCorrView* CorrView() const { return view_; }

    int predictorCount = 5;
    const LabeledMatrix* correlations = nullptr;

  private:
    QPointer<CMatInCorrView> view_;
};

// "Cov Sigma": the covariance matrix over the first page's variables, typed
// as covariances or as standard deviations with correlations, optionally
// filled with a compound-symmetry or first-order autocorrelation pattern.
class CMatInSigmaForm : public CMatInForm {
  public:
    static constexpr int kModeList = 1038;
    static constexpr int kSetPatternCheck = 1019;
    static constexpr int kPatternEdit = 1102;
    static constexpr int kPatternLabel = 1106;
    static constexpr int kAutocorrCheck = 1021;

    void OnInitialUpdate() override;
    CMatrixView* View() const override { return view_; }
    CMatInSigmaView* SigmaView() const { return view_; }

    // Reads the pattern edit when its text differs from the value in use
    // (the edit is read when it loses the focus; OK reads it too). False,
    // with the message shown and the old value back in the edit, when the
    // value gives no finite pattern.
    bool CommitPatternValue();

    int variableCount = 5;
    const LabeledMatrix* covariance = nullptr;
    SigmaPattern pattern;

  protected:
    CMatInSigmaForm(const platform::DialogTemplate& dialog, bool repeatedMeasures);
    void OnControlEvent(int id, platform::ControlEvent event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowPatternControls();
    // False, with the reason shown and the grid unchanged, when the pattern
    // gives a cell no finite number.
    bool ApplyPattern();
    // Takes the edit's value when it gives a finite pattern (applied when a
    // pattern is on); else the message and the value in use back in the edit.
    bool TakePatternValue(bool applyUnchanged);
    void ModeChosen(int index);

    bool repeatedMeasures_;
    QPointer<CMatInSigmaView> view_;
};

class CMatInSigma : public CMatInSigmaForm {
  public:
    CMatInSigma();
};

class CMatInRMMSigma : public CMatInSigmaForm {
  public:
    CMatInRMMSigma();
    CMatInRMMSigmaView* RmmSigmaView() const {
        return static_cast<CMatInRMMSigmaView*>(SigmaView());
    }
};

// The tables of the six forms (dialogs 196, 239, 208, 238, 197 and 209).
platform::DialogTemplate MatInMeansTemplate();
platform::DialogTemplate MatInPredYCorrTemplate();
platform::DialogTemplate MatInRMMMeansTemplate();
platform::DialogTemplate MatInCorrTemplate();
platform::DialogTemplate MatInSigmaTemplate(int id);
