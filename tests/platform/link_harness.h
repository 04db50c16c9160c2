#pragma once

// The program's receive side (port, receive thread, frame dispatch) driving a given set of PC
// actions, against the simulated unit on a pseudo-terminal.

#include <string>

#include "common/silent_notifier.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {

class LinkHarness {
  public:
    explicit LinkHarness(PcActions& actions, std::string openAppPath = {})
        : openAppPath_(std::move(openAppPath)),
          session_(notifier_, {.actions = &actions, .openAppPath = &openAppPath_}) {}

    bool start(std::string* error) {
        if (!unit.start(error)) return false;
        if (session_.start(unit.portPath())) return true;
        *error = session_.link().PortFailureHint(unit.portPath());
        return false;
    }

    sim::UnitSimulator unit;

  private:
    SilentNotifier notifier_;
    SharedText openAppPath_;
    UnitSession session_;

  public:
    ReceiveThread& receiver = session_.receiver();
};

}  // namespace ketrel::test
