#pragma once

// The program's receive side (port, receive thread, frame dispatch) driving a given set of PC
// actions, against the simulated unit on a pseudo-terminal.

#include <string>

#include "common/notifier.h"
#include "link/frame_dispatch.h"
#include "link/info_lines.h"
#include "link/receive_thread.h"
#include "link/serial_link.h"
#include "platform/app_state.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {

class SilentNotifier : public Notifier {
  public:
    void show(const std::string&, const std::string&, MessageIcon) override {}
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return false; }
};

class IgnoringSink : public FrameSink {
  public:
    void infoLine(const std::string&, const std::string&) override {}
};

class LinkHarness {
  public:
    explicit LinkHarness(PcActions& actions, std::string openAppPath = {})
        : openAppPath_(std::move(openAppPath)),
          dispatcher_(actions, sink_, openAppPath_),
          receiver(link_.CommHandle(),
                   [this](frame::Ring& ring) { return dispatcher_.DispatchUnitFrames(ring); }) {
        link_.AttachReceiver(&receiver);
    }
    ~LinkHarness() { receiver.stop(); }

    bool start(std::string* error) {
        if (!unit.start(error)) return false;
        if (!receiver.start()) {
            *error = "receive thread";
            return false;
        }
        if (!link_.ConnectCommPort(unit.portPath())) {
            *error = link_.PortFailureHint(unit.portPath());
            return false;
        }
        return true;
    }

    sim::UnitSimulator unit;

  private:
    SilentNotifier notifier_;
    SerialLink link_{notifier_};
    SharedText openAppPath_;
    IgnoringSink sink_;
    FrameDispatcher dispatcher_;

  public:
    ReceiveThread receiver;
};

}  // namespace ketrel::test
