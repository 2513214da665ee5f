#include "app/matrix/matrix_in_dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <functional>

#include "app/drawer/panel_host.h"
#include "app/widgets/ui_helpers.h"
#include "platform/dialogs.h"
#include "platform/screen_fit.h"

// The area the pages fill; a page follows its size.
class CMatrixInDialog::PageArea : public QWidget {
  public:
    using QWidget::QWidget;
    std::function<void()> onResize;

  protected:
    void resizeEvent(QResizeEvent*) override {
        if (onResize) onResize();
    }
};

CMatrixInDialog::CMatrixInDialog(QWidget* parent, const QString& caption, const QString& tab0,
                                 const QString& tab1, const QString& okText, int minimumWidth)
    : QDialog(parent),
      tabs_(new QTabBar(this)),
      pages_(new PageArea(this)),
      ok_(new QPushButton(okText, this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setWindowTitle(caption);
    setModal(true);
    tabs_->addTab(tab0);
    tabs_->addTab(tab1);
    tabs_->setExpanding(false);
    extraRow_ = new QWidget(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(extraRow_);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    ok_->setDefault(true);
    // Below these sizes the grids and the buttons no longer fit.
    setMinimumSize(minimumWidth, 300);
    resize(minimumWidth + 160, 380);
    platform::FitToScreen(this);
    pages_->onResize = [this] {
        if (current_) current_->FitToParent();
    };
    connect(tabs_, &QTabBar::currentChanged, this, [this](int tab) { TabClicked(tab); });
    connect(ok_, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

CMatrixInDialog::~CMatrixInDialog() = default;

void CMatrixInDialog::CreatePages(CMatInForm* first, CMatInForm* second) {
    first_ = first;
    second_ = second;
    for (CMatInForm* page : {first, second}) {
        page->Create(pages_, QPoint(0, 0), 0);
        page->SetBordered(false);
        page->OnInitialUpdate();
        page->hide();
    }
    current_ = first_;
    current_->FitToParent();
    current_->show();
}

void CMatrixInDialog::TabClicked(int tab) {
    if (switching_ || tab == shownTab_) return;
    if (ChangeTab(tab)) return;
    // Refused: the tab bar goes back to the page that is still shown.
    SelectTab(shownTab_);
}

void CMatrixInDialog::SelectTab(int tab) {
    switching_ = true;
    tabs_->setCurrentIndex(tab);
    switching_ = false;
    ShowPage(tab);
}

void CMatrixInDialog::ShowPage(int tab) {
    CMatInForm* page = Page(tab);
    if (current_ && current_ != page) current_->hide();
    current_ = page;
    shownTab_ = tab;
    current_->FitToParent();
    current_->show();
}

void CMatrixInDialog::Warn(const std::wstring& text) {
    platform::ShowMessage(this, ToDisplayLabel(ToNarrowString(QString::fromStdWString(text))),
                          QStringLiteral("Quorix"), platform::MessageIcon::Warning);
}

bool CMatrixInDialog::AllFinite(int tab, const TextArray& texts, VariableTree* table, int firstCol,
                                int lastCol) {
    const std::optional<GridProblem> problem = FindNonFiniteCell(texts, table, firstCol, lastCol);
    if (!problem) return true;
    if (shownTab_ != tab) SelectTab(tab);
    Warn(problem->message);
    CGridCtrl* grid = Page(tab)->View()->Grid();
    grid->SetFocusCell(problem->row, problem->col);
    grid->setFocus();
    return false;
}

namespace {

SigmaPattern PatternOf(const MeansCovarianceInput& input) {
    SigmaPattern p;
    p.covarianceMode = input.mode == MeansCovarianceInput::kCovariances;
    p.setPattern = input.setPattern;
    p.firstOrderAutocorr = input.firstOrderAutocorr;
    p.patternValue = input.patternValue;
    return p;
}

void TakePattern(const CMatInSigmaForm& page, MeansCovarianceInput& data) {
    const SigmaPattern& p = page.pattern;
    data.patternValue = p.patternValue;
    data.firstOrderAutocorr = p.firstOrderAutocorr;
    data.setPattern = p.setPattern;
    data.mode = p.covarianceMode ? MeansCovarianceInput::kCovariances
                : p.setPattern   ? MeansCovarianceInput::kSdAndCorrelationPattern
                                 : MeansCovarianceInput::kSdAndCorrelation;
}

}  // namespace

// ------------------------------------------------ means and covariances

CEff_MatrixIn::CEff_MatrixIn(QWidget* parent, const MeansCovarianceInput& input)
    : CMatrixInDialog(parent, QStringLiteral("Input mean and covariance matrix"),
                      QStringLiteral("Means"), QStringLiteral("Cov Sigma"), QStringLiteral("OK"),
                      400),
      data_(input),
      means_(new CMatInMeans),
      sigma_(new CMatInSigma) {
    means_->means = &data_.means;
    means_->committedResponseCount = std::max(data_.responses, 1);
    means_->groupCount = std::max(data_.groups, 1);
    sigma_->covariance = &data_.covariance;
    sigma_->variableCount = means_->committedResponseCount;
    sigma_->pattern = PatternOf(data_);
    means_->partner = sigma_;
    CreatePages(means_, sigma_);
    // The covariance page starts over the means' variables, so that even an
    // accept from the first page hands back matrices that fit each other.
    sigma_->SigmaView()->SetVariableLabels(*means_->MeansView());
}

bool CEff_MatrixIn::ChangeTab(int tab) {
    if (tab == 1) sigma_->SigmaView()->SetVariableLabels(*means_->MeansView());
    ShowPage(tab);
    return true;
}

void CEff_MatrixIn::OnOK() {
    if (!sigma_->CommitPatternValue()) return;
    sigma_->SigmaView()->SetVariableLabels(*means_->MeansView());
    const TextArray means = means_->MeansView()->Texts();
    const TextArray sigma = sigma_->SigmaView()->Texts();
    if (!AllFinite(0, means) || !AllFinite(1, sigma, sigma_->SigmaView()->Variables())) return;
    GridToRecord(means, data_.means);
    GridToRecord(sigma, data_.covariance, sigma_->SigmaView()->Variables());
    data_.responses = means_->committedResponseCount;
    data_.groups = means_->groupCount;
    TakePattern(*sigma_, data_);
    accept();
}

// ------------------------------------- repeated-measures means and weights

CEff_RMM_MatrixIn::CEff_RMM_MatrixIn(QWidget* parent, const MeansCovarianceInput& input)
    : CMatrixInDialog(parent, QStringLiteral("Input mean and covariance matrix"),
                      QStringLiteral("Means"), QStringLiteral("Cov Sigma"), QStringLiteral("OK"),
                      400),
      data_(input),
      means_(new CMatInRMMMeans),
      sigma_(new CMatInRMMSigma) {
    means_->means = &data_.means;
    means_->weights = &data_.weights;
    means_->committedGroupCount = std::max(data_.groups, 1);
    means_->committedMeasurementCount = std::max(data_.responses, 1);
    sigma_->covariance = &data_.covariance;
    sigma_->variableCount = means_->committedMeasurementCount;
    sigma_->pattern = PatternOf(data_);
    means_->partner = sigma_;
    CreatePages(means_, sigma_);
    sigma_->RmmSigmaView()->SetVariableLabels(*means_->MeansView());
}

bool CEff_RMM_MatrixIn::ChangeTab(int tab) {
    if (tab == 1) sigma_->RmmSigmaView()->SetVariableLabels(*means_->MeansView());
    ShowPage(tab);
    return true;
}

void CEff_RMM_MatrixIn::OnOK() {
    if (!sigma_->CommitPatternValue()) return;
    sigma_->RmmSigmaView()->SetVariableLabels(*means_->MeansView());
    const TextArray texts = means_->MeansView()->Texts();
    const TextArray sigma = sigma_->SigmaView()->Texts();
    if (!AllFinite(0, texts) || !AllFinite(1, sigma, sigma_->SigmaView()->Variables())) return;
    const int weightColumn = texts.cols() - 1;
    GridToRecord(texts, data_.means, nullptr, 1, weightColumn);
    GridToRecord(texts, data_.weights, nullptr, weightColumn, weightColumn + 1);
    GridToRecord(sigma, data_.covariance, sigma_->SigmaView()->Variables());
    data_.responses = means_->committedMeasurementCount;
    data_.groups = means_->committedGroupCount;
    TakePattern(*sigma_, data_);
    accept();
}

// ------------------------------------------------------ R² correlations

CEff_R2_MatrixIn::CEff_R2_MatrixIn(QWidget* parent, const PredictorCorrelationInput& input)
    : CMatrixInDialog(parent, QStringLiteral("Input predictor correlations"),
                      QStringLiteral("Corr between predictors and outcome"),
                      QStringLiteral("Corr between predictors"), QStringLiteral("Accept values"),
                      500),
      data_(input),
      outcome_(new CMatInPredYCorr),
      corr_(new CMatInCorr) {
    calc_ = new QPushButton(ToDisplayLabel("Calc $\\rho$$^2$"), extraRow_);
    coefficientLabel_ = new QLabel(ToDisplayLabel("Coefficient $\\rho$$^2$"), extraRow_);
    coefficient_ = new QLineEdit(QStringLiteral("?"), extraRow_);
    coefficient_->setReadOnly(true);
    coefficient_->setFixedWidth(coefficient_->fontMetrics().horizontalAdvance("0.0000000") + 12);
    calc_->setAutoDefault(false);
    auto* row = new QHBoxLayout(extraRow_);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(calc_);
    row->addSpacing(12);
    row->addWidget(coefficientLabel_);
    row->addWidget(coefficient_);
    connect(calc_, &QPushButton::clicked, this, [this] { OnCalcR2(); });

    outcome_->correlations = &data_.outcomeCorrelations;
    outcome_->committedPredictorCount = std::max(data_.predictors, 1);
    outcome_->rowCount = data_.outcomeRows;
    corr_->correlations = &data_.predictorCorrelations;
    corr_->predictorCount = outcome_->committedPredictorCount;
    outcome_->partner = corr_;
    CreatePages(outcome_, corr_);
    corr_->CorrView()->SetPredictorLabels(*outcome_->PredictorView());
}

bool CEff_R2_MatrixIn::Validate(int tab) {
    std::optional<GridProblem> problem = tab == 0 ? outcome_->PredictorView()->ValidateMatrix()
                                                  : corr_->CorrView()->ValidateMatrix();
    if (!problem) return true;
    Warn(problem->message);
    if (problem->row >= 0) {
        // Put the user on the cell the message names.
        CGridCtrl* grid = Page(tab)->View()->Grid();
        if (CurrentPage() == Page(tab)) {
            grid->SetFocusCell(problem->row, problem->col);
            grid->setFocus();
        }
    }
    return false;
}

bool CEff_R2_MatrixIn::ChangeTab(int tab) {
    if (!Validate(tab == 1 ? 0 : 1)) return false;
    if (tab == 1) corr_->CorrView()->SetPredictorLabels(*outcome_->PredictorView());
    ShowPage(tab);
    return true;
}

void CEff_R2_MatrixIn::ReadRecords() {
    GridToRecord(outcome_->PredictorView()->Texts(), data_.outcomeCorrelations);
    GridToRecord(corr_->CorrView()->Texts(), data_.predictorCorrelations,
                 corr_->CorrView()->Variables());
    data_.predictors = outcome_->committedPredictorCount;
}

void CEff_R2_MatrixIn::OnCalcR2() {
    coefficient_->setText(QStringLiteral("?"));
    corr_->CorrView()->SetPredictorLabels(*outcome_->PredictorView());
    if (!Validate(0) || !Validate(1)) return;
    ReadRecords();
    const RSquared r2 =
        ComputeRSquared(data_.outcomeCorrelations.values, data_.predictorCorrelations.values);
    if (!r2.value) {
        Warn(r2.message);
        return;
    }
    coefficient_->setText(QString::fromStdWString(r2.text));
}

void CEff_R2_MatrixIn::OnOK() {
    // Both pages, the one showing first: what reaches the panel is checked whole.
    const int showing = Tabs()->currentIndex();
    if (!Validate(showing)) return;
    corr_->CorrView()->SetPredictorLabels(*outcome_->PredictorView());
    const int other = 1 - showing;
    const bool otherValid = other == 0 ? !outcome_->PredictorView()->ValidateMatrix()
                                       : !corr_->CorrView()->ValidateMatrix();
    if (!otherValid) {
        SelectTab(other);
        Validate(other);
        return;
    }
    ReadRecords();
    accept();
}

// -------------------------------------------------------------- service

bool FormMatrixDialogs::Run(CMatrixInDialog* dialog) {
    return dialog->exec() == QDialog::Accepted;
}

bool FormMatrixDialogs::EditMeansCovariance(QWidget* parent, MeansCovarianceInput* input) {
    CEff_MatrixIn dialog(parent, *input);
    if (!Run(&dialog)) return false;
    *input = dialog.Result();
    return true;
}

bool FormMatrixDialogs::EditRepeatedMeansCovariance(QWidget* parent, MeansCovarianceInput* input) {
    CEff_RMM_MatrixIn dialog(parent, *input);
    if (!Run(&dialog)) return false;
    *input = dialog.Result();
    return true;
}

bool FormMatrixDialogs::EditPredictorCorrelations(QWidget* parent,
                                                  PredictorCorrelationInput* input) {
    CEff_R2_MatrixIn dialog(parent, *input);
    if (!Run(&dialog)) return false;
    *input = dialog.Result();
    return true;
}

namespace {

std::unique_ptr<MatrixDialogService>& Service() {
    static std::unique_ptr<MatrixDialogService> service = std::make_unique<FormMatrixDialogs>();
    return service;
}

// The main window's flag for as long as a matrix dialog is open.
class MatrixDialogOpenScope {
  public:
    explicit MatrixDialogOpenScope(PanelHost* host) : host_(host) {
        if (host_) host_->SetMatrixDialogOpen(true);
    }
    ~MatrixDialogOpenScope() {
        if (host_) host_->SetMatrixDialogOpen(false);
    }
    MatrixDialogOpenScope(const MatrixDialogOpenScope&) = delete;
    MatrixDialogOpenScope& operator=(const MatrixDialogOpenScope&) = delete;

  private:
    PanelHost* host_;
};

}  // namespace

MatrixDialogService& MatrixDialogs() {
    return *Service();
}

std::unique_ptr<MatrixDialogService> SetMatrixDialogService(
    std::unique_ptr<MatrixDialogService> service) {
    std::swap(Service(), service);
    return service;
}

bool OpenMeansCovarianceDialog(PanelHost* host, QWidget* parent, MeansCovarianceInput* input) {
    MatrixDialogOpenScope open(host);
    return MatrixDialogs().EditMeansCovariance(parent, input);
}

bool OpenRepeatedMeansCovarianceDialog(PanelHost* host, QWidget* parent,
                                       MeansCovarianceInput* input) {
    MatrixDialogOpenScope open(host);
    return MatrixDialogs().EditRepeatedMeansCovariance(parent, input);
}

bool OpenPredictorCorrelationDialog(PanelHost* host, QWidget* parent,
                                    PredictorCorrelationInput* input) {
    MatrixDialogOpenScope open(host);
    return MatrixDialogs().EditPredictorCorrelations(parent, input);
}
