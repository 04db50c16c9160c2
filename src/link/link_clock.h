#pragma once

#include <chrono>

namespace ketrel {

// The unit counts the waits of an exchange in polls, and was built for a system whose sleeps
// last one coarse timer tick (64 Hz) however short they are asked to be. Here a 1 ms sleep lasts
// about 1 ms, so a count of polls would give the unit a fifteenth of the time it needs on a real
// line. Each wait's time-out is therefore its count of ticks; the wait still polls every
// millisecond and ends as soon as its answer is complete.
inline constexpr std::chrono::microseconds kPollTick{15625};
inline constexpr std::chrono::milliseconds kPollSleep{1};

constexpr std::chrono::microseconds PollBudget(int polls) { return polls * kPollTick; }

// One character on the line (8N1: ten bits) at the given speed.
constexpr std::chrono::nanoseconds CharacterTime(int baud) {
    return std::chrono::nanoseconds(baud > 0 ? 10'000'000'000LL / baud : 0);
}

// Where the waits of the link take the time from, and how they sleep. The window's clock keeps
// painting while it sleeps; tests may run the waits on a clock of their own.
class LinkClock {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~LinkClock() = default;
    virtual TimePoint now();
    virtual void sleepFor(Duration duration);

    // The plain steady clock and sleep.
    static LinkClock& System();
};

// A deadline on a link clock.
class Deadline {
  public:
    Deadline(LinkClock& clock, LinkClock::Duration budget)
        : clock_(clock), end_(clock.now() + budget) {}
    bool passed() const { return clock_.now() >= end_; }

  private:
    LinkClock& clock_;
    LinkClock::TimePoint end_;
};

}  // namespace ketrel
