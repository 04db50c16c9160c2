#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "link/frame_dispatch.h"
#include "link/receive_thread.h"
#include "link/serial_link.h"
#include "platform/app_state.h"
#include "recording_actions.h"
#include "test_support.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {

class RecordingStatus : public PortStatusView {
  public:
    void showPortOpen(const std::string& name) override { add("open " + name); }
    void showPortFailed() override { add("failed"); }
    void showPortClosed() override { add("closed"); }
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }

  private:
    void add(std::string e) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(e));
    }
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// The whole receive side as the program runs it, against the simulated unit on a
// pseudo-terminal.
class LinkFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        link.AttachReceiver(&receiver);
    }
    void TearDown() override { receiver.stop(); }

    void startReceiverAndOpen() {
        ASSERT_TRUE(receiver.start());
        ASSERT_TRUE(link.ConnectCommPort(unit.portPath())) << link.PortFailureHint(unit.portPath());
    }

    sim::UnitSimulator unit;
    RecordingNotifier notifier;
    RecordingStatus status;
    SerialLink link{notifier, &status};
    SharedText openAppPath;
    RecordingActions actions;
    FrameDispatcher dispatcher{actions, actions, openAppPath};
    ReceiveThread receiver{link.CommHandle(), [this](frame::Ring& ring) {
                               return dispatcher.DispatchUnitFrames(ring);
                           }};
};

}  // namespace ketrel::test
