#include <QCloseEvent>
#include <QTimer>
#include <cfenv>
#include <optional>

#include "analysis/parameter_names.h"
#include "analysis/plot_data.h"
#include "analysis/power_analysis.h"
#include "analysis/protocol.h"
#include "app/compute/calculation_worker.h"
#include "app/compute/numerics_claim.h"
#include "app/explorer/glmm_explorer.h"
#include "app/forms/command_forms.h"
#include "app/frame/main_frame.h"
#include "app/widgets/ui_helpers.h"
#include "app/xyplot/xy_plot_window.h"
#include "numerics/quorix_error.h"
#include "platform/dialogs.h"
#include "platform/environment.h"

// -------------------------------------------------------- the calculation

namespace {

// The caller's floating-point environment comes back, with no exception
// flag pending, however the calculation ends.
class FloatingPointGuard {
  public:
    FloatingPointGuard() { std::fegetenv(&saved_); }
    ~FloatingPointGuard() {
        std::fesetenv(&saved_);
        std::feclearexcept(FE_ALL_EXCEPT);
    }
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;

  private:
    std::fenv_t saved_;
};

class BusyScope {
  public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& flag_;
};

}  // namespace

void CMainFrame::OnCalculate() {
    if (busy_ || !currentTest_ || !MainForm()) return;
    // The calculator's evaluation uses the same numerical routines.
    NumericsClaim numerics;
    if (!numerics.Held()) {
        platform::ShowMessage(this,
                              QStringLiteral("The calculator or the X-Y plot is computing.\n"
                                             "Please calculate again when it has finished."),
                              QString::fromLatin1(calc_messages::kPleaseNote),
                              platform::MessageIcon::Information);
        return;
    }
    // Declared in this order so that the wait cursor goes first, then the
    // floating-point state is restored, then the frame is free again.
    BusyScope busy(busy_);
    FloatingPointGuard floatingPoint;
    outputsValid_ = false;
    SetPlotValid(false);
    if (commandForm_) commandForm_->EnableXYPlotButton(false);
    std::optional<platform::WaitCursor> waitCursor(std::in_place);
    std::feclearexcept(FE_ALL_EXCEPT);

    // A message box is modal: the wait cursor must not stand over it.
    auto report = [&](const std::string& text, const char* caption, platform::MessageIcon icon) {
        waitCursor.reset();
        if (closeAfterCalculation_) return;  // the user is leaving: no message
        platform::ShowMessage(this, ToDisplayLabel(text), QString::fromLatin1(caption), icon);
    };
    auto blankOutputs = [this] {
        outputsValid_ = false;
        SetPlotValid(false);
        currentTest_->BuildOutputList(analysisType_, &outputs_);
        SetOutputsOnForm(&outputs_);
    };
    const auto idle = [this] {
        PumpMessages();
        platform::SleepMilliseconds(5);
    };

    PowerAnalysis* test = currentTest_;
    const AnalysisType type = analysisType_;
    using platform::MessageIcon;
    using namespace calc_messages;
    try {
        GetInputsFromForm(&inputs_);
        test->cancelled.store(false);
        const CalculationWorker::Outcome outcome = worker_.Run(
            [test, type, this] { return CalculateWithInputErrors(test, type, &inputs_); },
            test->cancelled, idle);
        if (outcome.cancelled) {
            blankOutputs();
            report(kInterrupted, kInterruption, MessageIcon::Error);
        } else if (outcome.status == WorkerStatus::kNumericalError) {
            blankOutputs();
            report(kMathError, kMathErrorCaption, MessageIcon::Error);
        } else if (outcome.status == WorkerStatus::kOtherError) {
            // Outputs of an earlier run must not stand beside these inputs.
            blankOutputs();
            report(kUnknownError, kUnknownErrorCaption, MessageIcon::Error);
        } else {
            SetInputsOnForm(&inputs_);
            if (outcome.result >= 0) {
                MarkInvalidInputOnForm(outcome.result);
                const bool listed = outcome.result < static_cast<int>(inputs_.size());
                report(InputErrorText(test->GetMessage(),
                                      listed ? inputs_[outcome.result]->name : std::string()),
                       kInputError, MessageIcon::Error);
            } else {
                test->GetOutputs(type, &outputs_);
                SetOutputsOnForm(&outputs_);
                if (outcome.result == kCalculateDoneWithNote ||
                    outcome.result == kCalculateDoneWithNoteNoPlot) {
                    report(test->GetMessage(), kPleaseNote, MessageIcon::Information);
                }
                test->MakeProtocolRecord(&protocolRecord_, &inputs_, &outputs_, &analysisTypes_,
                                         chosenTypeIndex_);
                AddProtocolEntry(protocolRecord_);
                outputsValid_ = true;
                if (!waitCursor) waitCursor.emplace();
                RunDistributionPlot(outcome.result == kCalculateDoneWithNoteNoPlot, idle, report);
            }
        }
    } catch (const QuorixError&) {
        blankOutputs();
        report(kMathError, kMathErrorCaption, MessageIcon::Error);
    } catch (...) {
        blankOutputs();
        report(kUnknownError, kUnknownErrorCaption, MessageIcon::Error);
    }
    if (commandForm_) commandForm_->EnableXYPlotButton(outputsValid_);
    if (closeAfterCalculation_) QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::RunDistributionPlot(
    bool noPlot, const std::function<void()>& idle,
    const std::function<void(const std::string&, const char*, platform::MessageIcon)>& report) {
    if (!plotPaneShown_ || !plotTarget_) return;
    PlotData* graph = plotTarget_->GraphData();
    if (!graph) return;
    plotTarget_->SetPlotFailed(false);
    plotOwed_ = !noPlot && !plotTarget_->DistributionTabShown();
    if (noPlot || plotOwed_) {
        *graph = PlotData();
        return;
    }
    // The worker fills a record of its own; the graph, which the window may
    // paint at any time, takes it only once the worker is done.
    PlotData fresh;
    PowerAnalysis* test = currentTest_;
    test->cancelled.store(false);
    const CalculationWorker::Outcome outcome = worker_.Run(
        [test, &fresh] {
            MakeBoundedDistributionPlot(test, &fresh);
            return 0;
        },
        test->cancelled, idle);
    using namespace calc_messages;
    if (outcome.cancelled) {
        SetPlotValid(false);
        report(kPlotInterrupted, kInterruption, platform::MessageIcon::Error);
    } else if (outcome.status != WorkerStatus::kFinished) {
        SetPlotValid(false);
        plotTarget_->SetPlotFailed(true);
        report(kPlotFailed, kMathErrorCaption, platform::MessageIcon::Error);
    } else {
        *graph = std::move(fresh);
        SetPlotValid(true);
        plotTarget_->RedrawPlot();
    }
}

void CMainFrame::OnResultTabChanged() {
    commands_.RefreshActions();
    if (!plotOwed_ || !outputsValid_ || busy_ || !currentTest_ || !plotTarget_ ||
        !plotTarget_->DistributionTabShown())
        return;
    NumericsClaim numerics;
    if (!numerics.Held()) return;
    BusyScope busy(busy_);
    FloatingPointGuard floatingPoint;
    std::optional<platform::WaitCursor> waitCursor(std::in_place);
    const auto idle = [this] {
        PumpMessages();
        platform::SleepMilliseconds(5);
    };
    auto report = [&](const std::string& text, const char* caption, platform::MessageIcon icon) {
        waitCursor.reset();
        if (closeAfterCalculation_) return;
        platform::ShowMessage(this, ToDisplayLabel(text), QString::fromLatin1(caption), icon);
    };
    RunDistributionPlot(false, idle, report);
    if (closeAfterCalculation_) QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (worker_.Running() || busy_) {
        closeAfterCalculation_ = true;
        if (currentTest_) currentTest_->cancelled.store(true);
        event->ignore();
        return;
    }
    // The X-Y plot window stops its computation and closes first.
    if (CPlotAndTable* xyPlot = XYPlotWindow()) {
        xyPlot->close();
        if (xyPlot->IsComputing()) {
            QTimer::singleShot(20, this, &QWidget::close);
            event->ignore();
            return;
        }
    }
    // The explorer's model ends with the program: changes never saved are
    // offered for saving first.
    if (explorer_ && !explorer_->MayDiscardChanges()) {
        event->ignore();
        return;
    }
    CloseEffectSizeDrawer();
    QMainWindow::closeEvent(event);
}
