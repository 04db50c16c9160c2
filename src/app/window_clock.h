#pragma once

#include "link/link_clock.h"

namespace ketrel {

// The link's clock in the window. An exchange with the unit runs on the window's thread and may
// wait for seconds (a silent unit); while it sleeps between polls the window keeps painting and
// its timers run, but what the user clicks or types meanwhile is dropped, so no other command
// starts until the exchange is over. Timers that would talk to the unit are refused by the link
// while the exchange holds the line.
class WindowClock : public LinkClock {
  public:
    void sleepFor(Duration duration) override;

  private:
    TimePoint nextPump_{};
};

}  // namespace ketrel
