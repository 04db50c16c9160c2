#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "iot/smart_socket.h"
#include "test_clock.h"
#include "unit_fixture.h"

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

// The link as the program runs it, against the simulated unit and the gateway and socket behind
// it, on a clock that can hurry through a wait nobody will answer.
class IotFixture : public UnitFixture {
  protected:
    void SetUp() override {
        iot::ProcessState() = iot::IoTProcessState{};
        UnitFixture::SetUp();
        link.SetClock(clock);
    }

    // Sets the faults of the gateway and socket. The wait for a device that never answers, or
    // whose answer is in at once, runs out in a twentieth of its 4.7 s or 7.8 s.
    void setFaults(const sim::IotFaults& faults, bool answerIsInAtOnce = false) {
        unit.iot().setFaults(faults);
        clock.hurry(faults.noReply || answerIsInAtOnce ? 20 : 1);
    }
    void ExpectReceiverRunning() { expectReceiverRuns(); }

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

    HurriedClock clock;
};

}  // namespace ketrel::test
