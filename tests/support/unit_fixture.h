#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "link/unit_session.h"
#include "platform/app_state.h"
#include "recording_actions.h"
#include "test_support.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {

// What the status bar would show of the port.
class RecordingStatus : public PortStatusView, public EventLog {
  public:
    void showPortOpen(const std::string& name) override { add("open " + name); }
    void showPortFailed() override { add("failed"); }
    void showPortClosed() override { add("closed"); }
};

// The program's link as it runs it (port, receive thread, frame dispatch, PC actions) against the
// simulated unit on a pseudo-terminal; open from the start unless a test says otherwise.
class UnitFixture : public ::testing::Test {
  protected:
    explicit UnitFixture(bool openAtStart = true) : openAtStart_(openAtStart) {}
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        link.SetStatusView(&status);
        if (openAtStart_) startSession();
    }
    void startSession() {
        ASSERT_TRUE(session.start(unit.portPath())) << link.PortFailureHint(unit.portPath());
    }

    // The receive thread is no longer paused and acts on the unit's frames again.
    void expectReceiverRuns(sim::UnitSimulator& from) {
        EXPECT_EQ(receiver.pauseCount(), 0) << "the receive thread was left paused";
        const std::string marker = "Model=after-" + std::to_string(++markers_);
        from.sendFrame(marker);
        EXPECT_TRUE(WaitUntil([&] { return hasEvent("info " + marker); }, std::chrono::seconds(5)))
            << "no frame is handled after the step";
    }
    void expectReceiverRuns() { expectReceiverRuns(unit); }

    // An action or information line ("info KEY=VALUE") the dispatch handed on.
    bool hasEvent(const std::string& e) const {
        const auto events = actions.events();
        return std::find(events.begin(), events.end(), e) != events.end();
    }

    sim::UnitSimulator unit;
    RecordingNotifier notifier;
    RecordingStatus status;
    SharedText openAppPath;
    RecordingActions actions;
    UnitSession session{notifier,
                        {.sink = &actions, .actions = &actions, .openAppPath = &openAppPath}};
    SerialLink& link = session.link();
    ReceiveThread& receiver = session.receiver();

  private:
    bool openAtStart_;
    int markers_ = 0;
};

}  // namespace ketrel::test
