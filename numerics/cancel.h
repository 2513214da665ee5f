#pragma once

#include <exception>
#include <functional>
#include <utility>

// Thrown by long-running numerical loops when the user abandoned the
// computation. It is not a numerical failure and is never shown as one.
class CancelledError : public std::exception {
  public:
    const char* what() const noexcept override { return "cancelled"; }
};

// The check that long numerical loops poll on this thread while it lives:
// a worker whose computation has no cancel flag of its own to hand down
// (a density summed over millions of terms) installs one around it. Checks
// nest; the innermost one is polled, and the previous comes back when it
// goes.
class CancelCheck {
  public:
    explicit CancelCheck(std::function<bool()> cancelled)
        : cancelled_(std::move(cancelled)), previous_(Current()) {
        Current() = this;
    }
    ~CancelCheck() { Current() = previous_; }
    CancelCheck(const CancelCheck&) = delete;
    CancelCheck& operator=(const CancelCheck&) = delete;

    // Throws CancelledError when the check of this thread asks to stop; does
    // nothing without a check.
    static void Poll() {
        const CancelCheck* check = Current();
        if (check && check->cancelled_ && check->cancelled_()) throw CancelledError();
    }

  private:
    static CancelCheck*& Current() {
        thread_local CancelCheck* current = nullptr;
        return current;
    }

    std::function<bool()> cancelled_;
    CancelCheck* previous_;
};
