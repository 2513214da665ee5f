#include "app/compute/calculation_worker.h"

#include <cfenv>

#include "numerics/quorix_error.h"

// ------------------------------------------------------------ the worker

CalculationWorker::~CalculationWorker() {
    if (thread_.joinable()) thread_.join();
}

CalculationWorker::Outcome CalculationWorker::Run(const std::function<int()>& job,
                                                  const std::atomic<bool>& cancel,
                                                  const std::function<void()>& idle) {
    // Run never returns with a thread still going, so none is left here.
    if (thread_.joinable()) thread_.join();
    std::feclearexcept(FE_ALL_EXCEPT);
    std::fenv_t environment;
    std::fegetenv(&environment);
    status_ = WorkerStatus::kFinished;
    result_ = 0;
    running_.store(true, std::memory_order_release);
    try {
        thread_ = std::thread([this, &job, environment] {
            std::fesetenv(&environment);
            try {
                result_ = job();
            } catch (const QuorixError&) {
                status_ = WorkerStatus::kNumericalError;
            } catch (...) {
                status_ = WorkerStatus::kOtherError;
            }
            running_.store(false, std::memory_order_release);
        });
    } catch (...) {
        // No thread: nothing runs, and the frame must not stay busy.
        running_.store(false, std::memory_order_release);
        throw;
    }

    Outcome outcome;
    while (Running() && !cancel.load(std::memory_order_relaxed)) idle();
    outcome.cancelled = cancel.load(std::memory_order_relaxed);
    // A cancelled job leaves through its own polls of the flag. Until it has,
    // it still owns the test and the lists: keep the window alive and wait.
    while (Running()) idle();
    thread_.join();
    outcome.status = status_;
    outcome.result = result_;
    return outcome;
}
