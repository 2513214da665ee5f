// The X-Y plot window: opened by the main window's command on the current
// test, drawing with the real two-means t test, and its computation on a
// worker thread that Esc and closing the window stop.

#include "app/xyplot/xy_plot_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/catalogue.h"
#include "app/compute/numerics_claim.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/selection_form.h"
#include "app/frame/diagnostic_dump.h"
#include "app/frame/main_frame.h"
#include "app/frame/quorix_app.h"
#include "app/xyplot/table_title.h"
#include "app/xyplot/xy_plot_settings.h"
#include "app/xyplot/xy_plot_view.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "power/t/power_t_means.h"
#include "ui/graphics/mathtext/label_fonts.h"
#include "ui/graphics/mathtext/symbol_table.h"
#include "ui/grid/grid_ctrl.h"

namespace {

using namespace xy_plot_ids;

// ------------------------------------------------------------ through the frame

class XYPlotCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        if (!FindTest(201)) GTEST_SKIP() << "this build has no t tests";
        ASSERT_TRUE(frame->SelectTest(201));
    }
    void TearDown() override { platform::PumpMessages(); }

    // The user picks the analysis type that starts with `prefix` and two tails.
    void ChooseType(const QString& prefix) {
        QComboBox* box = frame->TestSelectionForm()->List(CTestSelectCompForm::kTypeList);
        int index = -1;
        for (int i = 0; i < box->count() && index < 0; ++i)
            if (box->itemText(i).startsWith(prefix)) index = i;
        ASSERT_GE(index, 0);
        box->setCurrentIndex(index);
        emit box->activated(index);
        for (int row = 0; row < form_tables::kRowCount; ++row) {
            if (frame->EditFieldForm()->ControlText(form_tables::InputLabelId(row)) != "Tail(s)")
                continue;
            QComboBox* tails = frame->EditFieldForm()->List(form_tables::InputListId(row));
            tails->setCurrentIndex(tails->findText("Two"));
            emit tails->activated(tails->currentIndex());
        }
    }
    void CalculateAndOpen() {
        frame->CommandForm()->Button(form_tables::kCalculateButton)->click();
        platform::PumpMessages();
        ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
        QAbstractButton* xy = frame->CommandForm()->Button(form_tables::kXYPlotButton);
        ASSERT_TRUE(xy->isEnabled());
        xy->click();
        window = frame->XYPlotWindow();
        ASSERT_NE(window, nullptr);
    }
    int Role(int combo) { return window->Form()->List(combo)->currentIndex(); }
    QString Text(int id) { return window->Form()->ControlText(id); }
    void Choose(int id, int index) {
        window->Form()->List(id)->setCurrentIndex(index);
        window->OnControl(id, platform::ControlEvent::SelectionChanged);
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    CPlotAndTable* window = nullptr;
};

TEST_F(XYPlotCommand, OpensOnTheAnalysisRolesAndAgainResetsTheOneWindow) {
    ChooseType("Post hoc");
    CalculateAndOpen();
    EXPECT_EQ(window->windowTitle(), "Quorix - Plot");
    EXPECT_EQ(window->parentWidget(), nullptr);
    // Power against N, one curve of alpha, the effect size constant.
    EXPECT_EQ(Role(kYCombo), 1);
    EXPECT_EQ(Role(kXCombo), 3);
    EXPECT_EQ(Role(kLayerCombo), 0);
    EXPECT_EQ(Role(kConstantCombo), 2);
    EXPECT_EQ(window->Form()->List(kYCombo)->itemText(1), "Power (1-β err prob)");
    EXPECT_EQ(window->Form()->List(kYCombo)->itemText(2), "Effect size d");
    EXPECT_EQ(Text(kXFrom), "10");
    EXPECT_EQ(Text(kXStep), "5");
    EXPECT_EQ(Text(kXTo), "100");
    EXPECT_EQ(Text(kLayerFromLabel), "at");
    EXPECT_EQ(Text(kLayerFrom), "0.05");
    EXPECT_EQ(Text(kConstantValue), "0.5");
    // The frame's own test is not the one the plot computes on.
    EXPECT_NE(window->Settings()->test.get(), frame->CurrentTest());

    window->Form()->SetControlText(kXFrom, "20");
    Choose(kShow, 1);
    Choose(kXCombo, 0);  // alpha, which was the layer: the layer takes N
    EXPECT_EQ(Role(kLayerCombo), 3);
    EXPECT_EQ(Text(kLayerFrom), "100");
    frame->CommandForm()->Button(form_tables::kXYPlotButton)->click();
    EXPECT_EQ(frame->XYPlotWindow(), window);
    EXPECT_EQ(Role(kXCombo), 3);
    EXPECT_EQ(Text(kXFrom), "10");
    EXPECT_EQ(window->Form()->List(kShow)->currentIndex(), 0);
    EXPECT_TRUE(window->Settings()->interpolateOnly);

    // Closing deletes the window; the command makes a new one.
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->XYPlotWindow(), nullptr);
}

TEST_F(XYPlotCommand, PowerAgainstNForThreeEffectSizesFillsGraphAndTable) {
    ChooseType("Post hoc");
    CalculateAndOpen();
    Choose(kLayerCombo, 2);  // one curve per effect size; alpha becomes the constant
    EXPECT_EQ(Role(kConstantCombo), 0);
    Choose(kCurveCount, 2);
    EXPECT_EQ(Text(kLayerFromLabel), "from");
    EXPECT_FALSE(window->Form()->Control(kLayerStep)->isHidden());
    window->Form()->SetControlText(kLayerFrom, "0.2");
    window->Form()->SetControlText(kLayerStep, "=0.6/2");  // formulas as in the main window
    EXPECT_EQ(Text(kConstantValue), "0.05");
    EXPECT_FALSE(window->Action(kCopyPlot)->isEnabled());
    window->Form()->Button(kDrawPlot)->click();
    ASSERT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text.toStdString();
    ASSERT_TRUE(window->PlotValid());
    EXPECT_TRUE(window->Action(kCopyPlot)->isEnabled());
    EXPECT_TRUE(window->Progress()->parentWidget()->isHidden());
    EXPECT_EQ(window->TableTitle()->Settings(), window->Settings());

    CGridCtrl* table = window->Table();
    ASSERT_EQ(table->GetColumnCount(), 5);
    ASSERT_EQ(table->GetRowCount(), 20);
    EXPECT_EQ(table->GetItemText(0, 0), "#");
    EXPECT_EQ(table->GetItemText(0, 1), "Total sample size");
    EXPECT_EQ(table->GetItemText(0, 2), "Power (1-β err prob)\nEffect size d = 0.2");
    EXPECT_EQ(table->GetItemText(0, 4), "Power (1-β err prob)\nEffect size d = 0.8");
    EXPECT_EQ(table->GetItemText(1, 0), "1");
    EXPECT_EQ(table->GetItemText(1, 1), "10.0000");
    EXPECT_EQ(table->GetItemText(19, 1), "100.000");
    // From the reference table (SciPy): d 0.2 at N 10, d 0.8 at N 100.
    EXPECT_EQ(table->GetItemText(1, 2), "0.0590426");
    EXPECT_EQ(table->GetItemText(19, 4), "0.977279");

    // Changing the number of curves draws again at once.
    Choose(kCurveCount, 1);
    EXPECT_TRUE(window->PlotValid());
    EXPECT_EQ(table->GetColumnCount(), 4);  // two curves
    // One curve: the layer's value is "at" the first one, without a step.
    Choose(kCurveCount, 0);
    EXPECT_EQ(table->GetColumnCount(), 3);
    EXPECT_EQ(Text(kLayerFromLabel), "at");
    EXPECT_TRUE(window->Form()->Control(kLayerStep)->isHidden());
}

TEST_F(XYPlotCommand, AnInvalidEndSelectsItsFieldAndSaysWhy) {
    ChooseType("Post hoc");
    CalculateAndOpen();
    window->Form()->SetControlText(kXTo, "5");
    window->Form()->Button(kDrawPlot)->click();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Input error");
    EXPECT_EQ(dialogs.messages[0].text,
              "The end value of the independent variable range\nmust be greater than the start "
              "value");
    EXPECT_EQ(window->Form()->Edit(kXTo)->selectedText(), "5");
    EXPECT_FALSE(window->PlotValid());
    EXPECT_EQ(window->Table()->GetRowCount(), 0);

    // A sentence of the test's own checks, with its Greek letter shown.
    window->Form()->SetControlText(kXTo, "100");
    window->Form()->SetControlText(kConstantValue, "25");
    window->Form()->Button(kDrawPlot)->click();
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_NE(dialogs.messages[1].text.indexOf("d"), -1);
    EXPECT_EQ(window->Form()->Edit(kConstantValue)->selectedText(), "25");
}

TEST_F(XYPlotCommand, ACommandGoesToTheShownPanesFirst) {
    using namespace command_ids;
    // The result pane handles the distribution plot's picture commands; the
    // frame has no handler of its own for them.
    EXPECT_TRUE(frame->Commands().Dispatch(kCopyDistributionsPlot));
    EXPECT_FALSE(frame->HandleCommand(kCopyDistributionsPlot));
    ASSERT_TRUE(frame->Commands().Dispatch(kTogglePlot));  // hides the pane
    EXPECT_FALSE(frame->Commands().Dispatch(kCopyDistributionsPlot));
    frame->Commands().Dispatch(kTogglePlot);

    // Hiding the status bar or the tool bar lays the window out at once.
    for (int command : {kStatusBarCommand, kToolBarCommand}) {
        const int height = frame->height();
        ASSERT_TRUE(frame->Commands().Dispatch(command));
        platform::PumpMessages();
        EXPECT_LT(frame->height(), height) << command;
        frame->Commands().Dispatch(command);
        platform::PumpMessages();
        EXPECT_EQ(frame->height(), height) << command;
    }
}

TEST_F(XYPlotCommand, DiagnosticDumpWritesWhereTheUserSaysAndReportsFailures) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("dump.dat");
    dialogs.QueueFileAnswer(path);
    ASSERT_TRUE(frame->Commands().Dispatch(command_ids::kDiagnosticDump));
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_TRUE(dialogs.fileQuestions[0].save);
    EXPECT_EQ(dialogs.fileQuestions[0].request.fileName, "test.dat");
    EXPECT_EQ(dialogs.fileQuestions[0].request.folder, DiagnosticDumpFolder());
    EXPECT_TRUE(dialogs.messages.empty());

    std::ifstream in(path.toStdString());
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double x = 0, g[3] = {0, 0, 0};
        ASSERT_TRUE(fields >> x >> g[0] >> g[1] >> g[2]) << line;
        ASSERT_TRUE(0 < x && x <= 13413) << x;
        for (double v : g)
            EXPECT_NEAR(v, std::lgamma(x), 1e-12 * std::fabs(std::lgamma(x)) + 1e-13);
        ++lines;
    }
    EXPECT_EQ(lines, 1000);

    // Cancelled: nothing is written. A folder that does not exist: said so.
    ASSERT_TRUE(QFile::remove(path));
    frame->Commands().Dispatch(command_ids::kDiagnosticDump);
    EXPECT_FALSE(QFile::exists(path));
    dialogs.QueueFileAnswer(folder.filePath("missing/dump.dat"));
    frame->Commands().Dispatch(command_ids::kDiagnosticDump);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("The diagnostic table could not be written"));
}

// ------------------------------------------------------------ the computation

// The two-means test, made to wait so that a computation can be watched and
// stopped: each point records where it ran, and the point `holdAt` waits
// until the test has acted there (`released`) or the window has stopped the
// computation. The test meets the worker at that point whatever the
// machine's speed or load.
class SlowTwoMeans : public PowerTMeans {
  public:
    struct Record {
        std::atomic<int> points{0};
        std::atomic<bool> offMainThread{true};
        std::atomic<bool> claimHeld{true};
        std::atomic<int> holdAt{-1};
        std::atomic<bool> released{false};
    };
    explicit SlowTwoMeans(Record* record = nullptr) : record_(record) {}
    PowerAnalysis* Clone() override {
        auto* copy = CloneAs<SlowTwoMeans>();
        copy->record_ = record_;
        return copy;
    }
    double ComputePower2(double effect, double a, double n1, double n2) override {
        if (record_) {
            if (QThread::currentThread() == qApp->thread()) record_->offMainThread = false;
            if (!NumericsClaim::InUse()) record_->claimHeld = false;
            if (++record_->points == record_->holdAt.load()) {
                while (!record_->released.load() && !cancelled.load()) {
                    CancelCheck::Poll();
                    platform::SleepMilliseconds(1);
                }
            }
        }
        return PowerTMeans::ComputePower2(effect, a, n1, n2);
    }

  private:
    Record* record_;
};

class FailingTwoMeans : public PowerTMeans {
  public:
    PowerAnalysis* Clone() override { return CloneAs<FailingTwoMeans>(); }
    double ComputePower2(double, double, double, double) override {
        throw QuorixError("TDist-Cdf: no convergence", 0, 0);
    }
};

class XYPlotComputation : public ::testing::Test {
  protected:
    void SetUp() override {
        mathtext::InitSymbolFonts();
        fonts = std::make_unique<mathtext::LabelFontSets>();
    }
    void TearDown() override {
        delete window.data();
        fonts.reset();
        mathtext::FreeSymbolFonts();
        mathtext::ClearSymbolMap();
    }
    // Power against N for three effect sizes of `test`.
    void Open(PowerAnalysis* test) {
        test->oneTailed = false;
        settings.InitFromAnalysis(test, 1, 3, 2, 0);
        window = new CPlotAndTable(&settings, fonts.get());
        window->show();
        window->Form()->List(kCurveCount)->setCurrentIndex(2);
        window->OnControl(kCurveCount, platform::ControlEvent::SelectionChanged);
        window->Form()->SetControlText(kLayerFrom, "0.2");
        window->Form()->SetControlText(kLayerStep, "0.3");
    }
    // Calls `action` once, from the event loop that runs while the window
    // computes, when the worker waits at point `point` of `record`, and lets
    // the worker go on afterwards.
    void AtPoint(SlowTwoMeans::Record* record, int point, std::function<void()> action) {
        record->holdAt = point;
        During([record, point] { return record->points >= point; },
               [record, action] {
                   action();
                   record->released = true;
               });
    }
    // Calls `action` once, from the event loop that runs while the window
    // computes, as soon as `when` holds.
    void During(std::function<bool()> when, std::function<void()> action) {
        auto* timer = new QTimer(window);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, when, action] {
            if (!when()) return;
            timer->stop();
            action();
        });
        timer->start(1);
    }
    void PressEsc() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(window->Form()->Edit(kXFrom), &press);
    }

    platform::ScriptedDialogs dialogs;
    std::unique_ptr<mathtext::LabelFontSets> fonts;
    PlotSettings settings;
    QPointer<CPlotAndTable> window;
};

TEST_F(XYPlotComputation, RunsOnAWorkerHoldingTheNumericsAndReportsProgressThroughTheQueue) {
    SlowTwoMeans::Record record;
    SlowTwoMeans test(&record);
    Open(&test);
    int progressSeen = -1;
    AtPoint(&record, 31, [&] { progressSeen = window->Progress()->value(); });
    window->OnDrawPlot();
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(window->PlotValid());
    EXPECT_EQ(record.points, 3 * 19);  // the lines interpolate the table
    EXPECT_TRUE(record.offMainThread);
    EXPECT_TRUE(record.claimHeld);
    EXPECT_GT(progressSeen, 0);
    EXPECT_LT(progressSeen, 100);
    EXPECT_FALSE(NumericsClaim::InUse());

    // While another computation holds the numerics, nothing starts.
    record.points = 0;
    {
        NumericsClaim mainWindow;
        window->OnDrawPlot();
    }
    EXPECT_EQ(record.points, 0);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.toStdString(), xy_plot_messages::kBusy);
    EXPECT_FALSE(window->PlotValid());
}

TEST_F(XYPlotComputation, EscKeepsTheFinishedCurvesAndSaysTheGenerationWasInterrupted) {
    SlowTwoMeans::Record record;
    SlowTwoMeans test(&record);
    Open(&test);
    AtPoint(&record, 25, [&] { PressEsc(); });  // in the second curve
    window->OnDrawPlot();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Generation of plot interrupted!");
    EXPECT_EQ(dialogs.messages[0].caption, "User interruption");
    EXPECT_EQ(dialogs.messages[0].icon, platform::MessageIcon::Information);
    // The curves finished before Esc are kept whole; the one in progress
    // was dropped.
    ASSERT_GE(settings.tableCurves.size(), 1u);
    ASSERT_LT(settings.tableCurves.size(), 3u);
    for (const XYCurve& curve : settings.tableCurves) EXPECT_EQ(curve.size(), 19u);
    EXPECT_LT(record.points, 3 * 19);
    EXPECT_FALSE(window->PlotValid());
    EXPECT_FALSE(window->IsComputing());
    EXPECT_TRUE(window->isVisible());  // Esc stops the computation, not the window
    EXPECT_FALSE(NumericsClaim::InUse());
}

TEST_F(XYPlotComputation, ClosingDuringAComputationStopsTheWorkerAndWaitsForIt) {
    SlowTwoMeans::Record record;
    SlowTwoMeans test(&record);
    Open(&test);
    window->setAttribute(Qt::WA_DeleteOnClose);
    AtPoint(&record, 5, [&] { window->close(); });
    window->OnDrawPlot();
    // Back from the computation: the worker has ended and computes no more.
    const int points = record.points;
    EXPECT_LT(points, 3 * 19);
    widget_test::RunEventsFor(30);
    EXPECT_EQ(record.points, points);
    EXPECT_TRUE(dialogs.messages.empty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_FALSE(NumericsClaim::InUse());
}

TEST_F(XYPlotComputation, EnterDrawsOnceAndEscNeverClosesTheWindow) {
    SlowTwoMeans::Record record;
    SlowTwoMeans test(&record);
    Open(&test);
    QLineEdit* from = window->Form()->Edit(kXFrom);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    // A second Enter while the first one computes is swallowed.
    AtPoint(&record, 3, [&] {
        QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(from, &again);
    });
    QCoreApplication::sendEvent(from, &enter);
    EXPECT_TRUE(window->PlotValid());
    EXPECT_EQ(record.points, 3 * 19);
    PressEsc();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(XYPlotComputation, ASizableWindowGivesTheGraphWhatItGains) {
    PowerTMeans test;
    Open(&test);
    const QSize fixed = window->size();
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    window->Action(kResizable)->trigger();
    ASSERT_TRUE(window->Resizable());
    EXPECT_GE(window->minimumWidth(), CPlotAndTable::kMinimumWidth);
    EXPECT_GE(window->minimumHeight(), CPlotAndTable::kMinimumHeight);
    QWidget* area = window->Form()->Control(kArea);
    QWidget* draw = window->Form()->Control(kDrawPlot);
    // From a size that shows the whole form: the offscreen screen is
    // smaller than the form, and a window fitted to it scrolls the form.
    const QSize designed = window->sizeHint().expandedTo(window->minimumSize());
    window->resize(designed);
    QCoreApplication::processEvents();
    const QSize areaBefore = area->size();
    const QRect drawBefore = draw->geometry();
    window->resize(designed + QSize(200, 100));
    QCoreApplication::processEvents();
    EXPECT_EQ(area->size(), areaBefore + QSize(200, 100));
    EXPECT_EQ(window->GraphView()->size(), area->size());
    EXPECT_EQ(draw->geometry(), drawBefore.translated(0, 100));
    window->resize(designed);
    QCoreApplication::processEvents();
    EXPECT_EQ(area->size(), areaBefore);
    EXPECT_EQ(draw->geometry(), drawBefore);
    window->Action(kResizable)->trigger();
    EXPECT_EQ(window->size(), fixed);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
}

TEST_F(XYPlotComputation, ThePictureCommandsWaitForAPlot) {
    PowerTMeans test;
    Open(&test);
    EXPECT_EQ(window->GraphView()->MakeContextMenu(), nullptr);
    EXPECT_FALSE(window->Action(kSavePlot)->isEnabled());
    window->OnDrawPlot();
    ASSERT_TRUE(window->PlotValid());
    std::unique_ptr<QMenu> menu = window->GraphView()->MakeContextMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 3);
    EXPECT_EQ(menu->actions()[0]->text(), "Copy plot to clipboard");
    EXPECT_EQ(menu->actions()[1]->text(), "Save plot to file...");
    EXPECT_EQ(menu->actions()[2]->text(), "Print plot...");

    // "Save Plot ..." writes an enhanced metafile where the user says.
    QTemporaryDir folder;
    const QString path = folder.filePath("plot.emf");
    dialogs.QueueFileAnswer(path);
    ASSERT_TRUE(window->Action(kSavePlot)->isEnabled());
    window->Action(kSavePlot)->trigger();
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_EQ(dialogs.fileQuestions[0].request.title, "Name of the enhanced meta file");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GT(bytes.size(), 1000);
    EXPECT_EQ(bytes.mid(40, 4), QByteArray(" EMF"));
}

TEST_F(XYPlotComputation, ANumericalFailureIsReportedAndNothingIsShown) {
    FailingTwoMeans test;
    Open(&test);
    window->OnDrawPlot();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Internal math error");
    EXPECT_FALSE(window->PlotValid());
    EXPECT_EQ(window->Table()->GetRowCount(), 0);
    EXPECT_FALSE(window->Action(kSavePlot)->isEnabled());
}

}  // namespace
