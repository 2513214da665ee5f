#include "app/frame/main_frame.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "analysis/catalogue.h"
#include "app/calculator/calculator.h"
#include "app/drawer/drawer_wnd.h"
#include "app/explorer/glmm_explorer.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/main_grid_form.h"
#include "app/forms/selection_form.h"
#include "app/frame/installed_families.h"
#include "app/results/dist_graph_view.h"
#include "app/results/dist_plot_form.h"
#include "app/results/protocol_view.h"
#include "app/widgets/ui_helpers.h"
#include "app/xyplot/xy_plot_settings.h"
#include "app/xyplot/xy_plot_window.h"
#include "glm/model/power_glmm.h"
#include "platform/environment.h"
#include "platform/screen_fit.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/grid/grid_ctrl.h"

using namespace command_ids;

namespace {

// The window icon, drawn rather than shipped as a file.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x1f, 0x4e, 0x8c));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
        // The "Q" is stroked rather than set in a font: a bold face loaded
        // for one letter would cost the start-up more than the whole icon.
        const double unit = size / 16.0;
        painter.setPen(QPen(Qt::white, 2.2 * unit, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(3.5 * unit, 2.5 * unit, 9 * unit, 10 * unit));
        painter.drawLine(QPointF(9.5 * unit, 10 * unit), QPointF(13 * unit, 14 * unit));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The tool bar's pictures, drawn at 16 pixels like the program's icon: the
// style's stock pictures would be decoded from image files before the window
// first shows, which costs more than the rest of the tool bar together.
enum class ToolPicture { kSave, kPrint, kCopy, kCalculator, kAbout };

QIcon ToolIcon(ToolPicture picture) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x33, 0x33, 0x33);
    const QColor blue(0x1f, 0x4e, 0x8c);
    painter.setPen(QPen(ink, 1.0));
    switch (picture) {
        case ToolPicture::kSave:  // a diskette
            painter.setBrush(blue);
            painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(4.5, 1.5, 7, 5));
            painter.drawRect(QRectF(3.5, 9.5, 9, 5));
            break;
        case ToolPicture::kPrint:  // a printer with its sheet
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(4.5, 1.5, 7, 5));
            painter.setBrush(QColor(0xb0, 0xb0, 0xb0));
            painter.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.0, 1.0);
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(4.5, 10.5, 7, 4));
            break;
        case ToolPicture::kCopy:  // two sheets
            painter.setBrush(QColor(0xdd, 0xdd, 0xdd));
            painter.drawRect(QRectF(1.5, 1.5, 8, 10));
            painter.setBrush(Qt::white);
            painter.drawRect(QRectF(6.5, 4.5, 8, 10));
            break;
        case ToolPicture::kCalculator:  // a display over a keypad
            painter.setBrush(QColor(0xd8, 0xd8, 0xd8));
            painter.drawRoundedRect(QRectF(2.5, 0.5, 11, 15), 1.5, 1.5);
            painter.setBrush(QColor(0xc8, 0xe6, 0xc9));
            painter.drawRect(QRectF(4.5, 2.5, 7, 3));
            painter.setPen(Qt::NoPen);
            painter.setBrush(ink);
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 3; ++column)
                    painter.drawRect(QRectF(4.5 + 2.5 * column, 7.5 + 2.5 * row, 1.5, 1.5));
            break;
        case ToolPicture::kAbout: {  // an "i" in a blue disc
            painter.setPen(Qt::NoPen);
            painter.setBrush(blue);
            painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
            painter.setBrush(Qt::white);
            painter.drawEllipse(QRectF(7, 3, 2, 2));
            painter.drawRect(QRectF(7, 6.5, 2, 6.5));
            break;
        }
    }
    painter.end();
    return QIcon(pixmap);
}

bool InsideGrid(const QWidget* widget) {
    for (; widget; widget = widget->parentWidget()) {
        if (dynamic_cast<const CGridCtrl*>(widget)) return true;
    }
    return false;
}

}  // namespace

CMainFrame::CMainFrame()
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint) {
    // The program folder comes from the executable's resolved path, never
    // from the command line, which may name a link or a relative path.
    programFolder_ =
        QString::fromStdString(platform::ProgramFolderFor(platform::ExecutablePath()).string());
    // Linux sleeps with fine resolution already: there is no system timer
    // resolution to raise for the calculation's 5 ms polls.
    InstallTestFamilies();
    BuildTestCatalogue();
    // The math-text fonts are process-wide; a second frame reuses them.
    if (!mathtext::SymbolMapPointer()) mathtext::InitSymbolFonts();
    labelFonts_ = std::make_unique<mathtext::LabelFontSets>();
    setWindowTitle(QString::fromLatin1(kTitle));
    setWindowIcon(ProgramIcon());
    plotSettings_ = std::make_unique<PlotSettings>();
    commands_.SetFrame(this);
    // A command goes to the shown panes first, in this order, then to the frame.
    commands_.SetPanes([this] {
        const std::pair<QWidget*, bool> panes[] = {
            {shortCommandForm_, shortCommandShown_},
            {commandForm_, fullCommandShown_},
            {testSelectionForm_, testSelectionShown_},
            {gridForm_, gridViewShown_},
            {editFieldForm_, editFieldShown_},
            {inputHelpForm_, inputHelpShown_},
            {plotPane_, plotPaneShown_},
            {rangeForm_, rangeShown_},
        };
        std::vector<platform::CommandTarget*> targets;
        for (const auto& [pane, shown] : panes) {
            auto* target = dynamic_cast<platform::CommandTarget*>(pane);
            if (shown && target) targets.push_back(target);
        }
        return targets;
    });
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // The explorer is a window of its own; it goes before its model.
    explorer_.reset();
    explorerModel_.reset();
    // The X-Y plot window draws with the label fonts and works on the
    // settings: it goes first.
    delete xyPlotWindow_.data();
    // The drawer's panels point into the input stores, which go before the
    // child windows would.
    delete drawer_;
    drawer_ = nullptr;
    // Waits for an evaluation of the calculator before the tables go.
    calculator_.reset();
    // The forms hold no pointers into the catalogue; the current test is one
    // of its objects and goes with it.
    currentTest_ = nullptr;
    ClearTestCatalogue();
    labelFonts_.reset();
    mathtext::FreeSymbolFonts();
    mathtext::ClearSymbolMap();
}

bool CMainFrame::OnCreate() {
    panes_ = new QWidget;
    scroller_ = new platform::ScreenScroller(panes_, this);
    setCentralWidget(scroller_);

    if (!CreateMainForm()) return false;
    commandForm_ = new CQuorixCmdCompForm(this);
    testSelectionForm_ = new CTestSelectCompForm(this);
    plotPane_ = resultTabs_ = new CDistPlotCompForm(this);
    const std::pair<CFormViewEx*, bool> created[] = {
        {commandForm_, fullCommandShown_},
        {testSelectionForm_, testSelectionShown_},
        {plotPane_, plotPaneShown_},
    };
    for (const auto& [form, shown] : created) {
        if (!form->Create(panes_, QPoint(0, 0), kFormBorder | (shown ? kFormVisible : 0u)))
            return false;
    }
    if (!CreateShownExtraPanes()) return false;
    if (!resultTabs_->Graph()) return false;
    plotTarget_ = resultTabs_;
    // Connected after the pane's own handler, so the pane has switched its
    // views when the frame looks at them.
    if (auto* tabs = qobject_cast<QTabBar*>(resultTabs_->Control(CDistPlotCompForm::kTabs)))
        connect(tabs, &QTabBar::currentChanged, this, [this] { OnResultTabChanged(); });

    CreateMenusAndToolBar();
    statusText_ = new QLabel(QStringLiteral("Ready"));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(statusText_, 1);
    // The keyboard-lock indicators; the state of the locks is not shown.
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(QString::fromLatin1(indicator));
        label->setEnabled(false);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setContentsMargins(3, 0, 3, 0);
        statusBar()->addPermanentWidget(label);
    }
    statusBar()->setContentsMargins(0, 0, 4, 0);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    qApp->installEventFilter(this);
    return true;
}

bool CMainFrame::CreateMainForm() {
    CFormViewEx* form = nullptr;
    if (gridViewShown_) {
        form = gridForm_ = new CQuorixMainForm(this);
    } else {
        form = editFieldForm_ = new CQuorixMainCompForm(this);
    }
    return form->Create(panes_, QPoint(0, 0), kFormBorder | kFormVisible);
}

bool CMainFrame::CreateShownExtraPanes() {
    // The input help, the short command bar and the range of input values
    // start hidden; each is made when it is first to be shown, not at start-up.
    auto make = [this](CFormViewEx* form) {
        return form->Create(panes_, QPoint(0, 0), kFormBorder | kFormVisible);
    };
    if (inputHelpShown_ && !inputHelpForm_ && !make(inputHelpForm_ = new CInputHelpForm))
        return false;
    if (shortCommandShown_ && !shortCommandForm_ &&
        !make(shortCommandForm_ = new CQuorixCmdForm(this)))
        return false;
    if (rangeShown_ && !rangeForm_ && !make(rangeForm_ = new CRangeForm)) return false;
    return true;
}

CFormViewEx* CMainFrame::TestSelectionPane() const {
    return testSelectionForm_;
}

CFormViewEx* CMainFrame::MainForm() const {
    if (gridViewShown_) return gridForm_;
    return editFieldForm_;
}

void CMainFrame::ToggleGridView() {
    // The forms read and write the lists that a running calculation owns.
    if (!MainForm() || busy_) return;
    // What the user typed goes into the lists first, so the other form shows it.
    GetInputsFromForm(&inputs_);
    delete MainForm();
    gridForm_ = nullptr;
    editFieldForm_ = nullptr;
    gridViewShown_ = !gridViewShown_;
    editFieldShown_ = !gridViewShown_;
    if (!CreateMainForm()) return;
    SetInputsOnForm(&inputs_);
    SetOutputsOnForm(&outputs_);
    RecalcLayout(true);
}

void CMainFrame::GetInputsFromForm(PropertyList* inputs) {
    if (gridForm_) gridForm_->GetInputs(inputs);
    if (editFieldForm_) editFieldForm_->GetInputs(inputs);
}

void CMainFrame::SetInputsOnForm(PropertyList* inputs) {
    if (gridForm_) {
        gridForm_->SetInputs(inputs);
        effectSizeRow_ = gridForm_->EffectSizeRow();
    }
    if (editFieldForm_) {
        editFieldForm_->SetInputs(inputs);
        effectSizeRow_ = editFieldForm_->EffectSizeRow();
    }
}

void CMainFrame::SetOutputsOnForm(PropertyList* outputs) {
    if (gridForm_) gridForm_->SetOutputs(outputs);
    if (editFieldForm_) editFieldForm_->SetOutputs(outputs);
}

void CMainFrame::MarkInvalidInputOnForm(int index) {
    if (gridForm_) gridForm_->MarkInvalidInput(index);
    if (editFieldForm_) editFieldForm_->MarkInvalidInput(index, &inputs_);
}

void CMainFrame::SetEffectSizeOnForm(double value) {
    if (gridForm_) gridForm_->SetEffectSizeValue(value);
    if (editFieldForm_) editFieldForm_->SetEffectSizeValue(value);
}

Property* CMainFrame::FindParameter(std::string name) {
    // A running calculation owns the input list: nothing to look up then.
    if (busy_) return nullptr;
    GetInputsFromForm(&inputs_);
    return inputs_.Find(name);
}

void CMainFrame::CreateMenusAndToolBar() {
    auto action = [this](int id, const char* text, const QKeySequence& key = QKeySequence()) {
        return commands_.MakeAction(this, id, QString::fromUtf8(text), key);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* saveProtocol = action(kSaveProtocol, "Save Protocol ...");
    QAction* printProtocol = action(kPrintProtocol, "Print Protocol ...");
    file->addAction(saveProtocol);
    file->addAction(printProtocol);
    file->addAction(action(kClearProtocol, "Clear Protocol"));
    file->addSeparator();
    file->addAction(action(kSaveDistributionsPlot, "Save Distributions Plot ..."));
    file->addAction(action(kPrintDistributionsPlot, "Print Distributions Plot ..."));
    QAction* copyPlot = action(kCopyDistributionsPlot, "Copy Distributions Plot");
    file->addAction(copyPlot);
    file->addSeparator();
    file->addAction(action(kExit, "E&xit"));
    commands_.RefreshOnShow(file);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    QAction* gridView = action(kGridView, "&Grid View");
    gridView->setCheckable(true);
    view->addAction(gridView);
    QAction* togglePlot = action(kTogglePlot, "Hide &plot (toggle F4)");
    togglePlot->setCheckable(true);
    view->addAction(togglePlot);
    QAction* toggleSelection = action(kToggleTestSelection, "Hide test selection (toggle F5)");
    toggleSelection->setCheckable(true);
    view->addAction(toggleSelection);
    view->addSeparator();
    QAction* calculator = action(kCalculator, "&Calculator");
    view->addAction(calculator);
    // The explorer has no menu place of its own in the command table; without
    // one a user could never open it.
    view->addAction(action(kExplorerCommand, "General linear &model explorer ..."));
    commands_.RefreshOnShow(view);

    // The tests' items carry no shortcut and are reached only through the
    // menu, so its popups are made when it first opens, not before the
    // window shows; a test command reaches the frame by its id alone.
    QMenu* tests = menuBar()->addMenu(QStringLiteral("&Tests"));
    connect(tests, &QMenu::aboutToShow, this, [this, tests] {
        if (!tests->isEmpty()) return;
        // Each family declares the items of its tests in the catalogue.
        QMenu* popup = nullptr;
        std::optional<TestMenuPopup> popupShown;
        for (const TestMenuEntry& entry : TestMenu()) {
            if (popupShown != entry.item.popup) {
                popupShown = entry.item.popup;
                popup = tests->addMenu(QString::fromUtf8(TestMenuPopupCaption(entry.item.popup)));
                commands_.RefreshOnShow(popup);
            }
            popup->addAction(commands_.MakeAction(this, entry.item.commandId,
                                                  QString::fromUtf8(entry.item.caption)));
        }
    });
    commands_.RefreshOnShow(tests);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    QAction* about = action(kAbout, "&About Quorix...");
    help->addAction(about);
    commands_.RefreshOnShow(help);

    QToolBar* tools = addToolBar(QStringLiteral("Standard"));
    tools->setMovable(false);
    tools->setIconSize(QSize(16, 16));
    saveProtocol->setIcon(ToolIcon(ToolPicture::kSave));
    printProtocol->setIcon(ToolIcon(ToolPicture::kPrint));
    copyPlot->setIcon(ToolIcon(ToolPicture::kCopy));
    calculator->setIcon(ToolIcon(ToolPicture::kCalculator));
    about->setIcon(ToolIcon(ToolPicture::kAbout));
    for (QAction* a : {saveProtocol, printProtocol, copyPlot}) tools->addAction(a);
    tools->addSeparator();
    tools->addAction(calculator);
    tools->addSeparator();
    tools->addAction(about);
    commands_.RefreshActions();
}

void CMainFrame::ResetSelection(int typeIndex) {
    outputsValid_ = false;
    SetPlotValid(false);
    if (commandForm_) commandForm_->EnableXYPlot(false);
    if (!testSelectionForm_ || TestCatalogue.empty()) return;
    testSelectionForm_->FillFamilies();
    testSelectionForm_->SelectFamily(0, 0, typeIndex);
}

bool CMainFrame::SelectTest(int testId) {
    if (busy_ || !testSelectionForm_) return false;
    int family = -1;
    int index = -1;
    if (!CTestSelectCompForm::FindInCatalogue(FindTest(testId), &family, &index)) return false;
    outputsValid_ = false;
    SetPlotValid(false);
    if (commandForm_) commandForm_->EnableXYPlot(false);
    const bool drawerOpen = EffectSizeDrawerOpen();
    CloseEffectSizeDrawer();
    testSelectionForm_->SelectFamily(family, index, 0);
    ApplyTestToForms();
    if (drawerOpen && effectSizeRow_ > 0) CreateEffectSizePanels(EffectSizePanelId());
    return true;
}

void CMainFrame::SetChosenType(int index) {
    if (index < 0 || index >= static_cast<int>(analysisTypes_.size())) return;
    chosenTypeIndex_ = index;
    analysisType_ =
        static_cast<AnalysisType>(static_cast<PropertyLong*>(analysisTypes_[index])->GetValue());
}

void CMainFrame::OnAnalysisTypeSelected(int index) {
    if (busy_ || !currentTest_) return;
    GetInputsFromForm(&inputs_);
    currentTest_->RememberInputs(&inputs_);
    SetChosenType(index);
    ApplyTestToForms();
    OnInputsChanged();
    if (analysisType_ == kSensitivity) CloseEffectSizeDrawer();
}

int CMainFrame::EffectSizePanelId() const {
    if (gridForm_) return gridForm_->EffectSizePanelId();
    if (editFieldForm_) return editFieldForm_->EffectSizePanelId();
    return -1;
}

void CMainFrame::ApplyTestToForms() {
    outputsValid_ = false;
    SetPlotValid(false);
    inputs_.Clear();
    outputs_.Clear();
    if (commandForm_) commandForm_->ShowOptions(currentTest_ && currentTest_->HasOptions());
    if (currentTest_) {
        currentTest_->BuildInputList(analysisType_, &inputs_);
        currentTest_->BuildOutputList(analysisType_, &outputs_);
    }
    SetInputsOnForm(&inputs_);
    SetOutputsOnForm(&outputs_);
    if (commandForm_) commandForm_->EnableXYPlot(outputsValid_);
    // The graph of the last calculation belongs to the test and type it was
    // made with: repainted now, the pane is blank (a menu's choice of test
    // repaints nothing else).
    if (resultTabs_ && resultTabs_->Graph()) resultTabs_->Graph()->update();
}

void CMainFrame::RecalcLayout(bool) {
    if (!MainForm() || !panes_) return;
    CreateShownExtraPanes();
    struct Pane {
        CFormViewEx* form;
        bool shown;
    };
    const Pane order[] = {
        {plotPane_, plotPaneShown_},
        {testSelectionForm_, testSelectionShown_},
        {gridForm_, gridViewShown_},
        {editFieldForm_, editFieldShown_},
        {inputHelpForm_, inputHelpShown_},
        {rangeForm_, rangeShown_},
        {shortCommandForm_, shortCommandShown_},
        {commandForm_, fullCommandShown_},
    };
    int y = 0;
    int width = 0;
    CFormViewEx* lowest = nullptr;
    for (const Pane& pane : order) {
        if (!pane.form) continue;
        if (!pane.shown) {
            pane.form->hide();
            continue;
        }
        const QSize size = pane.form->GetDesignSize();
        pane.form->setGeometry(0, y, size.width(), size.height());
        pane.form->show();
        lowest = pane.form;
        // The grid form keeps a small gap below it.
        y += size.height() + (pane.form == gridForm_ ? 4 : 0);
        width = std::max(width, size.width());
    }
    panes_->setFixedSize(width, y);
    // As large as the panes where the screen has room; else as large as the
    // screen's free area, the panes scrolling inside.
    platform::FitToScreen(this, scroller_);
    // Scrolled, the window shows the inputs, the outputs and the command
    // form at the bottom; the plot above them is a scroll away.
    if (lowest && scroller_->widget()->height() > scroller_->viewport()->height())
        scroller_->ensureWidgetVisible(lowest, 0, 0);
    FitEffectSizeDrawer();
}

void CMainFrame::OnInputsChanged() {
    outputsValid_ = false;
    SetPlotValid(false);
    if (resultTabs_ && resultTabs_->Graph()) resultTabs_->Graph()->RedrawBlank();
    if (commandForm_) commandForm_->EnableXYPlot(false);
    if (editFieldForm_) editFieldForm_->ClearOutputs(&outputs_);
    if (gridForm_) gridForm_->ClearOutputs(&outputs_);
}

void CMainFrame::OnInputCommitted() {
    if (!currentTest_ || !MainForm() || busy_) return;
    GetInputsFromForm(&inputs_);
    currentTest_->RememberInputs(&inputs_);
    if (currentTest_->InputsChangeLayout(analysisType_, &inputs_)) {
        inputs_.Clear();
        currentTest_->BuildInputList(analysisType_, &inputs_);
        SetInputsOnForm(&inputs_);
    }
}

CPlotAndTable* CMainFrame::XYPlotWindow() const {
    return xyPlotWindow_.data();
}

// It reads the current test and its lists, so it may not run while a
// calculation owns them.
void CMainFrame::OnXYPlot() {
    if (busy_ || !currentTest_) return;
    // A running computation works on the settings' copy of the test: the
    // window is only brought forward.
    const bool computing = xyPlotWindow_ && xyPlotWindow_->IsComputing();
    if (!computing) {
        if (xyPlotWindow_) xyPlotWindow_->SetShowEntry(0);
        std::array<int, 4> roles{};
        if (XYPlotRolesFor(analysisType_, currentTest_->IsGenericTest(), &roles))
            plotSettings_->InitFromAnalysis(currentTest_, roles[0], roles[1], roles[2], roles[3]);
        if (!plotSettings_->test) return;
        if (xyPlotWindow_) {
            xyPlotWindow_->ReloadFromSettings();
        } else {
            // A window of its own beside the frame; it deletes itself when closed.
            xyPlotWindow_ = new CPlotAndTable(plotSettings_.get(), labelFonts_.get());
            xyPlotWindow_->setAttribute(Qt::WA_DeleteOnClose);
            xyPlotWindow_->setWindowIcon(ProgramIcon());
        }
    }
    if (xyPlotWindow_->isMinimized()) xyPlotWindow_->showNormal();
    xyPlotWindow_->show();
    xyPlotWindow_->raise();
    xyPlotWindow_->activateWindow();
}

void CMainFrame::OnCalculator() {
    if (!calculator_) {
        // A window of its own beside the frame, not owned by it on screen.
        calculator_ = std::make_unique<CCalculator>(QDir(programFolder_).filePath("models"));
        calculator_->setWindowIcon(ProgramIcon());
    }
    if (calculator_->isMinimized()) calculator_->showNormal();
    calculator_->show();
    calculator_->raise();
    calculator_->activateWindow();
}

bool CMainFrame::OnOptions() {
    // The test and its lists belong to a running calculation.
    if (busy_ || !currentTest_ || !currentTest_->HasOptions()) return false;
    const int testId = currentTest_->GetTestId();
    // What the user typed survives the rebuild of the lists below.
    GetInputsFromForm(&inputs_);
    currentTest_->RememberInputs(&inputs_);
    bool rebuildDrawer = false;
    if (!RunOptionsDialog(this, this, &rebuildDrawer)) return false;
    ApplyTestToForms();
    // The drawer reopens with the panel the new option selects, reading the
    // rebuilt inputs.
    if (rebuildDrawer && EffectSizeDrawerOpen()) {
        CloseEffectSizeDrawer();
        CreateEffectSizePanels(testId);
    }
    return true;
}

void CMainFrame::OnExplorer() {
    // The explorer has no parent window. It and its model stay for the run,
    // so that closing it loses nothing typed.
    if (!explorer_) {
        explorerModel_ = std::make_unique<PowerGLMM>();
        explorerModel_->SetDimensions(5, 3, 4);
        explorer_ = std::make_unique<CGLMMExplorer>(nullptr);
        explorer_->SetModel(explorerModel_.get());
    }
    explorer_->DoModal();
}

void CMainFrame::AddProtocolEntry(const ProtocolRecord& record) {
    if (resultTabs_) resultTabs_->AddProtocolEntry(record);
}

CProtocolView* CMainFrame::ProtocolView() const {
    return resultTabs_ ? resultTabs_->Protocol() : nullptr;
}

std::string CMainFrame::ProtocolText() const {
    CProtocolView* view = ProtocolView();
    return view && view->Edit() ? ToNarrowString(view->Edit()->toPlainText()) : std::string();
}

void CMainFrame::PumpMessages() {
    platform::PumpMessages();
}

bool CMainFrame::HandleCommand(int id) {
    if (TestIdForCommand(id) >= 0) {
        SelectTest(TestIdForCommand(id));
        return true;
    }
    switch (id) {
        case kTogglePlot:
            plotPaneShown_ = !plotPaneShown_;
            RecalcLayout(true);
            PumpMessages();
            return true;
        case kToggleTestSelection:
            testSelectionShown_ = !testSelectionShown_;
            RecalcLayout(true);
            PumpMessages();
            return true;
        case kGridView:
            ToggleGridView();
            return true;
        case kExplorerCommand:
            if (!busy_) OnExplorer();
            return true;
        case kCalculator:
            OnCalculator();
            return true;
        case kDiagnosticDump:
            if (!busy_) OnDiagnosticDump();
            return true;
        case kToolBarCommand:
        case kStatusBarCommand: {
            // The window has no sizing border: it takes the bar's room at once.
            QWidget* bar =
                id == kToolBarCommand ? static_cast<QWidget*>(findChild<QToolBar*>()) : statusBar();
            if (!bar) return false;
            bar->setHidden(!bar->isHidden());
            RecalcLayout(true);
            update();
            return true;
        }
        case kAbout:
            ShowAbout();
            return true;
        case kExit:
            close();
            return true;
        default:
            return false;
    }
}

bool CMainFrame::QueryCommand(int id, platform::CommandState* state) {
    if (TestIdForCommand(id) >= 0) {
        // Tests that this build does not carry cannot be chosen.
        state->enabled = !busy_ && FindTest(TestIdForCommand(id)) != nullptr;
        return true;
    }
    switch (id) {
        case kTogglePlot:
            state->checked = !plotPaneShown_;
            return true;
        case kToggleTestSelection:
            state->checked = !testSelectionShown_;
            return true;
        case kGridView:
            state->checked = gridViewShown_;
            state->enabled = !busy_;
            return true;
        case kExplorerCommand:
        case kDiagnosticDump:
            state->enabled = !busy_;
            return true;
        case kCalculator:
            // The calculator keeps its own worker and may open during a calculation.
            return true;
        case kToolBarCommand:
            state->checked = findChild<QToolBar*>() && !findChild<QToolBar*>()->isHidden();
            return true;
        case kStatusBarCommand:
            state->checked = !statusBar()->isHidden();
            return true;
        case kAbout:
        case kExit:
            return true;
        default:
            return false;
    }
}

void CMainFrame::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The window manager frames the window after it is mapped.
    QTimer::singleShot(0, this, [this] { RecalcLayout(true); });
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (widget && widget->window() == this) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // An edit in a grid cell takes Esc to give itself up, unless a
            // calculation runs.
            if (key == Qt::Key_Escape && !worker_.Running() && InsideGrid(widget))
                return QMainWindow::eventFilter(watched, event);
            if (HandleKey(key)) return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::HandleKey(int key) {
    switch (key) {
        case Qt::Key_Escape:
            // Esc cancels a running calculation and is never passed on.
            if (worker_.Running() && currentTest_) {
                currentTest_->cancelled.store(true);
                QApplication::beep();
            }
            return true;
        // F4 and F5 are consumed: a key that no widget takes travels up to the
        // window and would come through here a second time.
        case Qt::Key_F4:
            HandleCommand(kTogglePlot);
            return true;
        case Qt::Key_F5:
            HandleCommand(kToggleTestSelection);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Swallowed while a worker runs; left to the focused control while
            // the frame is busy otherwise (a message box of the calculation).
            if (worker_.Running()) return true;
            if (busy_ || enterInProgress_ || matrixDialogOpen_) return false;
            enterInProgress_ = true;
            if (commandForm_ && fullCommandShown_) commandForm_->EnableCalculate(false);
            if (shortCommandForm_ && shortCommandShown_) shortCommandForm_->EnableCalculate(false);
            OnCalculate();
            if (commandForm_ && fullCommandShown_) commandForm_->EnableCalculate(true);
            if (shortCommandForm_ && shortCommandShown_) shortCommandForm_->EnableCalculate(true);
            enterInProgress_ = false;
            return true;
        default:
            return false;
    }
}

void CMainFrame::ShowAbout() {
    QDialog about(this);
    about.setWindowTitle(QStringLiteral("About Quorix"));
    auto* layout = new QVBoxLayout(&about);
    auto* text =
        new QLabel(QString::fromUtf8("Quorix Version 3.1.9.7\n\n"
                                     "Statistical power analysis for t, z, F, χ² "
                                     "and exact tests."));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    about.exec();
}
