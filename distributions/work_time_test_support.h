#pragma once
// A clock of the calling thread's CPU time, for tests that bound the work of
// a routine: wall-clock time also counts the time the thread waits for a
// core, which on a loaded machine (parallel ctest, two cores) says nothing
// about the routine.
#include <chrono>
#include <ctime>

struct ThreadCpuClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<ThreadCpuClock>;
    static constexpr bool is_steady = true;
    static time_point now() noexcept {
        timespec ts{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return time_point(std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec));
    }
};
