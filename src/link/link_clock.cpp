#include "link/link_clock.h"

#include <thread>

namespace ketrel {

LinkClock::TimePoint LinkClock::now() { return std::chrono::steady_clock::now(); }

void LinkClock::sleepFor(Duration duration) { std::this_thread::sleep_for(duration); }

LinkClock& LinkClock::System() {
    static LinkClock clock;
    return clock;
}

}  // namespace ketrel
