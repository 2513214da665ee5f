#include "app/explorer/glmm_explorer.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <initializer_list>
#include <thread>
#include <utility>

#include "app/explorer/glmm_in_contrast.h"
#include "app/explorer/glmm_in_design.h"
#include "app/explorer/glmm_in_general.h"
#include "app/explorer/glmm_in_means.h"
#include "app/explorer/glmm_in_sigma.h"
#include "app/explorer/glmm_results.h"
#include "app/widgets/html_edit.h"
#include "glm/explorer_report.h"
#include "glm/model/power_glmm.h"
#include "numerics/cancel.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/screen_fit.h"
#include "ui/grid/grid_ctrl.h"

namespace {

constexpr int kFirstFormId = 59648;
constexpr int kOtherFormId = 59649;
// A model file is a few kilobytes; a file far larger is none.
constexpr qint64 kLargestModelFile = 64LL * 1024 * 1024;

const QString kCaption = QStringLiteral("General Linear Model Explorer");
const QString kBusyText = QStringLiteral("Calculating\u2026 Esc stops");
const QString kFileFilter = QStringLiteral("gmm (*.gmm);;all (*)");

}  // namespace

CGLMMExplorer::CGLMMExplorer(QWidget* parent)
    : QDialog(parent),
      tabs_(new QTabBar(this)),
      pages_(new QWidget(this)),
      busy_(new QLabel(kBusyText, this)),
      calculate_(new QPushButton(QStringLiteral("Calculate"), this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
    fileFolder_ = QDir::homePath();
    setWindowTitle(kCaption);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);
    setMinimumSize(400, 300);
    for (const char* text : {"General", "Design X", "Means B", "Cov Sigma", "Pred. Contrast C",
                             "Var Contrast A", "Results"})
        tabs_->addTab(QString::fromUtf8(text));
    tabs_->setExpanding(false);
    auto* layout = new QVBoxLayout(this);
    CreateMenu();
    layout->addWidget(tabs_);
    layout->addWidget(pages_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(busy_);
    buttons->addStretch(1);
    buttons->addWidget(calculate_);
    buttons->addWidget(ok_);
    layout->addLayout(buttons);
    // Enter belongs to the fields and the grids: no button takes it over.
    ok_->setAutoDefault(false);
    busy_->hide();
    pages_->installEventFilter(this);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(calculate_, &QPushButton::clicked, this, [this] { OnCalculate(); });
}

CGLMMExplorer::~CGLMMExplorer() = default;

void CGLMMExplorer::CreateMenu() {
    auto* bar = new QMenuBar(this);
    menuBar_ = bar;
    auto add = [this](QMenu* menu, int id, const char* text, std::function<void()> handler) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        connect(action, &QAction::triggered, this, std::move(handler));
        actions_[id] = action;
    };
    QMenu* file = bar->addMenu(QStringLiteral("File"));
    add(file, kLoad, "Load ...", [this] { OnLoad(); });
    add(file, kSaveAs, "Save As ...", [this] { OnSaveAs(); });
    add(file, kSave, "Save ", [this] { OnSave(); });
    file->addSeparator();
    add(file, kExit, "Exit", [this] { close(); });
    // The special cases have no model of their own yet: shown, not offered.
    QMenu* special = bar->addMenu(QStringLiteral("Special cases"));
    for (auto [id, text] : {std::pair{kAnova, "Anova"}, std::pair{kManova, "Manova"},
                            std::pair{kRepeatedMeasurements, "Repeated Measurements"}}) {
        add(special, id, text, [] {});
        actions_[id]->setEnabled(false);
    }
    static_cast<QVBoxLayout*>(layout())->setMenuBar(bar);
}

QAction* CGLMMExplorer::MenuAction(int command) const {
    const auto it = actions_.find(command);
    return it == actions_.end() ? nullptr : it->second;
}

bool CGLMMExplorer::OnInitDialog() {
    general_ = new CGLMM_In_General;
    design_ = new CGLMM_In_Design;
    means_ = new CGLMM_In_Means;
    sigma_ = new CGLMM_In_Sigma;
    predContrast_ = new CGLMM_In_CMat;
    varContrast_ = new CGLMM_In_AMat;
    results_ = new CGLMM_Results;
    // The dialog's size in dialog units of the forms' font, but never
    // smaller than the controls need; the page area must have its size
    // before the forms fit themselves into it.
    resize(general_->Units().ToPixels(382, 244).expandedTo(QSize(640, 480)));
    // No larger than the screen's free area, where a small or strongly
    // scaled screen has less room than that.
    platform::FitToScreen(this);
    layout()->activate();
    if (model_) document_ = ExplorerModel(model_->cells, model_->predictors, model_->responses);
    general_->SetModel(model_);
    general_->SetDocument(&document_.settings);
    for (CGLMMTabForm* tab : MatrixTabs()) {
        tab->SetModel(model_);
        tab->SetDocument(&document_);
    }
    bool first = true;
    for (CFormViewEx* form :
         {static_cast<CFormViewEx*>(general_), static_cast<CFormViewEx*>(design_),
          static_cast<CFormViewEx*>(means_), static_cast<CFormViewEx*>(sigma_),
          static_cast<CFormViewEx*>(predContrast_), static_cast<CFormViewEx*>(varContrast_),
          static_cast<CFormViewEx*>(results_)}) {
        if (!form->Create(pages_, QPoint(0, 0), kFormVisible, first ? kFirstFormId : kOtherFormId))
            return false;
        form->FitToParent();
        form->setVisible(first);
        first = false;
    }
    current_ = general_;
    connect(tabs_, &QTabBar::currentChanged, this, [this](int index) { OnTabChange(index); });
    savedGrids_ = document_.ToFileGrids();
    initialised_ = true;
    return true;
}

std::array<CGLMMTabForm*, 5> CGLMMExplorer::MatrixTabs() const {
    return {design_, means_, sigma_, predContrast_, varContrast_};
}

void CGLMMExplorer::CommitEdits() {
    if (!initialised_) return;
    general_->CommitEdits();
    for (CGLMMTabForm* tab : MatrixTabs()) tab->CommitEdits();
}

void CGLMMExplorer::ShowDocument() {
    general_->ShowDocument();
    for (CGLMMTabForm* tab : MatrixTabs()) tab->ShowDocument();
}

void CGLMMExplorer::Enter(CGLMMTabForm* tab, ExplorerModel::Grid grid) {
    document_.Follow(grid);
    tab->ShowDocument();
    current_ = tab;
}

int CGLMMExplorer::DoModal() {
    if (!initialised_ && !OnInitDialog()) return -1;
    return exec();
}

void CGLMMExplorer::keyPressEvent(QKeyEvent* event) {
    if (calculating_ && event->key() == Qt::Key_Escape) {
        cancel_ = true;
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CGLMMExplorer::OnTabChange(int index) {
    if (current_) current_->hide();
    CommitEdits();
    switch (index) {
        case kGeneral:
            current_ = general_;
            break;
        case kDesign:
            current_ = design_;
            break;
        case kMeans:
            Enter(means_, ExplorerModel::kMeans);
            break;
        case kSigma:
            Enter(sigma_, ExplorerModel::kSigma);
            break;
        case kPredContrast:
            Enter(predContrast_, ExplorerModel::kPredContrasts);
            break;
        case kVarContrast:
            Enter(varContrast_, ExplorerModel::kVarContrasts);
            break;
        default:
            // Tables computed for a model that has changed since would be
            // read as this one's.
            ClearResultsOfOtherModels();
            current_ = results_;
            break;
    }
    current_->FitToParent();
    current_->show();
}

bool CGLMMExplorer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pages_ && event->type() == QEvent::Resize && current_) current_->FitToParent();
    return QDialog::eventFilter(watched, event);
}

void CGLMMExplorer::Warn(const QString& text) {
    platform::ShowMessage(this, text, kCaption, platform::MessageIcon::Warning);
}

const ExplorerModel& CGLMMExplorer::Document() {
    CommitEdits();
    return document_;
}

void CGLMMExplorer::OnCalculate() {
    if (!model_ || !results_ || calculating_) return;
    results_->ShowReport({});
    shownFor_.reset();
    // The model as it is now is computed on a worker thread, so that Esc
    // can stop a long search; meanwhile the window takes no other command.
    const ExplorerModel document = Document();
    std::vector<ReportBlock> blocks;
    std::optional<ExplorerModel::Problem> problem;
    bool cancelled = false;
    cancel_ = false;
    SetCalculating(true);
    QEventLoop loop;
    std::thread worker([&] {
        {
            CancelCheck check([this] { return cancel_.load(); });
            try {
                problem = document.Calculate(*model_, blocks);
            } catch (const CancelledError&) {
                cancelled = true;
            }
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    SetCalculating(false);
    if (cancelled) return;
    if (problem) {
        ShowProblem(*problem);
        return;
    }
    results_->ShowReport(blocks);
    shownFor_ = CalculatedModel{document.ToFileGrids(), document.settings};
}

void CGLMMExplorer::SetCalculating(bool calculating) {
    calculating_ = calculating;
    for (QWidget* w : std::initializer_list<QWidget*>{tabs_, pages_, calculate_, ok_, menuBar_})
        w->setEnabled(!calculating);
    // A disabled menu bar still lets a shortcut or a caller trigger its
    // actions: Load would replace the grids under a running calculation.
    // The actions that were off before stay off after.
    if (calculating) {
        for (const auto& [id, action] : actions_) {
            if (!action->isEnabled()) continue;
            offDuringCalculation_.push_back(action);
            action->setEnabled(false);
        }
    } else {
        for (QAction* action : offDuringCalculation_) action->setEnabled(true);
        offDuringCalculation_.clear();
    }
    busy_->setVisible(calculating);
}

void CGLMMExplorer::ShowProblem(const ExplorerModel::Problem& problem) {
    Warn(QString::fromStdWString(problem.message));
    if (problem.place == ExplorerModel::Problem::kSettings) tabs_->setCurrentIndex(kGeneral);
    if (problem.row < 0) return;
    switch (problem.place) {
        case ExplorerModel::Problem::kSigma:
            ShowCell(kSigma, problem.row, problem.col);
            break;
        case ExplorerModel::Problem::kDesign:
            ShowCell(kDesign, problem.row, problem.col);
            break;
        case ExplorerModel::Problem::kMeans:
            ShowCell(kMeans, problem.row, problem.col);
            break;
        default:
            break;
    }
}

void CGLMMExplorer::reject() {
    // Closing while a calculation runs stops it first.
    if (calculating_) {
        cancel_ = true;
        return;
    }
    QDialog::reject();
}

bool CGLMMExplorer::CalculatedModel::operator==(const CalculatedModel& other) const {
    return grids == other.grids && settings.alpha == other.settings.alpha &&
           settings.power == other.settings.power && settings.totalN == other.settings.totalN &&
           settings.aPriori == other.settings.aPriori;
}

void CGLMMExplorer::ClearResultsOfOtherModels() {
    if (!shownFor_) return;
    if (initialised_ && *shownFor_ == CalculatedModel{Document().ToFileGrids(), document_.settings})
        return;
    results_->ShowReport({});
    shownFor_.reset();
}

void CGLMMExplorer::ShowCell(int tab, int row, int col) {
    tabs_->setCurrentIndex(tab);
    CGLMMTabForm* form = tab == kDesign  ? static_cast<CGLMMTabForm*>(design_)
                         : tab == kMeans ? static_cast<CGLMMTabForm*>(means_)
                                         : static_cast<CGLMMTabForm*>(sigma_);
    CGridCtrl* grid = form->View()->Grid();
    grid->SetFocusCell(row, col);
    grid->setFocus();
}

void CGLMMExplorer::Remember(const QString& path) {
    fileFolder_ = QFileInfo(path).absolutePath();
}

bool CGLMMExplorer::HasUnsavedChanges() {
    return initialised_ && !(Document().ToFileGrids() == savedGrids_);
}

bool CGLMMExplorer::MayDiscardChanges() {
    if (!HasUnsavedChanges()) return true;
    switch (platform::ShowMessage(
        this, QStringLiteral("The model has changes that were not saved.\nSave them first?"),
        kCaption, platform::MessageIcon::Question, platform::MessageButtons::YesNoCancel)) {
        case platform::MessageAnswer::Yes:
            OnSave();
            return !HasUnsavedChanges();
        case platform::MessageAnswer::No:
            return true;
        default:
            return false;
    }
}

void CGLMMExplorer::OnLoad() {
    if (!MayDiscardChanges()) return;
    const std::optional<QString> path = platform::FileDialogs().OpenFileName(
        this, {QStringLiteral("Choose model"), fileFolder_, kFileFilter, QString(), QString()});
    if (!path || path->isEmpty()) return;
    Remember(*path);
    QString problem;
    if (!LoadModel(*path, &problem)) {
        Warn(QStringLiteral("The model could not be loaded from \"%1\":\n%2").arg(*path, problem));
        return;
    }
    SetModelFile(*path);
    // The file is shown; a cell that would be read as a number it does not
    // hold is pointed out at once, as Calculate will refuse it.
    if (const auto cell = document_.FindCellThatIsNoNumber()) ShowProblem(*cell);
}

void CGLMMExplorer::SetModelFile(const QString& path) {
    modelFile_ = path;
    setWindowTitle(path.isEmpty() ? kCaption
                                  : QFileInfo(path).fileName() + QStringLiteral(" - ") + kCaption);
}

void CGLMMExplorer::OnSave() {
    if (modelFile_.isEmpty()) {
        OnSaveAs();
        return;
    }
    QString problem;
    if (!SaveModel(modelFile_, &problem))
        Warn(
            QStringLiteral("The model could not be saved to \"%1\":\n%2").arg(modelFile_, problem));
}

void CGLMMExplorer::OnSaveAs() {
    const std::optional<QString> path = platform::FileDialogs().SaveFileName(
        this, {QStringLiteral("Choose filename for model"), fileFolder_, kFileFilter,
               QStringLiteral("gmm"), QString()});
    if (!path || path->isEmpty()) return;
    Remember(*path);
    QString problem;
    if (!SaveModel(*path, &problem)) {
        Warn(QStringLiteral("The model could not be saved to \"%1\":\n%2").arg(*path, problem));
        return;
    }
    SetModelFile(*path);
}

bool CGLMMExplorer::LoadModel(const QString& path, QString* error) {
    // Only a regular file, and no more than the limit and one byte of it: a
    // link to a device would be read for ever and a FIFO would block.
    QByteArray bytes;
    switch (platform::ReadFileLimited(path, kLargestModelFile, &bytes, error)) {
        case platform::FileRead::kRead:
            break;
        case platform::FileRead::kTooLarge:
            if (error) *error = QStringLiteral("The file is far too large to be a model file.");
            return false;
        case platform::FileRead::kRefused:
            return false;
    }
    // The General tab's texts stay: they must not give way to the record's.
    CommitEdits();
    if (const auto problem = document_.Load(
            std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
        if (error) *error = QString::fromStdWString(*problem);
        return false;
    }
    ShowDocument();
    savedGrids_ = document_.ToFileGrids();
    ClearResultsOfOtherModels();
    return true;
}

bool CGLMMExplorer::SaveModel(const QString& path, QString* error) {
    std::string bytes;
    if (const auto problem = Document().Save(&bytes)) {
        if (error) *error = QString::fromStdWString(*problem);
        return false;
    }
    if (!platform::SaveFileAtomically(
            path, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), error))
        return false;
    savedGrids_ = document_.ToFileGrids();
    return true;
}
