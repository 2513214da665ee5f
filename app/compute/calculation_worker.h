#pragma once

#include <atomic>
#include <functional>
#include <thread>

struct PlotData;

// What the user reads when a calculation or the distribution plot fails.
namespace calc_messages {
inline constexpr const char* kInterrupted = "Calculation interrupted!";
inline constexpr const char* kInterruption = "Interruption";
inline constexpr const char* kMathError =
    "Quorix was not able to compute the results.\nPlease try less extreme input parameters!";
inline constexpr const char* kMathErrorCaption = "Internal math error";
inline constexpr const char* kUnknownError =
    "Quorix encountered an unknown internal error!\nThe most probable cause is a floating point "
    "\nerror due to insufficient numerical precision. You\nmay try less extreme input "
    "parameters.\n";
inline constexpr const char* kUnknownErrorCaption = "Unknown internal error";
inline constexpr const char* kInputError = "Input error";
inline constexpr const char* kPleaseNote = "Please note";
inline constexpr const char* kPlotInterrupted = "Generation of distribution plot interrupted!";
inline constexpr const char* kPlotFailed =
    "Quorix encountered an error during the generation of\nthe plot of central and noncentral "
    "distributions.\nThe graph is omitted!";
}  // namespace calc_messages

// How a worker's job ended.
enum class WorkerStatus : int {
    kFinished = 0,        // returned normally
    kNumericalError = 1,  // a QuorixError escaped
    kOtherError = 2,      // any other exception escaped
};

// Runs one job at a time on a worker thread while the user-interface thread
// keeps dispatching its events. The job owns the objects it works on until
// Run returns: Run comes back only after the worker thread has ended, also
// when the cancel flag cut the wait short (the job is expected to notice
// the flag and leave; the events keep flowing while it does).
class CalculationWorker {
  public:
    struct Outcome {
        bool cancelled = false;  // the cancel flag ended the wait
        WorkerStatus status = WorkerStatus::kFinished;
        int result = 0;  // the job's value; only meaningful when kFinished
    };

    CalculationWorker() = default;
    // Sets no flag of its own: the owner cancels the job first; this then
    // waits for the thread.
    ~CalculationWorker();
    CalculationWorker(const CalculationWorker&) = delete;
    CalculationWorker& operator=(const CalculationWorker&) = delete;

    // Starts `job` and calls `idle` (dispatch events, sleep) until the job
    // has ended or `cancel` is set; after a cancel it goes on calling `idle`
    // until the thread is gone. The worker starts with the caller's
    // floating-point environment, flags cleared.
    Outcome Run(const std::function<int()>& job, const std::atomic<bool>& cancel,
                const std::function<void()>& idle);

    // True from the start of a job until its thread has left it.
    bool Running() const { return running_.load(std::memory_order_acquire); }

  private:
    std::thread thread_;
    std::atomic<bool> running_{false};
    WorkerStatus status_ = WorkerStatus::kFinished;  // written by the worker, read after join
    int result_ = 0;
};

// The distribution graph as the driver sees it: the later result pane
// supplies it; tests supply a fake.
class DistributionPlotTarget {
  public:
    virtual ~DistributionPlotTarget() = default;
    // The graph's data, or null when there is no graph view.
    virtual PlotData* GraphData() = 0;
    virtual bool DistributionTabShown() = 0;
    virtual void RedrawPlot() = 0;
    // Whether the last plot run failed to produce a drawing; the pane then
    // says so in place of the graph.
    virtual void SetPlotFailed(bool failed) { (void)failed; }
};
