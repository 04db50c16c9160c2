// The receive thread beside the simulated unit: dispatch, pausing, the ring, a lost device.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "common/texts.h"
#include "unit_fixture.h"

namespace ketrel {
namespace {

using namespace std::chrono_literals;
using Events = std::vector<std::string>;

class ReceiveThreadTest : public test::UnitFixture {
  protected:
    bool eventually(std::size_t count) {
        return test::WaitUntil([&] { return actions.count() >= count; });
    }
};

TEST_F(ReceiveThreadTest, ABurstLongerThanTheRingLosesNoFrame) {
    std::string burst;
    for (int i = 0; i < 40; ++i) burst += sim::UnitSimulator::MakeFrame("ComputerPageDown");
    // Let the whole burst queue up, so the thread finds all of it at once.
    link.PauseReceiver();
    unit.sendRaw(burst);
    ASSERT_TRUE(test::WaitUntil([&] { return link.CommHandle().queuedInput() >= 2560; }));
    link.ResumeReceiver();
    ASSERT_TRUE(eventually(40));
    receiver.waitForPass();
    EXPECT_EQ(actions.count(), 40u);
}

TEST_F(ReceiveThreadTest, NothingIsDispatchedWhilePausedAndNestedPausesNeedEveryResume) {
    link.PauseReceiver();
    link.PauseReceiver();
    unit.sendFrame("ComputerStop");
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(actions.count(), 0u);
    link.ResumeReceiver();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(actions.count(), 0u) << "one resume of two pauses must not release the thread";
    link.ResumeReceiver();
    ASSERT_TRUE(eventually(1));
    EXPECT_EQ(actions.events(), Events{"key Stop"});
    link.ResumeReceiver();  // without a pause: no effect
    EXPECT_EQ(receiver.pauseCount(), 0);
    link.PauseReceiver();
    EXPECT_EQ(receiver.pauseCount(), 1) << "an extra resume must not bank a future pause";
    link.ResumeReceiver();
}

// A sink that holds the receive thread inside a delivery until the test lets it go.
class BlockingSink : public FrameSink {
  public:
    void infoLine(const std::string&, const std::string&) override {
        std::unique_lock lock(m);
        entered = true;
        cv.notify_all();
        cv.wait_for(lock, 5s, [&] { return release; });
    }
    std::mutex m;
    std::condition_variable cv;
    bool entered = false;
    bool release = false;
};

TEST(ReceiveThreadDeadlock, APauseAskedDuringADeliveryReturnsAtOnce) {
    sim::UnitSimulator unit;
    ASSERT_TRUE(unit.start());
    test::RecordingNotifier notifier;
    BlockingSink sink;
    UnitSession session(notifier, {.sink = &sink});
    SerialLink& link = session.link();
    ASSERT_TRUE(session.start(unit.portPath()));
    unit.sendFrame("Model=X");
    {
        std::unique_lock lock(sink.m);
        ASSERT_TRUE(sink.cv.wait_for(lock, 3s, [&] { return sink.entered; }));
    }
    auto paused = std::async(std::launch::async, [&] { link.PauseReceiver(); });
    const bool returned = paused.wait_for(2s) == std::future_status::ready;
    {
        std::lock_guard lock(sink.m);
        sink.release = true;
    }
    sink.cv.notify_all();
    EXPECT_TRUE(returned) << "pausing must not wait for the delivery to end";
    paused.wait();
    link.ResumeReceiver();
}

// A stop while the unit is sending returns at once, and nothing is acted on after it; a start
// whose port fails leaves no thread behind.
TEST_F(ReceiveThreadTest, ASessionStopsMidReceiveAndAFailedStartLeavesNothingRunning) {
    std::string burst;
    for (int i = 0; i < 40; ++i) burst += sim::UnitSimulator::MakeFrame("ComputerPageDown");
    auto sending = std::async(std::launch::async, [&] { unit.sendRaw(burst); });
    ASSERT_TRUE(eventually(2));
    auto stopped = std::async(std::launch::async, [&] { session.stop(); });
    ASSERT_EQ(stopped.wait_for(2s), std::future_status::ready) << "the stop hangs";
    const std::size_t handled = actions.count();
    EXPECT_FALSE(receiver.running());
    EXPECT_FALSE(link.CommHandle().isOpen());
    sending.wait();
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(actions.count(), handled) << "a frame was acted on after the stop";

    notifier.clear();
    EXPECT_FALSE(session.start("/dev/ketrel-no-such-port"));
    EXPECT_FALSE(receiver.running()) << "the failed start left the receive thread running";
    ASSERT_EQ(notifier.texts().size(), 1u);
    EXPECT_EQ(notifier.texts()[0].rfind(texts::kPortOpenFailed, 0), 0u) << notifier.texts()[0];
}

TEST_F(ReceiveThreadTest, ALostDeviceNeitherCrashesNorSpinsAndCanBeReopened) {
    unit.stop();
    ASSERT_TRUE(test::WaitUntil([&] { return receiver.portLost(); }));
    const auto before = receiver.passes();
    std::this_thread::sleep_for(300ms);
    EXPECT_LT(receiver.passes() - before, 200u) << "the thread must keep its 10 ms rhythm";

    notifier.clear();
    EXPECT_FALSE(link.PostCommand(frame::kGetInfo));
    EXPECT_EQ(notifier.texts(), Events{texts::kPortInvalid});
    EXPECT_FALSE(link.CommHandle().isOpen());
    EXPECT_EQ(status.events().back(), "failed");

    sim::UnitSimulator back;
    ASSERT_TRUE(back.start());
    ASSERT_TRUE(link.ConnectCommPort(back.portPath()));
    EXPECT_FALSE(receiver.portLost());
    back.sendFrame("ComputerPlayPause");
    ASSERT_TRUE(eventually(1));
    EXPECT_EQ(actions.events(), Events{"key PlayPause"});
}

TEST_F(ReceiveThreadTest, TogglingThePortStopsAndRestartsTheHandlingOfFrames) {
    link.ToggleCommPort(unit.portPath());
    EXPECT_FALSE(link.CommHandle().isOpen());
    EXPECT_EQ(status.events().back(), "closed");
    unit.sendFrame("ComputerPageUp");
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(actions.count(), 0u);
    EXPECT_EQ(receiver.pauseCount(), 0) << "a closed port must not leave the thread paused";

    link.ToggleCommPort(unit.portPath());
    EXPECT_TRUE(link.CommHandle().isOpen());
    EXPECT_EQ(status.events().back(), "open " + unit.portPath());
    unit.sendFrame("ComputerPageDown");
    ASSERT_TRUE(eventually(1));
    EXPECT_EQ(actions.events(), Events{"key PageDown"}) << "bytes sent while closed are gone";
}

// The thread spends most of its time waiting on the port; a port closed during that wait used to
// stay locked until the wait ended, so opening the same device at once found it "in use".
TEST_F(ReceiveThreadTest, TheSamePortOpensAgainAtOnce) {
    const auto reopen = [&] {
        return link.OpenCommPort(unit.portPath()) ? "" : link.PortFailureHint(unit.portPath());
    };
    for (int i = 0; i < 10; ++i) {
        // Each step once the thread is back in its wait on the port.
        receiver.waitForPass();
        EXPECT_FALSE(link.OpenCommPort("/dev/ketrel-no-such-port"));
        ASSERT_EQ(reopen(), "") << "after another port was refused";
        receiver.waitForPass();
        link.ClosePort();
        ASSERT_EQ(reopen(), "") << "after a close";
        receiver.waitForPass();
        ASSERT_EQ(reopen(), "") << "while open";
    }
    EXPECT_EQ(receiver.pauseCount(), 0);
    unit.sendFrame("ComputerStop");
    ASSERT_TRUE(eventually(1));
    EXPECT_EQ(actions.events(), Events{"key Stop"});
}

}  // namespace
}  // namespace ketrel
