// The unit misbehaving on the line, end to end against the simulated unit: silent, slow, garbled,
// refusing a block, unplugged in the middle of a transfer. Every row checks the message, that the
// receive thread runs again, and that the database is left as it was.
#include <thread>

#include "common/texts.h"
#include "config/config_texts.h"
#include "config/config_transfer.h"
#include "fault_fixture.h"

// The fault tables name only the fields a case sets; GCC 12 warns about the others even though
// each has its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace ketrel::test {
namespace {

enum class Transfer { Config, Cards };

bool RunTransfer(Transfer t, SerialLink& link, const std::string& db, Notifier& n, Progress& p) {
    return t == Transfer::Config ? WriteConfiguration(link, db, n, p) : WriteCards(link, db, n, p);
}

const char* NoStatus(Transfer t) {
    return t == Transfer::Config ? texts::kWriteConfigFailed1 : texts::kWriteCardFailed1;
}

// A progress view that lets a test act at the moment a block's status has been taken, or a
// step begins.
class HookedProgress : public RecordingProgress {
  public:
    void setPosition(int position) override {
        RecordingProgress::setPosition(position);
        if (onPosition) onPosition(position);
    }
    void setStepText(const std::string& text) override {
        RecordingProgress::setStepText(text);
        if (onStep) onStep(text);
    }
    std::function<void(int)> onPosition;
    std::function<void(const std::string&)> onStep;
};

// Once the unit has nothing more to say, the rest of a budget passes twenty times as fast.
constexpr int kHurry = 20;

class UnitFaults : public FaultFixture {
  protected:
    // The unit went away: the port counts as closed, the next command gets the port message, and
    // a unit plugged in again is heard.
    void expectUnplugHandled() {
        EXPECT_EQ(receiver.pauseCount(), 0);
        EXPECT_FALSE(link.IsOpen()) << "a port whose device went away still counts as open";
        notifier.clear();
        EXPECT_FALSE(link.RequirePort());
        EXPECT_EQ(notifier.headlines(), Strings{texts::kPortInvalid});
        sim::UnitSimulator again;
        std::string error;
        ASSERT_TRUE(again.start(&error)) << error;
        ASSERT_TRUE(link.OpenCommPort(again.portPath()));
        expectReceiverRuns(again);
        link.ClosePort();
    }
};

struct LineCase {
    Transfer transfer;
    const char* name;
    sim::Faults faults;
    const char* message;
    int blocksAccepted;
    // The step from which the unit stays silent ("" from the start, nullptr: it answers late).
    const char* silentFrom = nullptr;
};

TEST_F(UnitFaults, SilentSlowGarbledOrRefusingUnit) {
    using enum Transfer;
    const char *configNoOk = texts::kWriteConfigFailed3, *cardsNoOk = texts::kWriteCardFailed3;
    const char *configRefused = texts::kWriteConfigFailed1,
               *cardsRefused = texts::kWriteCardFailed1;
    const LineCase cases[] = {
        {Config, "silent", {.noAnswer = true}, configNoOk, 0, ""},
        {Cards, "silent", {.noAnswer = true}, cardsNoOk, 0, ""},
        // Beyond the 100 ticks for "OK": the answer comes after the transfer gave up.
        {Config, "slow to answer", {.replyDelayMs = 1800}, configNoOk, 0},
        // Far beyond the ten rounds of the status wait.
        {Config, "slow block status", {.statusAfterMs = 400}, configRefused, 1},
        {Cards, "slow block status", {.statusAfterMs = 400}, cardsRefused, 1},
        {Config, "garbage first", {.prefixBytes = {"\xFF\x00{}#\r\n", 7}}, configNoOk, 0},
        {Cards, "garbage first", {.prefixBytes = "garbage"}, cardsNoOk, 0},
        {Config,
         "no OK to InitConfig",
         {.noInitOk = true},
         texts::kReplyTimeout,
         8,
         texts::kAwaitingUnit},
        {Config, "Error at the first block", {.errorAtBlock = 0}, configRefused, 0},
        {Config, "Error at block 4", {.errorAtBlock = 4}, configRefused, 4},
        {Config, "Error at the last block", {.errorAtBlock = 7}, configRefused, 7},
        {Cards, "Error at the first block", {.errorAtBlock = 0}, cardsRefused, 0},
        {Cards, "Error at the last block", {.errorAtBlock = 7}, cardsRefused, 7},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.transfer == Config ? " (config)" : " (cards)"));
        const Strings messages = {c.message};
        unit.setFaults(c.faults);
        const std::string dbBefore = dbBytes();
        HookedProgress steps;
        steps.onStep = [&](const std::string& step) {
            if (c.silentFrom && step == c.silentFrom) clock.hurry(kHurry);
        };
        const bool ok = runTransfer(
            [&] {
                clock.hurry(c.silentFrom && !*c.silentFrom ? kHurry : 1);
                return RunTransfer(c.transfer, link, db.path, notifier, steps);
            },
            NoStatus(c.transfer), messages, c.blocksAccepted, unit);
        clock.hurry(1);
        EXPECT_FALSE(ok);
        EXPECT_EQ(notifier.headlines(), messages);
        EXPECT_EQ(blocksInLastRun, c.blocksAccepted);
        EXPECT_EQ(dbBytes(), dbBefore);
        unit.setFaults({});
        // A late answer of a slow unit must not be taken for the next transfer's.
        WaitUntil([&] { return !unit.receivingBlocks(); }, std::chrono::seconds(2));
        std::this_thread::sleep_for(
            std::chrono::milliseconds(c.faults.replyDelayMs + c.faults.statusAfterMs));
        expectReceiverRuns();
    }
    // After all of it the unit still takes a whole transfer.
    EXPECT_TRUE(runTransfer([&] { return WriteConfiguration(link, db.path, notifier, progress); },
                            texts::kWriteConfigFailed1, {texts::kWriteConfigDone}, 8, unit));
    EXPECT_EQ(notifier.headlines(), Strings{texts::kWriteConfigDone});
}

// The adapter is pulled out right after the unit took `block` blocks, before the next is written.
TEST_F(UnitFaults, UnpluggedBetweenBlocks) {
    for (Transfer t : {Transfer::Config, Transfer::Cards}) {
        for (int block : {1, 4, 7}) {
            SCOPED_TRACE("unplugged after block " + std::to_string(block - 1) +
                         (t == Transfer::Config ? " (config)" : " (cards)"));
            sim::UnitSimulator pulled;
            std::string error;
            ASSERT_TRUE(pulled.start(&error)) << error;
            ASSERT_TRUE(link.OpenCommPort(pulled.portPath()));
            // The first position is set before any block; the next ones after each status.
            HookedProgress hooked;
            int positions = 0;
            hooked.onPosition = [&](int) {
                if (++positions == block + 1) pulled.stop();
            };
            const std::string dbBefore = dbBytes();
            // One clear account of what happened, not one pair of boxes per remaining block.
            const char* shortWrite =
                t == Transfer::Config ? texts::kWriteConfigFailed2 : texts::kWriteCardFailed2;
            const Strings expected = {texts::kWriteFailed, shortWrite};
            EXPECT_FALSE(runTransfer(
                [&] {
                    positions = 0;
                    return RunTransfer(t, link, db.path, notifier, hooked);
                },
                NoStatus(t), expected, block, pulled));
            EXPECT_EQ(notifier.headlines(), expected);
            EXPECT_EQ(blocksInLastRun, block);
            EXPECT_EQ(dbBytes(), dbBefore);
            expectUnplugHandled();
        }
    }
}

}  // namespace
}  // namespace ketrel::test
