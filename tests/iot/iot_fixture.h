#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iot/smart_socket.h"
#include "link/unit_session.h"
#include "test_clock.h"
#include "test_support.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {

// What the smart socket dialog would show.
class RecordingView : public iot::SocketView {
  public:
    void setStatus(const std::string& text) override {
        status = text;
        ++changes;
    }
    void setCodeDisplay(const std::string& text) override {
        code = text;
        ++changes;
    }
    void setWidthsLine(const std::string& text) override {
        widths = text;
        ++changes;
    }
    std::string status, code, widths;
    int changes = 0;
};

// The link as the program runs it, with a real receive thread, against the simulated unit and
// the gateway and socket behind it.
class IotFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        iot::ProcessState() = iot::IoTProcessState{};
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        ASSERT_TRUE(session.start(unit.portPath())) << link.PortFailureHint(unit.portPath());
        link.SetClock(clock);
    }

    // Sets the faults of the gateway and socket. The wait for a device that never answers, or
    // whose answer is in at once, runs out in a twentieth of its 4.7 s or 7.8 s.
    void setFaults(const sim::IotFaults& faults, bool answerIsInAtOnce = false) {
        unit.iot().setFaults(faults);
        clock.hurry(faults.noReply || answerIsInAtOnce ? 20 : 1);
    }

    // The receive thread is no longer paused and reads the port again.
    void ExpectReceiverRunning() {
        EXPECT_EQ(receiver.pauseCount(), 0) << "the receive thread was left paused";
        const auto before = receiver.bytesReceived();
        unit.sendRaw("~");
        EXPECT_TRUE(WaitUntil([&] { return receiver.bytesReceived() > before; }))
            << "the receive thread does not read the port";
    }

    std::string LastLine() {
        const auto lines = unit.receivedLines();
        return lines.empty() ? std::string() : lines.back();
    }
    // Sends nothing more until the unit has taken the lines so far, so that two lines without
    // a reply in between are not run together into one.
    void WaitForLines(std::size_t count) {
        ASSERT_TRUE(WaitUntil([&] { return unit.receivedLines().size() >= count; }))
            << "the unit received " << unit.receivedLines().size() << " lines, not " << count;
    }

    sim::UnitSimulator unit;
    RecordingNotifier notifier;
    HurriedClock clock;
    UnitSession session{notifier};
    SerialLink& link = session.link();
    ReceiveThread& receiver = session.receiver();
};

}  // namespace ketrel::test
