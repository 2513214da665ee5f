#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

#include "app/matrix/mat_in_forms.h"
#include "glm/labeled_matrix.h"

class PanelHost;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;

// What an effect-size panel hands a means-and-covariance dialog and gets
// back when the user accepts: the counts, how the covariance page shows its
// matrix, and the records.
struct MeansCovarianceInput {
    // Covariance input modes.
    enum Mode : int { kCovariances = 0, kSdAndCorrelation = 1, kSdAndCorrelationPattern = 2 };

    int responses = 5;  // responses (repeated measurements in the repeated-measures dialog)
    int groups = 2;
    int mode = kCovariances;
    double patternValue = 0.0;
    bool firstOrderAutocorr = false;
    bool setPattern = false;
    // Means (groups x responses) and the covariance matrix (responses x
    // responses, as the grid shows it: covariances, or standard deviations
    // on the diagonal and correlations off it) with their labels.
    LabeledMatrix means;
    LabeledMatrix covariance;
    // Repeated-measures dialog only: the sample-size weights (groups x 1,
    // headed "ssize weight").
    LabeledMatrix weights;
};

// What a multiple-regression panel hands the correlations dialog and gets
// back: the predictor count, the correlations of the predictors with the
// outcome (1 x predictors) and between the predictors (predictors x
// predictors), and R² when the user computed it.
struct PredictorCorrelationInput {
    int predictors = 5;
    int outcomeRows = 1;
    LabeledMatrix outcomeCorrelations;
    LabeledMatrix predictorCorrelations;
};

// The modal dialog with two tabs over two matrix input forms. It works on its
// own copy of the opener's records; the opener reads them only after OK.
class CMatrixInDialog : public QDialog {
  public:
    ~CMatrixInDialog() override;

    QTabBar* Tabs() const { return tabs_; }
    CMatInForm* Page(int tab) const { return tab == 0 ? first_ : second_; }
    CMatInForm* CurrentPage() const { return current_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

  protected:
    CMatrixInDialog(QWidget* parent, const QString& caption, const QString& tab0,
                    const QString& tab1, const QString& okText, int minimumWidth);
    // Creates both pages over the page area, the first current.
    void CreatePages(CMatInForm* first, CMatInForm* second);
    // Shows `tab`'s page; false, keeping the current page, when the dialog
    // refuses to leave it.
    virtual bool ChangeTab(int tab) = 0;
    virtual void OnOK() = 0;
    void ShowPage(int tab);
    // Makes `tab` current without asking ChangeTab.
    void SelectTab(int tab);
    // A message box over the dialog; the text's math markup is shown plainly.
    void Warn(const std::wstring& text);
    // False, with the message shown and the user put on the cell, when a body
    // cell of `tab`'s grid (columns firstCol .. lastCol - 1) holds no finite
    // number: such a matrix must not reach the panel.
    bool AllFinite(int tab, const TextArray& texts, VariableTree* table = nullptr, int firstCol = 1,
                   int lastCol = -1);

    QWidget* extraRow_ = nullptr;  // left of OK and Cancel, for the R² controls

  private:
    class PageArea;
    void TabClicked(int tab);

    QTabBar* tabs_;
    PageArea* pages_;
    QPushButton* ok_;
    QPushButton* cancel_;
    CMatInForm* first_ = nullptr;
    CMatInForm* second_ = nullptr;
    CMatInForm* current_ = nullptr;
    int shownTab_ = 0;
    bool switching_ = false;
};

// Mean vectors and a covariance matrix ("Means" / "Cov Sigma"), opened by the
// Hotelling panel.
class CEff_MatrixIn : public CMatrixInDialog {
  public:
    CEff_MatrixIn(QWidget* parent, const MeansCovarianceInput& input);
    CMatInMeans* MeansPage() const { return means_; }
    CMatInSigma* SigmaPage() const { return sigma_; }
    const MeansCovarianceInput& Result() const { return data_; }

  protected:
    bool ChangeTab(int tab) override;
    void OnOK() override;

  private:
    MeansCovarianceInput data_;
    CMatInMeans* means_;
    CMatInSigma* sigma_;
};

// Group means over repeated measurements with sample-size weights, and their
// covariance matrix, opened by the repeated-measures mean-and-covariance panel.
class CEff_RMM_MatrixIn : public CMatrixInDialog {
  public:
    CEff_RMM_MatrixIn(QWidget* parent, const MeansCovarianceInput& input);
    CMatInRMMMeans* MeansPage() const { return means_; }
    CMatInRMMSigma* SigmaPage() const { return sigma_; }
    const MeansCovarianceInput& Result() const { return data_; }

  protected:
    bool ChangeTab(int tab) override;
    void OnOK() override;

  private:
    MeansCovarianceInput data_;
    CMatInRMMMeans* means_;
    CMatInRMMSigma* sigma_;
};

// The correlations of the predictors with the outcome and between the
// predictors, with "Calc ρ²", opened by the multiple-regression panels. It
// checks both pages before it leaves one, computes R² or accepts.
class CEff_R2_MatrixIn : public CMatrixInDialog {
  public:
    static constexpr int kCalcButton = 1216;
    static constexpr int kCoefficientLabel = 1089;
    static constexpr int kCoefficientEdit = 1088;

    CEff_R2_MatrixIn(QWidget* parent, const PredictorCorrelationInput& input);
    CMatInPredYCorr* OutcomePage() const { return outcome_; }
    CMatInCorr* CorrelationPage() const { return corr_; }
    QPushButton* CalcButton() const { return calc_; }
    QLineEdit* CoefficientEdit() const { return coefficient_; }
    const PredictorCorrelationInput& Result() const { return data_; }

    // "Calc ρ²": R² of the two grids, or a message and "?".
    void OnCalcR2();

  protected:
    bool ChangeTab(int tab) override;
    void OnOK() override;

  private:
    bool Validate(int tab);
    void ReadRecords();

    PredictorCorrelationInput data_;
    CMatInPredYCorr* outcome_;
    CMatInCorr* corr_;
    QPushButton* calc_;
    QLabel* coefficientLabel_;
    QLineEdit* coefficient_;
};

// How the panels run the three dialogs: modally over `parent`, with the
// records of *input shown; true when the user accepted, and only then is
// *input overwritten (whole). Tests replace the service, or its Run step,
// to answer without a modal loop.
class MatrixDialogService {
  public:
    virtual ~MatrixDialogService() = default;
    virtual bool EditMeansCovariance(QWidget* parent, MeansCovarianceInput* input) = 0;
    virtual bool EditRepeatedMeansCovariance(QWidget* parent, MeansCovarianceInput* input) = 0;
    virtual bool EditPredictorCorrelations(QWidget* parent, PredictorCorrelationInput* input) = 0;
};

// The dialogs as the program shows them.
class FormMatrixDialogs : public MatrixDialogService {
  public:
    bool EditMeansCovariance(QWidget* parent, MeansCovarianceInput* input) override;
    bool EditRepeatedMeansCovariance(QWidget* parent, MeansCovarianceInput* input) override;
    bool EditPredictorCorrelations(QWidget* parent, PredictorCorrelationInput* input) override;

  protected:
    // Runs the dialog until it closes; true when it was accepted.
    virtual bool Run(CMatrixInDialog* dialog);
};

MatrixDialogService& MatrixDialogs();
// Returns the service it replaces.
std::unique_ptr<MatrixDialogService> SetMatrixDialogService(
    std::unique_ptr<MatrixDialogService> service);

// What a panel calls: the dialog through the service, with the main window
// told for the whole time that a matrix dialog is open (Enter then does not
// start its calculation).
bool OpenMeansCovarianceDialog(PanelHost* host, QWidget* parent, MeansCovarianceInput* input);
bool OpenRepeatedMeansCovarianceDialog(PanelHost* host, QWidget* parent,
                                       MeansCovarianceInput* input);
bool OpenPredictorCorrelationDialog(PanelHost* host, QWidget* parent,
                                    PredictorCorrelationInput* input);
