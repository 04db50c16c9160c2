#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "config_test_support.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "recording_actions.h"
#include "test_support.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {

// The program's link with its receive thread and frame dispatch, open on the simulated unit, and
// a fresh copy of the supplied database in a temporary directory.
class UnitLinkFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(db.created);
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
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

    SuppliedDb db;
    sim::UnitSimulator unit;
    RecordingNotifier notifier;
    RecordingProgress progress;
    SharedText openAppPath;
    RecordingActions actions;
    UnitSession session{notifier,
                        {.sink = &actions, .actions = &actions, .openAppPath = &openAppPath}};
    SerialLink& link = session.link();
    ReceiveThread& receiver = session.receiver();

  private:
    int markers_ = 0;
};

}  // namespace ketrel::test
