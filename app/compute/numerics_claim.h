#pragma once

#include <atomic>

// The numerical routines keep process-wide state and are not re-entrant, so
// the main window's calculation and the calculator's evaluation never run at
// the same time: whoever starts one holds this claim until it has ended.
class NumericsClaim {
  public:
    // Takes the claim when it is free; Held() tells whether it was.
    NumericsClaim() : held_(TryTake()) {}
    ~NumericsClaim() {
        if (held_) Give();
    }
    NumericsClaim(const NumericsClaim&) = delete;
    NumericsClaim& operator=(const NumericsClaim&) = delete;

    bool Held() const { return held_; }

    // The claim by hand, for work that ends on another call.
    static bool TryTake() {
        bool expected = false;
        return InUseFlag().compare_exchange_strong(expected, true, std::memory_order_acq_rel);
    }
    static void Give() { InUseFlag().store(false, std::memory_order_release); }
    static bool InUse() { return InUseFlag().load(std::memory_order_acquire); }

  private:
    static std::atomic<bool>& InUseFlag() {
        static std::atomic<bool> inUse{false};
        return inUse;
    }

    bool held_;
};
