#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app_state.h"
#include "config_test_support.h"
#include "config_texts.h"
#include "frame_dispatch.h"
#include "receive_thread.h"
#include "recording_actions.h"
#include "serial_link.h"
#include "test_support.h"
#include "unit_simulator.h"

namespace ketrel::test {

using Strings = std::vector<std::string>;

// Runs one step and gives up on the whole process if it has not returned well after its poll
// budgets: a hang must fail the test run, not stall it.
inline void WithinBudget(const std::function<void()>& step,
                         std::chrono::seconds budget = std::chrono::seconds(60)) {
    auto done = std::async(std::launch::async, step);
    if (done.wait_for(budget) != std::future_status::ready) {
        std::fprintf(stderr, "step still running after %llds: hung\n",
                     static_cast<long long>(budget.count()));
        std::fflush(stderr);
        std::_Exit(3);
    }
    done.get();
}

// The bytes of a file, or "(missing)" so a file that vanished or appeared counts as a change.
inline std::string FileBytes(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return "(missing)";
    if (S_ISDIR(st.st_mode)) return "(directory)";
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The program's receive side, link and transfer views against the simulated unit, with a fresh
// copy of the supplied database in a temporary directory.
class FaultFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(db.created);
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        link.AttachReceiver(&receiver);
        ASSERT_TRUE(receiver.start());
        ASSERT_TRUE(link.OpenCommPort(unit.portPath())) << link.PortFailureHint(unit.portPath());
    }
    void TearDown() override {
        link.ClosePort();
        receiver.stop();
        link.AttachReceiver(nullptr);
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

    // Runs a transfer that reaches the blocks. The simulated unit must answer each block within
    // the ten 1 ms polls of the status wait (and "OK" within 100); on a machine busy with other
    // work its thread can be held up longer, which shows as the no-status (or no-OK) message
    // where the row expects another outcome or more blocks. Such a run says nothing about the
    // row, so it is run again, at most eight times in all.
    bool runTransfer(const std::function<bool()>& transfer, const char* noStatus,
                     const Strings& expected, int expectedBlocks, sim::UnitSimulator& from) {
        const char* noOk = std::string(noStatus) == texts::kWriteConfigFailed1
                               ? texts::kWriteConfigFailed3
                               : texts::kWriteCardFailed3;
        bool ok = false;
        for (int attempt = 1;; ++attempt) {
            notifier.clear();
            const int before = from.blocksAccepted();
            WithinBudget([&] { ok = transfer(); });
            const auto texts = notifier.texts();
            blocksInLastRun = from.blocksAccepted() - before;
            const bool missed = (texts == Strings{noStatus} &&
                                 (texts != expected || blocksInLastRun < expectedBlocks)) ||
                                (texts == Strings{noOk} && texts != expected && from.running());
            if (!missed || attempt == 8) return ok;
            std::fprintf(stderr, "status window missed on a busy machine; running the row again\n");
            WaitUntil([&] { return !from.running() || !from.receivingBlocks(); },
                      std::chrono::seconds(2));
        }
    }

    bool hasEvent(const std::string& e) const {
        const auto events = actions.events();
        return std::find(events.begin(), events.end(), e) != events.end();
    }

    std::string dbBytes() const { return FileBytes(db.path); }

    SuppliedDb db;
    int blocksInLastRun = 0;  // blocks the unit took in the last runTransfer
    sim::UnitSimulator unit;
    RecordingNotifier notifier;
    RecordingProgress progress;
    SerialLink link{notifier};
    SharedText openAppPath;
    RecordingActions actions;
    FrameDispatcher dispatcher{actions, actions, openAppPath};
    ReceiveThread receiver{link.CommHandle(), [this](frame::Ring& ring) {
                               return dispatcher.DispatchUnitFrames(ring);
                           }};

  private:
    int markers_ = 0;
};

}  // namespace ketrel::test
