#pragma once

#include <gtest/gtest.h>

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

#include "config/config_texts.h"
#include "config_test_support.h"
#include "test_clock.h"
#include "test_support.h"
#include "unit_link_fixture.h"

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

// The link on the simulated unit, with the checks every fault row makes. Its clock can be
// hurried once the unit has said all it will say, so that waiting out a silent unit's budget
// costs a fraction of it.
class FaultFixture : public UnitLinkFixture {
  protected:
    void SetUp() override {
        UnitLinkFixture::SetUp();
        link.SetClock(clock);
    }

    // Runs a transfer that reaches the blocks. The simulated unit must answer each block within
    // the status wait (and "OK" within its budget); on a machine busy with other work its
    // thread can be held up longer, which shows as the no-status (or no-OK) message where the
    // row expects another outcome or more blocks. Such a run says nothing about the row, so it
    // is run again, at most eight times in all.
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
            const auto texts = notifier.headlines();
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

    std::string dbBytes() const {
        std::ifstream in(db.path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    int blocksInLastRun = 0;  // blocks the unit took in the last runTransfer
    HurriedClock clock;
};

}  // namespace ketrel::test
