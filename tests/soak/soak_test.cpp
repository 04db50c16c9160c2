// Minutes of traffic: the unit sends PC command frames and information lines at random intervals
// while transfers, IoT exchanges and information requests run in a loop. Afterwards every frame
// sent while no exchange held the port was handled exactly once, the process's resident memory did
// not grow after the warm-up, and the receive thread is not left paused.
//
// KETREL_SOAK_SECONDS sets the length (default 180, at most 540).
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "config/config_transfer.h"
#include "config_test_support.h"
#include "iot/gateway.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "test_support.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t kMaxIds = 1 << 20;
constexpr int kKinds = 10;  // the ten PC commands, counted by kind

// Counts without allocating, so the counting itself does not grow the process.
class CountingActions : public PcActions, public FrameSink {
  public:
    CountingActions() : ids(kMaxIds) {}
    void pressKey(PcKey key) override { ++commands[static_cast<int>(key)]; }
    void shutdown() override { ++commands[5]; }
    void restart() override { ++commands[6]; }
    void openProgram(const std::string& path) override {
        if (path == "/opt/camera") ++commands[7];
    }
    void setResolution(int width) override { ++commands[width == 960 ? 8 : 9]; }
    void infoLine(const std::string& key, const std::string& value) override {
        if (key == "Model" && value.size() > 1 && value[0] == 's') {
            const unsigned long id = std::strtoul(value.c_str() + 1, nullptr, 10);
            if (id < kMaxIds) ++ids[id];
        } else if (key == "Model") {
            ++unitModelLines;
        }
    }
    std::atomic<int> commands[kKinds] = {};
    std::vector<std::atomic<int>> ids;
    std::atomic<int> unitModelLines{0};
};

const char* const kCommandNames[kKinds] = {
    "ComputerPageUp",          "ComputerPageDown",   "ComputerSpace",
    "ComputerPlayPause",       "ComputerStop",       "ComputerShutdown",
    "ComputerRestart",         "ComputerOpenCamera", "ChangeResolution960_720",
    "ChangeResolution1920_720"};

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int SoakSeconds() {
    const char* env = std::getenv("KETREL_SOAK_SECONDS");
    const int s = env ? std::atoi(env) : 180;
    return std::clamp(s, 10, 540);
}

class QuietProgress : public Progress {
  public:
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void setStepText(const std::string&) override {}
};

TEST(Soak, FramesDuringExchangesForMinutes) {
    const auto length = std::chrono::seconds(SoakSeconds());
    SuppliedDb db;
    ASSERT_TRUE(db.created);
    InsertCards(db.path, 40);
    sim::UnitSimulator unit;
    std::string error;
    ASSERT_TRUE(unit.start(&error)) << error;
    RecordingNotifier notifier;
    QuietProgress progress;
    SharedText camera(" /opt/camera ");
    CountingActions counted;
    UnitSession session{notifier, {.sink = &counted, .actions = &counted, .openAppPath = &camera}};
    SerialLink& link = session.link();
    ReceiveThread& receiver = session.receiver();
    ASSERT_TRUE(session.start(unit.portPath()));
    iot::Gateway gateway(link, notifier);

    // The port is the unit's to send on unless an exchange holds this lock.
    std::mutex line;
    std::atomic<bool> running{true};
    std::atomic<int> commandsSent[kKinds] = {};
    std::atomic<std::size_t> nextId{0};

    std::thread traffic([&] {
        std::mt19937 rng(12345);
        while (running) {
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 40000));
            std::lock_guard lock(line);
            const unsigned kind = rng() % 17;
            if (kind < 10) {
                unit.sendFrame(std::string(kCommandNames[kind]) + "#" + std::to_string(rng()));
                ++commandsSent[kind];
            } else {
                const std::size_t id = nextId++;
                if (id < kMaxIds) unit.sendFrame("Model=s" + std::to_string(id));
            }
        }
    });

    // Before an exchange: everything the unit sent has been read into the ring, so the purge of
    // the exchange discards none of it.
    auto drained = [&] {
        return WaitUntil([&] {
            if (link.CommHandle().queuedInput() != 0) return false;
            receiver.waitForPass();
            return link.CommHandle().queuedInput() == 0;
        });
    };
    // After one: late answers (a timing miss on a busy machine) may have left the ring's write
    // position between two frame starts; zero bytes bring it back, so no later frame straddles
    // the ring's end, where no frame is ever found.
    auto realign = [&] {
        WaitUntil([&] { return !unit.receivingBlocks(); });
        std::uint64_t before;
        do {
            before = receiver.bytesReceived();
            std::this_thread::sleep_for(60ms);
        } while (receiver.bytesReceived() != before);
        const std::size_t at = receiver.ringWriteIndex() % frame::kFrameSize;
        if (at != 0) {
            unit.sendRaw(std::string(frame::kFrameSize - at, '\0'));
            WaitUntil([&] { return receiver.ringWriteIndex() % frame::kFrameSize == 0; });
        }
    };

    std::mt19937 rng(777);
    int getInfos = 0;
    long warmRss = 0;
    const auto start = Clock::now();
    const auto warmUpEnd = start + length / 5;
    while (Clock::now() - start < length) {
        if (warmRss == 0 && Clock::now() > warmUpEnd) warmRss = ResidentKiB();
        std::this_thread::sleep_for(std::chrono::milliseconds(rng() % 200));
        std::lock_guard lock(line);
        if (!drained()) {
            ADD_FAILURE() << "the receive thread stopped reading the port";
            break;
        }
        notifier.clear();
        switch (rng() % 4) {
            case 0:
                WriteConfiguration(link, db.path, notifier, progress);
                break;
            case 1:
                WriteCards(link, db.path, notifier, progress);
                break;
            case 2:
                gateway.WriteName("soak-" + std::to_string(rng() % 100));
                break;
            case 3:
                // Answered by frames, which must all be handled.
                link.PostCommand(frame::kGetInfo);
                ++getInfos;
                WaitUntil([&] { return counted.unitModelLines >= getInfos; });
                break;
        }
        realign();
        if (receiver.pauseCount() != 0) {
            ADD_FAILURE() << "an exchange left the receive thread paused";
            break;
        }
    }
    running = false;
    traffic.join();
    const long endRss = ResidentKiB();

    // Everything sent has been handled.
    ASSERT_TRUE(drained());
    receiver.waitForPass();
    receiver.waitForPass();
    const std::size_t ids = std::min(nextId.load(), kMaxIds);
    std::size_t missing = 0, duplicated = 0;
    for (std::size_t i = 0; i < ids; ++i) {
        missing += counted.ids[i] == 0;
        duplicated += counted.ids[i] > 1;
    }
    int commandsTotal = 0;
    for (int k = 0; k < kKinds; ++k) {
        EXPECT_EQ(counted.commands[k].load(), commandsSent[k].load()) << kCommandNames[k];
        commandsTotal += commandsSent[k];
    }
    EXPECT_EQ(missing, 0u);
    EXPECT_EQ(duplicated, 0u);
    EXPECT_EQ(counted.unitModelLines.load(), getInfos);
    EXPECT_EQ(receiver.pauseCount(), 0);

    std::printf("soak: %llds, %d PC commands, %zu information lines, %d information requests\n",
                static_cast<long long>(length.count()), commandsTotal, ids, getInfos);
    std::printf("soak: resident memory %ld KiB after warm-up, %ld KiB at the end\n", warmRss,
                endRss);
    // The recorded message texts and the simulator's list of received lines grow a little; the
    // program's own structures must not.
    EXPECT_LE(endRss - warmRss, 2048) << "resident memory grew";
}

}  // namespace
}  // namespace ketrel::test
