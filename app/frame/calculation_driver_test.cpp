// The calculation driver with a scripted test: every way a calculation can
// end, Esc, and what may and may not happen while the worker runs.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <atomic>
#include <cfenv>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "app/calculator/calculator.h"
#include "app/compute/numerics_claim.h"
#include "app/forms/command_forms.h"
#include "app/forms/form_tables.h"
#include "app/forms/main_comp_form.h"
#include "app/forms/main_grid_form.h"
#include "app/forms/selection_form.h"
#include "app/frame/frame_test_support.h"
#include "app/frame/quorix_app.h"
#include "app/matrix/matrix_in_dialogs.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "platform/environment.h"
#include "platform/scripted_dialogs.h"
#include "platform/widget_test_main.h"
#include "ui/grid/in_place_edit.h"

namespace {

using form_tables::InputEditId;
using form_tables::OutputEditId;
using platform::MessageIcon;
namespace msg = calc_messages;

// The flags a run must not leave behind; "inexact" is raised by nearly any
// arithmetic, the window's own included.
constexpr int kTrappable = FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID;

// Waits on the worker until the user cancels; leaves the way the numerical
// code does. Gives up after a minute so that a broken Esc fails the test
// instead of hanging it; a loaded machine is never that slow.
std::atomic<bool> waitingForCancel{false};

bool WaitForCancel(PowerAnalysis& test) {
    waitingForCancel = true;
    for (int i = 0; i < 60000 && !test.IsCancelled(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return test.IsCancelled();
}

class FakeGraph : public DistributionPlotTarget {
  public:
    PlotData* GraphData() override { return &data; }
    bool DistributionTabShown() override { return tabShown; }
    void RedrawPlot() override { ++redraws; }
    PlotData data;
    bool tabShown = true;
    int redraws = 0;
};

bool SendKey(QWidget* target, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    return QApplication::sendEvent(target, &press) && press.isAccepted();
}

class Driver : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(app.InitInstance());
        frame = app.MainFrame();
        frame_test::UseScriptedCatalogue(frame);
        frame_test::ActiveScript() = &script;
        frame->SetDistributionPlotTarget(&graph);
        ResetScript();
    }
    void TearDown() override {
        frame_test::ActiveScript() = nullptr;
        frame_test::ForgetScriptedFamilies();
    }
    void ResetScript() {
        script = frame_test::Script();
        script.plot = [](PlotData* plot) { plot->centralCurve.push_back(PlotPoint{1.0, 2.0}); };
    }
    void ClickCalculate() { frame->CommandForm()->Button(form_tables::kCalculateButton)->click(); }
    QString Output() { return frame->EditFieldForm()->ControlText(OutputEditId(0)); }
    QLineEdit* InputEdit(int row) { return frame->EditFieldForm()->Edit(InputEditId(row)); }
    // Esc as the user gives it, once the worker waits for it.
    void PressEscWhenWaited() {
        waitingForCancel = false;
        auto* timer = new QTimer(frame);
        QObject::connect(timer, &QTimer::timeout, frame, [this, timer] {
            if (!waitingForCancel) return;
            SendKey(InputEdit(0), Qt::Key_Escape);
            timer->deleteLater();
            timer->stop();
        });
        timer->start(2);
    }
    // The frame is idle again, however the calculation ended.
    void ExpectIdleFrame() {
        EXPECT_FALSE(frame->IsBusy());
        EXPECT_FALSE(frame->IsCalculationRunning());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(std::fetestexcept(kTrappable), 0);
        EXPECT_EQ(std::fegetround(), FE_TONEAREST);
        EXPECT_TRUE(frame->CommandForm()->Button(form_tables::kCalculateButton)->isEnabled());
    }

    platform::ScriptedDialogs dialogs;
    CQuorixNTApp app;
    CMainFrame* frame = nullptr;
    frame_test::Script script;
    FakeGraph graph;
};

using Calc = std::function<CalculateStatus(PowerAnalysis&, PropertyList*)>;

struct FailureCase {
    const char* name;
    Calc calculate;
    std::function<void(PlotData*)> plot;  // null: the default plot
    std::function<void()> outputs;        // runs in GetOutputs (user-interface thread)
    bool esc;                             // the user presses Esc during the run
    const char* text;                     // nullptr: no message
    const char* caption;
    MessageIcon icon;
    const char* output;  // the output field afterwards
    bool outputsValid;
    bool plotValid;
    int markedRow;  // -1: none
};

Calc Returning(CalculateStatus status, const char* message = "") {
    return [status, message](PowerAnalysis& test, PropertyList*) {
        test.messages << message;
        return status;
    };
}

TEST_F(Driver, EveryEndOfACalculationIsReportedAsItShouldBe) {
    const Calc waitForCancel = [](PowerAnalysis& test, PropertyList*) -> CalculateStatus {
        if (WaitForCancel(test)) throw CancelledError();
        return kCalculateDone;
    };
    const Calc numerical = [](PowerAnalysis&, PropertyList*) -> CalculateStatus {
        throw QuorixError("TDist-Cdf: answer above upper search bound",
                          QuorixError::kAboveUpperBound, 1.0);
    };
    const Calc other = [](PowerAnalysis&, PropertyList*) -> CalculateStatus {
        throw std::runtime_error("boom");
    };
    const auto plotWaitsForCancel = [this](PlotData*) {
        if (WaitForCancel(*frame->CurrentTest())) throw CancelledError();
    };
    const auto plotFails = [](PlotData*) {
        throw QuorixError("NctDist-Pdf: series", QuorixError::kNoConvergence, 0.0);
    };
    const auto outputsFail = [] {
        throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
    };

    const FailureCase cases[] = {
        {"done", Returning(kCalculateDone), nullptr, nullptr, false, nullptr, nullptr,
         MessageIcon::None, "1.5", true, true, -1},
        {"Esc during the calculation", waitForCancel, nullptr, nullptr, true, msg::kInterrupted,
         msg::kInterruption, MessageIcon::Error, "?", false, false, -1},
        {"numerical failure on the worker", numerical, nullptr, nullptr, false, msg::kMathError,
         msg::kMathErrorCaption, MessageIcon::Error, "?", false, false, -1},
        {"numerical failure on the user-interface thread", Returning(kCalculateDone), nullptr,
         outputsFail, false, msg::kMathError, msg::kMathErrorCaption, MessageIcon::Error, "?",
         false, false, -1},
        {"other exception", other, nullptr, nullptr, false, msg::kUnknownError,
         msg::kUnknownErrorCaption, MessageIcon::Error, "?", false, false, -1},
        {"invalid input", Returning(1, "Power must lie in ($\\alpha$, 1)."), nullptr, nullptr,
         false, "Power (1-β err prob): Power must lie in (α, 1).", msg::kInputError,
         MessageIcon::Error, "0.25", false, false, 1},
        {"done with a note", Returning(kCalculateDoneWithNote, "N was rounded."), nullptr, nullptr,
         false, "N was rounded.", msg::kPleaseNote, MessageIcon::Information, "1.5", true, true,
         -1},
        {"done with a note and no plot", Returning(kCalculateDoneWithNoteNoPlot, "No graph."),
         nullptr, nullptr, false, "No graph.", msg::kPleaseNote, MessageIcon::Information, "1.5",
         true, false, -1},
        {"Esc during the plot", Returning(kCalculateDone), plotWaitsForCancel, nullptr, true,
         msg::kPlotInterrupted, msg::kInterruption, MessageIcon::Error, "1.5", true, false, -1},
        {"plot failure", Returning(kCalculateDone), plotFails, nullptr, false, msg::kPlotFailed,
         msg::kMathErrorCaption, MessageIcon::Error, "1.5", true, false, -1},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A successful run first, whose outputs and graph the case may keep.
        ResetScript();
        script.result = "0.25";
        script.plot = [](PlotData* plot) { plot->centralCurve.assign(3, PlotPoint{0.5, 0.5}); };
        ClickCalculate();
        ASSERT_EQ(Output(), "0.25");
        ASSERT_EQ(graph.data.centralCurve.size(), 3u);
        const size_t messagesBefore = dialogs.messages.size();
        const std::string protocolBefore = frame->ProtocolText();

        ResetScript();
        script.calculate = c.calculate;
        if (c.plot) script.plot = c.plot;
        script.outputs = c.outputs;
        if (c.esc) PressEscWhenWaited();
        ClickCalculate();

        if (c.text) {
            ASSERT_EQ(dialogs.messages.size(), messagesBefore + 1);
            const auto& shown = dialogs.messages.back();
            EXPECT_EQ(shown.text, QString::fromUtf8(c.text));
            EXPECT_EQ(shown.caption, c.caption);
            EXPECT_EQ(shown.icon, c.icon);
        } else {
            EXPECT_EQ(dialogs.messages.size(), messagesBefore);
        }
        EXPECT_EQ(Output(), c.output);
        EXPECT_EQ(frame->OutputsValid(), c.outputsValid);
        EXPECT_EQ(frame->PlotValid(), c.plotValid);
        // The X-Y plot needs outputs that belong to the inputs shown.
        EXPECT_EQ(frame->CommandForm()->Button(form_tables::kXYPlotButton)->isEnabled(),
                  c.outputsValid);
        // Only an analysis that produced outputs goes into the protocol.
        EXPECT_EQ(frame->ProtocolText() != protocolBefore, c.outputsValid);
        // The graph shows a finished plot, is emptied when the test has
        // none, and keeps its points otherwise.
        if (c.plotValid) {
            EXPECT_EQ(graph.data.centralCurve.size(), 1u);
        } else if (c.outputsValid && !c.plot) {
            EXPECT_TRUE(graph.data.centralCurve.empty());
        } else {
            EXPECT_EQ(graph.data.centralCurve.size(), 3u);
        }
        if (c.markedRow >= 0) {
            QLineEdit* marked = InputEdit(c.markedRow);
            EXPECT_FALSE(marked->text().isEmpty());
            EXPECT_EQ(marked->selectedText(), marked->text());
        }
        ExpectIdleFrame();
    }
}

TEST_F(Driver, AWorkerThatIgnoresEscForAWhileIsWaitedForBeforeAnythingElseRuns) {
    std::atomic<bool> workerEnded{false};
    script.calculate = [&workerEnded](PowerAnalysis& test, PropertyList*) -> CalculateStatus {
        WaitForCancel(test);
        // Numerical code that polls the flag only now and then.
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        workerEnded = true;
        return kCalculateDone;
    };
    PressEscWhenWaited();
    ClickCalculate();
    EXPECT_TRUE(workerEnded);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, msg::kInterrupted);
    EXPECT_EQ(Output(), "?");
    ExpectIdleFrame();

    // The next calculation starts with the flag cleared and runs normally.
    script.calculate = nullptr;
    ClickCalculate();
    EXPECT_EQ(Output(), "1.5");
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(static_cast<frame_test::ScriptedTest*>(frame->CurrentTest())->calculations, 2);
}

TEST_F(Driver, ClosingTheWindowDuringACalculationStopsItAndThenCloses) {
    std::atomic<bool> workerSawCancel{false};
    script.calculate = [&workerSawCancel](PowerAnalysis& test, PropertyList*) -> CalculateStatus {
        workerSawCancel = WaitForCancel(test);
        return kCalculateDone;
    };
    frame->show();
    auto* timer = new QTimer(frame);
    QObject::connect(timer, &QTimer::timeout, frame, [this, timer] {
        if (!waitingForCancel) return;
        timer->stop();
        frame->close();  // the close button while the worker runs
    });
    timer->start(2);
    ClickCalculate();
    EXPECT_TRUE(workerSawCancel);
    EXPECT_TRUE(dialogs.messages.empty());  // nobody is left to read a message
    for (int i = 0; i < 20 && frame->isVisible(); ++i) platform::PumpMessages();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(frame->IsBusy());
}

TEST_F(Driver, NothingTouchesTheTestOrItsListsWhileTheWorkerRuns) {
    std::atomic<bool> release{false};
    script.calculate = [&release](PowerAnalysis&, PropertyList*) {
        for (int i = 0; i < 60000 && !release; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return kCalculateDone;
    };
    PowerAnalysis* test = frame->CurrentTest();
    CTestSelectCompForm* selection = frame->TestSelectionForm();
    const int family = selection->List(CTestSelectCompForm::kFamilyList)->currentIndex();
    bool waitCursorShown = false;
    bool enterConsumed = false;
    bool escConsumed = false;
    Property* found = reinterpret_cast<Property*>(1);
    QTimer::singleShot(20, frame, [&] {
        waitCursorShown = QApplication::overrideCursor() != nullptr;
        frame->Commands().Dispatch(32829);                   // another test
        frame->Commands().Dispatch(command_ids::kGridView);  // the other main form
        QComboBox* families = selection->List(CTestSelectCompForm::kFamilyList);
        families->setCurrentIndex(family + 1);
        emit families->activated(family + 1);
        found = frame->FindParameter(frame->Inputs()[0]->name);
        ClickCalculate();  // no second calculation
        enterConsumed = SendKey(InputEdit(0), Qt::Key_Return);
        // F4 still works while the worker runs.
        SendKey(InputEdit(0), Qt::Key_F4);
        release = true;
    });
    ClickCalculate();
    EXPECT_TRUE(waitCursorShown);
    EXPECT_TRUE(enterConsumed);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(frame->CurrentTest(), test);
    EXPECT_EQ(frame->EditFieldForm() != nullptr, true);
    EXPECT_FALSE(frame->GridViewShown());
    EXPECT_EQ(selection->List(CTestSelectCompForm::kFamilyList)->currentIndex(), family);
    EXPECT_EQ(static_cast<frame_test::ScriptedTest*>(test)->calculations, 1);
    EXPECT_TRUE(frame->PlotPane()->isHidden());
    EXPECT_EQ(Output(), "1.5");
    ExpectIdleFrame();

    // Idle, Esc is still the frame's and changes nothing.
    escConsumed = SendKey(InputEdit(0), Qt::Key_Escape);
    EXPECT_TRUE(escConsumed);
    EXPECT_FALSE(test->IsCancelled());
}

TEST_F(Driver, EnterCalculatesAndTheFloatingPointStateComesBack) {
    std::fesetround(FE_UPWARD);
    std::atomic<int> workerRounding{-1};
    script.calculate = [&workerRounding](PowerAnalysis&, PropertyList*) {
        workerRounding = std::fegetround();
        std::feraiseexcept(FE_DIVBYZERO);
        return kCalculateDone;
    };
    script.outputs = [] {
        std::fesetround(FE_DOWNWARD);
        std::feraiseexcept(FE_OVERFLOW | FE_INEXACT);
    };
    EXPECT_TRUE(SendKey(InputEdit(0), Qt::Key_Return));
    const int rounding = std::fegetround();
    const int flags = std::fetestexcept(kTrappable);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(Output(), "1.5");
    // The worker computes in the caller's environment; the caller gets its
    // own back, with no exception flag left over from the run.
    EXPECT_EQ(workerRounding, FE_UPWARD);
    EXPECT_EQ(rounding, FE_UPWARD);
    EXPECT_EQ(flags, 0);
    EXPECT_TRUE(frame->CommandForm()->Button(form_tables::kCalculateButton)->isEnabled());
}

TEST_F(Driver, TheProtocolGetsANumberedEntryPerAnalysis) {
    ClickCalculate();
    ClickCalculate();
    const std::string& text = frame->ProtocolText();
    EXPECT_EQ(text.rfind("[1] -- ", 0), 0u) << text;
    EXPECT_NE(text.find("\n\n[2] -- "), std::string::npos) << text;
    EXPECT_NE(text.find("exact tests - Scripted test 602\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Analysis:\tA priori: Compute required sample size \n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Input:\tα err prob\t=\t0.05\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Output:\tResult\t=\t1.5\n"), std::string::npos) << text;
}

// With the plot pane hidden no plot runs and the graph keeps its points.
TEST_F(Driver, AHiddenPlotPaneGetsNoPlot) {
    graph.data.centralCurve.assign(3, PlotPoint{});
    SendKey(InputEdit(0), Qt::Key_F4);
    ClickCalculate();
    EXPECT_EQ(graph.data.centralCurve.size(), 3u);
    EXPECT_EQ(graph.redraws, 0);
    EXPECT_FALSE(frame->PlotValid());
    EXPECT_TRUE(frame->OutputsValid());
    // Shown again, but another tab in front: the graph is emptied.
    SendKey(InputEdit(0), Qt::Key_F4);
    graph.tabShown = false;
    ClickCalculate();
    EXPECT_TRUE(graph.data.centralCurve.empty());
    EXPECT_EQ(graph.redraws, 0);
}

// Enter in an open grid edit: the edit ends (its editor goes away while the
// worker's wait dispatches events) and the calculation reads what was typed.
TEST_F(Driver, EnterInAnOpenGridEditCalculatesWithTheTypedText) {
    ASSERT_TRUE(frame->Commands().Dispatch(command_ids::kGridView));
    IGridCtrl* grid = frame->GridForm()->InputGrid();
    std::string alphaSeen;
    script.calculate = [&alphaSeen](PowerAnalysis&, PropertyList* inputs) {
        alphaSeen = (*inputs)[0]->text;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        return kCalculateDone;
    };
    grid->SetFocusCell(0, 1);
    grid->setFocus();
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_0, Qt::NoModifier, QStringLiteral("0"));
    QApplication::sendEvent(grid, &digit);
    auto* editor = grid->viewport()->findChild<CInPlaceEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->insert(QStringLiteral(".01"));
    EXPECT_TRUE(SendKey(editor, Qt::Key_Return));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(alphaSeen, "0.01");
    EXPECT_EQ(grid->GetItemText(0, 1), "0.01");
    EXPECT_EQ(frame->GridForm()->OutputGrid()->GetItemText(0, 1), "1.5");
    EXPECT_FALSE(grid->IsItemEditing(0, 1));
    ExpectIdleFrame();
}

TEST_F(Driver, MainWindowAndCalculatorNeverCalculateAtTheSameTime) {
    bool heldDuringCalculation = false;
    script.calculate = [&](PowerAnalysis&, PropertyList*) {
        heldDuringCalculation = NumericsClaim::InUse();
        return kCalculateDone;
    };
    ClickCalculate();
    EXPECT_TRUE(heldDuringCalculation);
    EXPECT_FALSE(NumericsClaim::InUse());
    EXPECT_EQ(Output(), "1.5");

    // While the calculator evaluates, the main window does not start and says why.
    script.result = "2.5";
    const int before = static_cast<frame_test::ScriptedTest*>(frame->CurrentTest())->calculations;
    {
        NumericsClaim calculator;
        ASSERT_TRUE(calculator.Held());
        ClickCalculate();
    }
    EXPECT_EQ(static_cast<frame_test::ScriptedTest*>(frame->CurrentTest())->calculations, before);
    ASSERT_FALSE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.messages.back().text.contains("calculator"));
    ExpectIdleFrame();
}

TEST_F(Driver, CalculatorCommandOpensOneWindowAndShowsItAgain) {
    EXPECT_EQ(frame->Calculator(), nullptr);
    ASSERT_TRUE(frame->HandleCommand(command_ids::kCalculator));
    CCalculator* calculator = frame->Calculator();
    ASSERT_NE(calculator, nullptr);
    EXPECT_TRUE(calculator->isVisible());
    EXPECT_EQ(calculator->windowTitle(), "Calculator");
    EXPECT_EQ(calculator->parentWidget(), nullptr);

    calculator->InputEdit()->setPlainText("a = 2; b = a*3; b+1");
    calculator->close();
    frame->HandleCommand(command_ids::kCalculator);
    EXPECT_EQ(frame->Calculator(), calculator);
    EXPECT_TRUE(calculator->isVisible());
    EXPECT_EQ(calculator->InputEdit()->toPlainText(), "a = 2; b = a*3; b+1");

    // Its files start in the program folder's models folder.
    calculator->OnLoad();
    ASSERT_EQ(dialogs.fileQuestions.size(), 1u);
    EXPECT_EQ(dialogs.fileQuestions[0].request.folder,
              QDir(frame->ProgramFolder()).filePath("models"));
}

}  // namespace

namespace {

// A user who presses Enter in the main window's first input while a panel's
// matrix dialog is open, then cancels the dialog.
class EnterWhileMatrixDialogOpen : public FormMatrixDialogs {
  public:
    explicit EnterWhileMatrixDialogOpen(QWidget* input) : input_(input) {}
    bool enterConsumed = true;

  protected:
    bool Run(CMatrixInDialog* dialog) override {
        enterConsumed = SendKey(input_, Qt::Key_Return);
        dialog->reject();
        return false;
    }

  private:
    QWidget* input_;
};

}  // namespace

TEST_F(Driver, EnterStartsNoCalculationWhileAMatrixDialogIsOpen) {
    int calculations = 0;
    script.calculate = [&calculations](PowerAnalysis&, PropertyList*) {
        ++calculations;
        return kCalculateDone;
    };
    auto service = std::make_unique<EnterWhileMatrixDialogOpen>(InputEdit(0));
    EnterWhileMatrixDialogOpen* user = service.get();
    auto previous = SetMatrixDialogService(std::move(service));
    PredictorCorrelationInput input;
    EXPECT_FALSE(OpenPredictorCorrelationDialog(frame, frame, &input));
    EXPECT_FALSE(user->enterConsumed);
    EXPECT_EQ(calculations, 0);
    SetMatrixDialogService(std::move(previous));
    // Closed again, Enter calculates.
    EXPECT_TRUE(SendKey(InputEdit(0), Qt::Key_Return));
    EXPECT_EQ(calculations, 1);
}
