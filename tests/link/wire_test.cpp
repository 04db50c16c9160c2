// The transaction primitives against the simulated unit: exact replies, time budgets, purges.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "common/texts.h"
#include "test_clock.h"
#include "unit_fixture.h"

namespace ketrel {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

// The waits run on a clock that moves only while they sleep: the time a wait took is the number
// of its polls, whatever else the machine does.
class WireTest : public test::UnitFixture {
  protected:
    WireTest() : UnitFixture(false) {}
    void SetUp() override {
        UnitFixture::SetUp();
        ASSERT_TRUE(link.OpenCommPort(unit.portPath()));
        link.SetClock(clock);
    }
    // Lets the unit's bytes reach the program's input queue before the wait starts.
    void unitSends(const std::string& bytes) {
        link.CommHandle().purge();
        if (bytes.empty()) return;
        unit.sendRaw(bytes);
        ASSERT_TRUE(test::WaitUntil(
            [&] { return link.CommHandle().queuedInput() >= static_cast<int>(bytes.size()); }));
    }
    // A wait that had its answer in hand ended at the first poll after it was complete; any other
    // ran out its whole budget.
    void expectEnded(bool atOnce, LinkClock::Duration budget, const std::string& what) {
        if (atOnce) {
            EXPECT_LT(clock.elapsed(), 5ms) << what << ": the answer was in, the wait went on";
        } else {
            EXPECT_GE(clock.elapsed(), budget) << what << ": gave up before its budget";
            EXPECT_LT(clock.elapsed(), budget + kPollSleep) << what;
        }
        clock.reset();
    }
    test::ManualClock clock;
};

TEST_F(WireTest, WaitForOkAcceptsOnlyTheExactFourBytes) {
    struct Case {
        std::string reply;
        bool ok;
        bool atOnce;  // four bytes or more are in: the wait looks at them at once
    };
    const Case cases[] = {
        {"OK\r\n", true, true},  {"OK\r\nX", false, true}, {"ok\r\n", false, true},
        {"OK\n\r", false, true}, {"NO\r\n", false, true},  {"OK\0\r"s, false, true},
        {"OK\r", false, false},  {"", false, false},
    };
    for (int polls : {100, 1000}) {
        for (const auto& c : cases) {
            unitSends(c.reply);
            EXPECT_EQ(link.WaitForOk(polls), c.ok) << "reply of " << c.reply.size() << " bytes";
            // 100 ticks are 1.56 s, 1000 are 15.6 s: time for the unit on a real line.
            expectEnded(c.atOnce, polls * 15625us, std::to_string(c.reply.size()) + " bytes");
        }
    }
}

// A status ends the wait once the line has been quiet behind it; anything else is classified
// after the ten rounds of 15.6 ms.
TEST_F(WireTest, WaitForStatusClassifiesTheWholeReply) {
    const std::vector<std::pair<std::string, int>> cases = {
        {"Ready\r\n", SerialLink::kStatusReady},
        {"Complete\r\n", SerialLink::kStatusComplete},
        {"Error\r\n", SerialLink::kStatusError},
        {"Complete", SerialLink::kStatusNone},
        {"", SerialLink::kStatusNone},
        {"Ready\r\nReady\r\n", SerialLink::kStatusNone},
        {"xReady\r\n", SerialLink::kStatusNone},
        {"Ready\r\nx", SerialLink::kStatusNone},
        {std::string(700, 'R'), SerialLink::kStatusNone},  // more than the buffer holds
    };
    for (const auto& [reply, expected] : cases) {
        unitSends(reply);
        EXPECT_EQ(link.WaitForStatus(), expected) << reply.substr(0, 20);
        expectEnded(expected != SerialLink::kStatusNone, 156250us, reply.substr(0, 20));
    }
}

TEST_F(WireTest, ReadBlockNeedsExactly2048QueuedBytes) {
    for (const std::size_t size : {2047u, 2048u, 2049u}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
        unitSends(bytes);
        std::uint8_t buffer[2048] = {};
        std::size_t count = 99;
        const bool ok = link.ReadBlock(buffer, count);
        EXPECT_EQ(ok, size == 2048) << size;
        expectEnded(size >= 2048, 1562500us, std::to_string(size) + " bytes");
        if (size == 2048) {
            EXPECT_EQ(count, 2048u);
            EXPECT_EQ(std::memcmp(buffer, bytes.data(), 2048), 0);
        } else {
            EXPECT_EQ(count, 0u);
        }
    }
}

TEST_F(WireTest, SendCommandPurgesInputThatCameBeforeIt) {
    sim::Faults faults;
    faults.noOk = true;
    unit.setFaults(faults);
    unitSends("OK\r\n");
    ASSERT_TRUE(link.SendCommand("WriteCard\r\n"));
    EXPECT_FALSE(link.WaitForOk(30)) << "the OK that came before the command must be gone";
    EXPECT_TRUE(test::WaitUntil([&] {
        auto lines = unit.receivedLines();
        return !lines.empty() && lines.back() == "WriteCard";
    }));
}

TEST_F(WireTest, PostCommandWithoutAPortSendsNothingAndSaysSo) {
    link.ClosePort();
    EXPECT_FALSE(link.PostCommand(frame::kGetInfo));
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kPortInvalid});
    EXPECT_EQ(notifier.messages()[0].caption, texts::kCaptionError);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(unit.receivedLines().empty());
}

// The window handles its timers while an exchange waits for the unit: a line of theirs must not
// land in the middle of the exchange, nor a message about it.
TEST_F(WireTest, NoLineGoesOutWhileAnExchangeHoldsTheLine) {
    {
        SerialLink::Exchange exchange(link);
        EXPECT_TRUE(link.exchangeActive());
        EXPECT_FALSE(link.PostCommand(frame::kGetInfo));
        EXPECT_FALSE(link.RequirePort());
    }
    EXPECT_FALSE(link.exchangeActive());
    EXPECT_TRUE(notifier.texts().empty());
    EXPECT_EQ(receiver.pauseCount(), 0);
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(unit.receivedLines().empty());
    EXPECT_TRUE(link.PostCommand(frame::kGetInfo));
    EXPECT_TRUE(test::WaitUntil([&] { return unit.receivedLines().size() == 1; }));
}

TEST_F(WireTest, ThePortIsExclusiveWithinTheProcess) {
    SerialPort second;
    EXPECT_FALSE(second.open(unit.portPath()));
    EXPECT_EQ(second.lastOpenFailure(), PortOpenFailure::InUse);
    link.ClosePort();
    EXPECT_TRUE(second.open(unit.portPath()))
        << "closing releases the port: " << second.lastError();
}

TEST(PortNames, MapToDevicePaths) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"COM1", "/dev/ttyS0"},     {"com3", "/dev/ttyS2"}, {"COM10", "/dev/ttyS9"},
        {"COM0", "/dev/COM0"},      {"COMX", "/dev/COMX"},  {"ttyUSB0", "/dev/ttyUSB0"},
        {"/tmp/unit", "/tmp/unit"}, {"pts/3", "pts/3"},     {"a b", "/dev/a b"},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(SerialPort::DevicePath(name), path) << name;
}

TEST(PortNames, BadNamesFailWithTheMessageAndLeaveNothingOpen) {
    test::TempDir dir;
    const std::string regular = dir.file("regular");
    FILE* f = fopen(regular.c_str(), "w");
    fputs("x", f);
    fclose(f);
    const std::vector<std::pair<std::string, PortOpenFailure>> cases = {
        {"/dev/ketrel-no-such-port", PortOpenFailure::NotFound},
        {dir.path(), PortOpenFailure::NotASerialPort},
        {regular, PortOpenFailure::NotASerialPort},
        {"no such port", PortOpenFailure::NotFound},
        {"", PortOpenFailure::NotFound},
        {"/dev/null", PortOpenFailure::NotASerialPort},
    };
    for (const auto& [name, failure] : cases) {
        test::RecordingNotifier notifier;
        test::RecordingStatus status;
        SerialLink link(notifier, &status);
        EXPECT_FALSE(link.ConnectCommPort(name)) << name;
        EXPECT_FALSE(link.CommHandle().isOpen());
        EXPECT_EQ(link.CommHandle().lastOpenFailure(), failure) << name;
        const auto messages = notifier.messages();
        ASSERT_EQ(messages.size(), 1u);
        const auto& m = messages[0];
        EXPECT_EQ(m.text.substr(0, m.text.find('\n')), texts::kPortOpenFailed);
        EXPECT_EQ(m.caption, texts::kCaptionError);
        EXPECT_EQ(m.icon, MessageIcon::Error);
        EXPECT_EQ(status.events(), std::vector<std::string>{"failed"});
    }
}

}  // namespace
}  // namespace ketrel
