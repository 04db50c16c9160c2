#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "link/unit_session.h"
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
        link.SetStatusView(&status);
    }

    void startReceiverAndOpen() {
        ASSERT_TRUE(session.start(unit.portPath())) << link.PortFailureHint(unit.portPath());
    }

    sim::UnitSimulator unit;
    RecordingNotifier notifier;
    RecordingStatus status;
    RecordingActions actions;
    UnitSession session{notifier, {.sink = &actions, .actions = &actions}};
    SerialLink& link = session.link();
    ReceiveThread& receiver = session.receiver();
};

}  // namespace ketrel::test
