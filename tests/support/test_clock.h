#pragma once

#include <chrono>
#include <mutex>
#include <thread>

#include "link/link_clock.h"

namespace ketrel::test {

// A link clock that moves only when the waits sleep, and by exactly what they ask: a wait's
// budget can be checked to the poll, and a unit that never answers costs no time.
class ManualClock : public LinkClock {
  public:
    TimePoint now() override { return now_; }
    void sleepFor(Duration d) override { now_ += d; }
    Duration elapsed() const { return now_ - TimePoint{}; }
    void reset() { now_ = TimePoint{}; }

  private:
    TimePoint now_{};
};

// A link clock that can run faster than the wall clock: once the unit has said all it will say,
// the rest of a wait's budget passes in a fraction of the time.
class HurriedClock : public LinkClock {
  public:
    // From now on time runs `factor` times as fast as on the wall (1: as on the wall).
    void hurry(int factor) {
        std::lock_guard lock(mutex_);
        base_ = nowLocked();
        wallBase_ = std::chrono::steady_clock::now();
        factor_ = factor;
    }
    TimePoint now() override {
        std::lock_guard lock(mutex_);
        return nowLocked();
    }
    void sleepFor(Duration d) override {
        int factor;
        {
            std::lock_guard lock(mutex_);
            factor = factor_;
        }
        std::this_thread::sleep_for(d / factor);
    }

  private:
    TimePoint nowLocked() const {
        return base_ + (std::chrono::steady_clock::now() - wallBase_) * factor_;
    }
    std::mutex mutex_;
    TimePoint base_ = std::chrono::steady_clock::now();
    TimePoint wallBase_ = base_;
    int factor_ = 1;
};

}  // namespace ketrel::test
