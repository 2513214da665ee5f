#include "app/xyplot/xy_plot_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "app/compute/numerics_claim.h"
#include "app/widgets/ui_helpers.h"
#include "app/xyplot/table_title.h"
#include "app/xyplot/xy_plot_settings.h"
#include "app/xyplot/xy_plot_view.h"
#include "numerics/cancel.h"
#include "platform/dialogs.h"
#include "platform/environment.h"
#include "platform/screen_fit.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/grid/grid_types.h"

using namespace xy_plot_ids;
using platform::ControlKind;

namespace {

void Add(platform::DialogTemplate& t, int id, ControlKind kind, const char* caption,
         platform::DialogRect rect, unsigned style = platform::kStyleNone,
         std::vector<std::string> items = {}) {
    t.controls.push_back({id, kind, caption, rect, style, std::move(items)});
}

constexpr int kTableTitleHeight = 44;  // pixels above the table

// The form's edit fields by the number Validate gives them.
constexpr int kFieldIds[] = {kXFrom, kXStep, kXTo, kLayerFrom, kLayerStep, kConstantValue};

// The caller's floating-point environment comes back, flags cleared.
class FloatingPointGuard {
  public:
    FloatingPointGuard() {
        std::fegetenv(&saved_);
        std::feclearexcept(FE_ALL_EXCEPT);
    }
    ~FloatingPointGuard() {
        std::fesetenv(&saved_);
        std::feclearexcept(FE_ALL_EXCEPT);
    }
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

  private:
    std::fenv_t saved_;
};

class CPlotForm : public CFormViewEx {
  public:
    explicit CPlotForm(CPlotAndTable* window) : CFormViewEx(PlotWindowForm()), window_(window) {}

  protected:
    void OnControlEvent(int id, platform::ControlEvent event) override {
        window_->OnControl(id, event);
    }

  private:
    CPlotAndTable* window_;
};

}  // namespace

platform::DialogTemplate PlotWindowForm() {
    platform::DialogTemplate t;
    t.id = 154;
    t.width = 520;
    t.height = 334;
    const std::vector<std::string> roles = {"Power (1-b) error prob", "a error probability",
                                            "Effect size", "Sample Size"};
    Add(t, kTabs, ControlKind::TabBar, "", {7, 4, 506, 14});
    Add(t, kArea, ControlKind::Area, "", {7, 18, 506, 204});
    Add(t, kParametersGroup, ControlKind::GroupBox, "Plot Parameters", {7, 225, 506, 106});
    Add(t, kYLabel, ControlKind::Label, "Plot (on y axis)", {14, 239, 58, 10});
    Add(t, kYCombo, ControlKind::DropDownList, "", {74, 238, 112, 80}, platform::kStyleNone, roles);
    Add(t, kMarkers, ControlKind::CheckBox, "with markers", {194, 238, 62, 12});
    Add(t, kValueLabels, ControlKind::CheckBox, "and displaying the values in the plot",
        {258, 238, 142, 12}, platform::kHidden);
    Add(t, kDigits, ControlKind::Area, "", {402, 238, 26, 12}, platform::kHidden);
    Add(t, kDigitsLabel, ControlKind::Label, "digits", {431, 239, 26, 10}, platform::kHidden);
    Add(t, kXLabel, ControlKind::Label, "as a function of", {14, 257, 58, 10});
    Add(t, kXCombo, ControlKind::DropDownList, "", {74, 256, 112, 80}, platform::kStyleNone, roles);
    Add(t, 1154, ControlKind::Label, "from", {194, 257, 20, 10});
    Add(t, kXFrom, ControlKind::Edit, "", {216, 256, 42, 12});
    Add(t, 1155, ControlKind::Label, "in steps of", {264, 257, 40, 10});
    Add(t, kXStep, ControlKind::Edit, "", {306, 256, 42, 12});
    Add(t, 1156, ControlKind::Label, "through to ", {354, 257, 42, 10});
    Add(t, kXTo, ControlKind::Edit, "", {398, 256, 42, 12});
    Add(t, 1157, ControlKind::Label, "Plot", {14, 275, 18, 10});
    Add(t, kCurveCount, ControlKind::DropDownList, "", {34, 274, 30, 120}, platform::kStyleNone,
        {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"});
    Add(t, 1158, ControlKind::Label, "graph(s)", {67, 275, 36, 10});
    Add(t, kShowLabel, ControlKind::Label, "Show", {194, 275, 20, 10});
    Add(t, kShow, ControlKind::DropDownList, "", {216, 274, 132, 40}, platform::kStyleNone,
        {"interpolating points", "calculating intermediate points"});
    Add(t, kLayerLabel, ControlKind::Label, "with", {14, 293, 58, 10});
    Add(t, kLayerCombo, ControlKind::DropDownList, "", {74, 292, 112, 80}, platform::kStyleNone,
        roles);
    Add(t, kLayerFromLabel, ControlKind::Label, "at", {194, 293, 20, 10});
    Add(t, kLayerFrom, ControlKind::Edit, "", {216, 292, 42, 12});
    Add(t, kLayerStepLabel, ControlKind::Label, "in steps of", {264, 293, 40, 10},
        platform::kHidden);
    Add(t, kLayerStep, ControlKind::Edit, "", {306, 292, 42, 12}, platform::kHidden);
    Add(t, kConstantLabel, ControlKind::Label, "and", {14, 311, 58, 10});
    Add(t, kConstantCombo, ControlKind::DropDownList, "", {74, 310, 112, 80}, platform::kStyleNone,
        roles);
    Add(t, kConstantValueLabel, ControlKind::Label, "at", {194, 311, 20, 10});
    Add(t, kConstantValue, ControlKind::Edit, "", {216, 310, 42, 12});
    Add(t, kProgress, ControlKind::Area, "", {354, 294, 86, 10}, platform::kHidden);
    Add(t, kDrawPlot, ControlKind::PushButton, "Draw plot", {448, 290, 58, 16});
    return t;
}

CPlotAndTable::CPlotAndTable(PlotSettings* settings, mathtext::LabelFontSets* fonts,
                             QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      settings_(settings),
      fonts_(fonts) {
    setWindowTitle(QString::fromLatin1(xy_plot_messages::kCaption));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildMenu();
    layout->setMenuBar(menu_);
    form_ = new CPlotForm(this);
    form_->Create(this, QPoint(0, 0), kFormVisible);
    formSize_ = form_->GetDesignSize();
    form_->setMinimumSize(formSize_);
    scroller_ = new platform::ScreenScroller(form_, this);
    layout->addWidget(scroller_);

    auto* tabs = static_cast<QTabBar*>(form_->Control(kTabs));
    tabs->addTab(QStringLiteral("Graph"));
    tabs->addTab(QStringLiteral("Table"));

    QWidget* area = form_->Control(kArea);
    graphView_ = new CPlotGraphView(
        [this] {
            XYPlotOptions options;
            options.plotValid = PlotValid();
            options.markers = MarkersShown();
            options.valueLabels = ValueLabelsShown();
            options.digits = ValueDigits();
            return options;
        },
        fonts_, area);
    graphView_->SetSettings(settings_);
    tablePane_ = new QWidget(area);
    tableTitle_ = new CTableTitle(fonts_, tablePane_);
    table_ = new CGridCtrl(0, 0, 0, 0, tablePane_);
    table_->Create(QRect(0, kTableTitleHeight, 10, 10), tablePane_, 0);
    table_->SetEditable(false);
    LayoutArea();

    progress_ = new QProgressBar(form_->Control(kProgress));
    progress_->setRange(0, 100);
    progress_->setTextVisible(false);
    progress_->setGeometry(form_->Control(kProgress)->rect());

    digits_ = new QSpinBox(form_->Control(kDigits));
    digits_->setRange(0, 7);
    digits_->setValue(3);
    digits_->setFont(form_->DialogFont());
    digits_->setGeometry(form_->Control(kDigits)->rect());
    connect(digits_, &QSpinBox::valueChanged, this, [this] { Repaint(); });

    FillRoleCombos();
    form_->List(kCurveCount)->setCurrentIndex(std::clamp(settings_->curveCount, 1, 10) - 1);
    form_->List(kShow)->setCurrentIndex(settings_->interpolateOnly ? 0 : 1);
    SelectRoleCombos();
    WriteFields();
    ShowCurrentTab();
    adjustSize();
    setFixedSize(sizeHint());
    platform::FitToScreen(this, scroller_);
    qApp->installEventFilter(this);
}

CPlotAndTable::~CPlotAndTable() {
    qApp->removeEventFilter(this);
    // A worker still running stops at its next look at the flags; the
    // worker's destructor waits for it.
    RequestCancel();
}

void CPlotAndTable::BuildMenu() {
    menu_ = new QMenuBar(this);
    auto add = [this](QMenu* menu, int id, const char* text) {
        QAction* action = menu->addAction(QString::fromUtf8(text));
        action->setData(id);
        return action;
    };
    QMenu* file = menu_->addMenu(QStringLiteral("&File"));
    connect(add(file, kSavePlot, "Save Plot ..."), &QAction::triggered, this,
            [this] { graphView_->SaveAsEmf(); });
    connect(add(file, kPrintPlot, "Print Plot ..."), &QAction::triggered, this,
            [this] { graphView_->Print(); });
    file->addSeparator();
    connect(add(file, kExit, "&Exit"), &QAction::triggered, this, &QWidget::close);
    QMenu* edit = menu_->addMenu(QStringLiteral("&Edit"));
    connect(add(edit, kCopyPlot, "Copy Plot"), &QAction::triggered, this,
            [this] { graphView_->CopyToClipboard(); });
    QMenu* view = menu_->addMenu(QStringLiteral("&View"));
    QAction* resizable = add(view, kResizable, "Resizeable Window");
    resizable->setCheckable(true);
    connect(resizable, &QAction::triggered, this, [this](bool on) { SetResizable(on); });
    for (QMenu* menu : {file, edit, view})
        connect(menu, &QMenu::aboutToShow, this, [this] { RefreshActions(); });
    RefreshActions();
}

QAction* CPlotAndTable::Action(int id) const {
    for (QAction* top : menu_->actions()) {
        if (!top->menu()) continue;
        for (QAction* action : top->menu()->actions())
            if (action->data().toInt() == id) return action;
    }
    return nullptr;
}

void CPlotAndTable::RefreshActions() {
    const bool shown = plotValid_ && !computing_;
    for (int id : {kSavePlot, kPrintPlot, kCopyPlot})
        if (QAction* action = Action(id)) action->setEnabled(shown);
    if (QAction* action = Action(kResizable)) action->setChecked(resizable_);
}

// ------------------------------------------------------------ controls

void CPlotAndTable::FillRoleCombos() {
    const int count = settings_->ParameterCount();
    for (int id : {kYCombo, kXCombo, kLayerCombo, kConstantCombo}) {
        QComboBox* combo = form_->List(id);
        combo->clear();
        for (int p = 0; p < count; ++p) combo->addItem(ToDisplayLabel(settings_->names[p]));
    }
    const bool constant = count == 4;
    for (int id : {kConstantLabel, kConstantCombo, kConstantValueLabel, kConstantValue})
        form_->Control(id)->setVisible(constant);
}

void CPlotAndTable::SelectRoleCombos() {
    const std::pair<int, int> roles[] = {{kYCombo, settings_->yRole},
                                         {kXCombo, settings_->xRole},
                                         {kLayerCombo, settings_->layerRole},
                                         {kConstantCombo, settings_->constantRole}};
    for (const auto& [id, role] : roles) {
        QComboBox* combo = form_->List(id);
        combo->setCurrentIndex(role < combo->count() ? role : -1);
    }
}

void CPlotAndTable::WriteFields() {
    const char* format = "%.7g";
    form_->SetDlgItemDouble(kXFrom, settings_->xFrom, format);
    form_->SetDlgItemDouble(kXStep, settings_->xStep, format);
    form_->SetDlgItemDouble(kXTo, settings_->xTo, format);
    UpdateLayerControls();
    form_->SetDlgItemDouble(kConstantValue, settings_->constantValue, format);
}

void CPlotAndTable::UpdateLayerControls() {
    const bool several = settings_->curveCount > 1;
    form_->SetControlText(kLayerFromLabel, several ? QStringLiteral("from") : QStringLiteral("at"));
    form_->Control(kLayerStepLabel)->setVisible(several);
    form_->Control(kLayerStep)->setVisible(several);
    const char* format = "%.7g";
    form_->SetDlgItemDouble(kLayerFrom,
                            several ? settings_->layerFrom : settings_->layerSingleValue, format);
    form_->SetDlgItemDouble(kLayerStep, settings_->layerStep, format);
}

void CPlotAndTable::UpdateValueControls() {
    const bool markers = MarkersShown();
    form_->Control(kValueLabels)->setVisible(markers);
    const bool values = markers && form_->Button(kValueLabels)->isChecked();
    form_->Control(kDigits)->setVisible(values);
    form_->Control(kDigitsLabel)->setVisible(values);
}

bool CPlotAndTable::MarkersShown() const {
    return form_->Button(kMarkers)->isChecked();
}

bool CPlotAndTable::ValueLabelsShown() const {
    return MarkersShown() && form_->Button(kValueLabels)->isChecked();
}

int CPlotAndTable::ValueDigits() const {
    return digits_ ? digits_->value() : 3;
}

void CPlotAndTable::OnControl(int id, platform::ControlEvent event) {
    // The tab bar reports its first tab while the window is being built.
    if (computing_ || !graphView_) return;
    using platform::ControlEvent;
    const bool selection = event == ControlEvent::SelectionChanged;
    const bool clicked = event == ControlEvent::Clicked;
    auto index = [&] { return form_->List(id) ? form_->List(id)->currentIndex() : -1; };
    if (selection &&
        (id == kYCombo || id == kXCombo || id == kLayerCombo || id == kConstantCombo)) {
        const int p = index();
        if (p < 0) return;
        if (id == kYCombo) settings_->SetYRole(p);
        if (id == kXCombo) settings_->SetXRole(p);
        if (id == kLayerCombo) settings_->SetLayerRole(p);
        if (id == kConstantCombo) settings_->SetConstantRole(p);
        SelectRoleCombos();
        WriteFields();
    } else if (selection && id == kCurveCount) {
        settings_->curveCount = index() + 1;
        UpdateLayerControls();
        if (plotValid_) OnDrawPlot();
    } else if (selection && id == kShow) {
        settings_->interpolateOnly = index() == 0;
        if (plotValid_) OnDrawPlot();
    } else if (selection && id == kTabs) {
        tableShown_ = static_cast<QTabBar*>(form_->Control(kTabs))->currentIndex() == 1;
        ShowCurrentTab();
    } else if (clicked && (id == kMarkers || id == kValueLabels)) {
        UpdateValueControls();
        Repaint();
    } else if (clicked && id == kDrawPlot) {
        OnDrawPlot();
    }
}

void CPlotAndTable::SetShowEntry(int index) {
    QComboBox* show = form_->List(kShow);
    show->setCurrentIndex(index);
    settings_->interpolateOnly = index == 0;
}

void CPlotAndTable::ReloadFromSettings() {
    settings_->curveCount = form_->List(kCurveCount)->currentIndex() + 1;
    FillRoleCombos();
    SelectRoleCombos();
    WriteFields();
    plotValid_ = false;
    graphView_->SetSettings(settings_);
    FillTable();
    Repaint();
}

// ------------------------------------------------------------ computing

bool CPlotAndTable::ReadFields() {
    bool ok = true;
    auto read = [&](int id) {
        if (!ok) return 0.0;
        const double v = form_->GetDlgItemDouble(id, "", &ok);
        if (!ok) {
            if (auto* edit = form_->Edit(id)) edit->selectAll();
        }
        return v;
    };
    const double from = read(kXFrom);
    const double step = read(kXStep);
    const double to = read(kXTo);
    if (!ok) return false;
    settings_->SetXRange(from, to, step);
    if (settings_->curveCount < 2) {
        const double v = read(kLayerFrom);
        if (!ok) return false;
        settings_->SetLayerValue(v);
    } else {
        const double layerFrom = read(kLayerFrom);
        const double layerStep = read(kLayerStep);
        if (!ok) return false;
        settings_->SetLayerRange(layerFrom, layerStep);
    }
    if (settings_->ParameterCount() == 4) {
        const double v = read(kConstantValue);
        if (!ok) return false;
        settings_->SetConstantValue(v);
    }
    return true;
}

void CPlotAndTable::OnDrawPlot() {
    if (computing_) return;
    std::optional<platform::WaitCursor> waitCursor(std::in_place);
    plotValid_ = false;
    tableTitle_->SetSettings(nullptr);
    Repaint();
    if (!ReadFields()) return;
    const int field = settings_->Validate();
    if (field >= 0) {
        QLineEdit* edit = form_->Edit(kFieldIds[field]);
        if (edit) {
            edit->setFocus(Qt::OtherFocusReason);
            edit->selectAll();
        }
        waitCursor.reset();
        platform::ShowMessage(this, ToDisplayLabel(settings_->message),
                              QString::fromLatin1(calc_messages::kInputError),
                              platform::MessageIcon::Error);
        return;
    }
    // The numerical routines are shared with the main window's calculation
    // and the calculator: one computation at a time.
    NumericsClaim numerics;
    if (!numerics.Held()) {
        waitCursor.reset();
        platform::ShowMessage(this, QString::fromLatin1(xy_plot_messages::kBusy),
                              QString::fromLatin1(calc_messages::kPleaseNote),
                              platform::MessageIcon::Information);
        return;
    }

    computing_ = true;
    FillTable();
    std::vector<bool> enabled;
    for (QWidget* control : form_->Controls()) {
        enabled.push_back(control->isEnabled());
        if (control != form_->Control(kTabs) && control != form_->Control(kArea) &&
            control != form_->Control(kProgress))
            control->setEnabled(false);
    }
    RefreshActions();
    cancel_.store(false);
    settings_->test->cancelled.store(false);
    // The worker only posts the progress; the bar is set on this thread.
    QPointer<QProgressBar> bar = progress_;
    settings_->progress = [this, bar](double fraction) {
        const int value = static_cast<int>(std::floor(std::clamp(fraction, 0.0, 1.0) * 100));
        QMetaObject::invokeMethod(
            bar.data(),
            [bar, value] {
                if (bar) bar->setValue(value);
            },
            Qt::QueuedConnection);
        return cancel_.load();
    };
    progress_->setValue(0);
    form_->Control(kProgress)->show();

    CalculationWorker::Outcome outcome;
    {
        FloatingPointGuard floatingPoint;
        PlotSettings* settings = settings_;
        const std::atomic<bool>* cancelled = &cancel_;
        outcome = worker_.Run(
            [settings, cancelled] {
                // Loops of the numerical routines that know no test poll this.
                CancelCheck check([cancelled] { return cancelled->load(); });
                return settings->BuildSeries() ? 1 : 0;
            },
            cancel_,
            [] {
                platform::PumpMessages();
                platform::SleepMilliseconds(5);
            });
    }
    settings_->progress = nullptr;
    form_->Control(kProgress)->hide();
    for (size_t i = 0; i < enabled.size(); ++i) form_->Controls()[i]->setEnabled(enabled[i]);
    computing_ = false;
    waitCursor.reset();

    using platform::MessageIcon;
    const bool interrupted =
        outcome.cancelled || (outcome.status == WorkerStatus::kFinished && outcome.result == 0);
    if (closeAfterComputation_) {
        // The user closed the window meanwhile: no message.
    } else if (interrupted) {
        platform::ShowMessage(this, QString::fromLatin1(xy_plot_messages::kInterrupted),
                              QString::fromLatin1(xy_plot_messages::kInterruptedCaption),
                              MessageIcon::Information);
    } else if (outcome.status == WorkerStatus::kNumericalError) {
        platform::ShowMessage(this, QString::fromLatin1(calc_messages::kMathError),
                              QString::fromLatin1(calc_messages::kMathErrorCaption),
                              MessageIcon::Error);
    } else if (outcome.status == WorkerStatus::kOtherError) {
        platform::ShowMessage(
            this, QString::fromLatin1(calc_messages::kUnknownError) + QLatin1Char('\n'),
            QString::fromLatin1(calc_messages::kUnknownErrorCaption), MessageIcon::Error);
    } else {
        settings_->CommitRanges();
        plotValid_ = true;
        graphView_->SetSettings(settings_);
        tableTitle_->SetSettings(settings_);
    }
    FillTable();
    Repaint();
    RefreshActions();
    if (closeAfterComputation_) QTimer::singleShot(0, this, &QWidget::close);
}

void CPlotAndTable::RequestCancel() {
    cancel_.store(true);
    if (settings_ && settings_->test) settings_->test->cancelled.store(true);
}

// ------------------------------------------------------------ the table

void CPlotAndTable::FillTable() {
    table_->SetRedraw(false);
    table_->DeleteAllItems();
    if (!plotValid_ || settings_->tableCurves.empty()) {
        table_->SetRedraw(true, true);
        return;
    }
    const PlotSettings& s = *settings_;
    const int curves = static_cast<int>(s.tableCurves.size());
    const XYCurve& first = s.tableCurves[0];
    table_->SetColumnCount(curves + 2);
    table_->SetRowCount(static_cast<int>(first.size()) + 1);
    table_->SetFixedRowCount(1);
    table_->SetFixedColumnCount(1);
    auto name = [&](int role) {
        return role >= 0 && role < 4 ? ToDisplayLabel(s.names[role]) : QString();
    };
    auto number = [](double v) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%#.06g", v);
        return QString::fromLatin1(buffer);
    };
    table_->SetItemText(0, 0, QStringLiteral("#"));
    table_->SetItemText(0, 1, name(s.xRole));
    for (int k = 0; k < curves; ++k) {
        QString heading = name(s.yRole);
        if (curves > 1)
            heading += QLatin1Char('\n') + name(s.layerRole) + ToDisplayLabel(s.curveLabels[k]);
        table_->SetItemText(0, 2 + k, heading);
    }
    for (size_t i = 0; i < first.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        table_->SetItemText(row, 0, QString::number(row));
        table_->SetItemText(row, 1, number(first[i].x));
        for (int k = 0; k < curves; ++k) {
            const XYCurve& curve = s.tableCurves[k];
            if (i < curve.size() && curve[i].valid)
                table_->SetItemText(row, 2 + k, number(curve[i].y));
        }
    }
    // The curve headings take two lines: the plotted parameter, then the layer's value.
    for (int c = 0; c < curves + 2; ++c)
        table_->SetItemFormat(0, c, kFmtCenter | kFmtVCenter | kFmtWordBreak | kFmtNoPrefix);
    table_->AutoSizeRow(0);
    for (int c = 0; c < curves + 2; ++c) table_->AutoSizeColumn(c);
    table_->ExpandLastColumn();
    table_->SetRedraw(true, true);
}

// ------------------------------------------------------------ showing

void CPlotAndTable::ShowCurrentTab() {
    graphView_->setVisible(!tableShown_);
    tablePane_->setVisible(tableShown_);
    Repaint();
}

void CPlotAndTable::Repaint() {
    if (tableShown_) {
        tableTitle_->update();
        table_->viewport()->update();
    } else {
        graphView_->update();
    }
}

void CPlotAndTable::LayoutArea() {
    QWidget* area = form_->Control(kArea);
    graphView_->FitToParent();
    tablePane_->setGeometry(area->rect());
    tableTitle_->setGeometry(0, 0, area->width(), kTableTitleHeight);
    table_->setGeometry(0, kTableTitleHeight, area->width(), area->height() - kTableTitleHeight);
}

void CPlotAndTable::SetResizable(bool on) {
    if (on == resizable_) return;
    resizable_ = on;
    if (on) {
        scroller_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        setMinimumSize(std::max(kMinimumWidth, minimumWidth()),
                       std::max(kMinimumHeight, minimumHeight()));
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        setMinimumSize(0, 0);
        setFixedSize(sizeHint());
    }
    platform::FitToScreen(this, scroller_);
    RefreshActions();
}

void CPlotAndTable::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FollowFormSize();
}

void CPlotAndTable::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::FitToScreen(this, scroller_);
}

void CPlotAndTable::FollowFormSize() {
    if (!form_) return;
    // The graph area takes what the form gained; the parameters keep their
    // places below it.
    const QSize extra = form_->size() - formSize_;
    const int dx = extra.width() - appliedExtra_.width();
    const int dy = extra.height() - appliedExtra_.height();
    if (dx == 0 && dy == 0) return;
    appliedExtra_ = extra;
    QWidget* area = form_->Control(kArea);
    QWidget* tabs = form_->Control(kTabs);
    const int areaBottom = area->geometry().bottom();
    for (QWidget* control : form_->Controls()) {
        if (control == area || control == tabs) continue;
        if (control->y() > areaBottom) control->move(control->x(), control->y() + dy);
    }
    if (QWidget* group = form_->Control(kParametersGroup))
        group->resize(group->width() + dx, group->height());
    area->resize(area->width() + dx, area->height() + dy);
    tabs->resize(tabs->width() + dx, tabs->height());
    LayoutArea();
}

// ------------------------------------------------------------ keys and closing

bool CPlotAndTable::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // The scroller sizes the form after the window's own resize.
    if (watched == form_ && type == QEvent::Resize) FollowFormSize();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        // Esc only ever stops a computation; it never closes the window.
        RequestCancel();
        return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (type == QEvent::KeyRelease) return true;
        if (computing_ || enterInProgress_) return true;
        enterInProgress_ = true;
        QPointer<QWidget> focus = QApplication::focusWidget();
        OnDrawPlot();
        if (focus && !computing_) focus->setFocus(Qt::OtherFocusReason);
        enterInProgress_ = false;
        return true;
    }
    return false;
}

void CPlotAndTable::closeEvent(QCloseEvent* event) {
    if (computing_) {
        // The worker stops at its next look at the flag; the window closes
        // once the computation has come back.
        closeAfterComputation_ = true;
        RequestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
