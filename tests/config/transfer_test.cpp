// The two transfers end to end: the real serial link and receive thread against the simulated
// unit on a pseudo-terminal, one case per way the unit can answer.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/config_transfer.h"
#include "config_test_support.h"
#include "link/frame.h"
#include "unit_link_fixture.h"

// The fault table names only the fields a case sets; GCC 12 warns about the others even though
// each has its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace ketrel {
namespace {

using Strings = std::vector<std::string>;

class TransferTest : public test::UnitLinkFixture {
  protected:
    ConfigImage compiledImage() {
        test::RecordingNotifier quiet;
        ConfigImage image{};
        EXPECT_TRUE(CompileConfigImage(ConfigDb(db.path, quiet), image));
        return image;
    }
};

const Strings kAllSteps = {"range 0..7",   "position 0", "text 写入",    "position 0",
                           "text 写入0%",  "position 1", "text 写入14%", "position 2",
                           "text 写入28%", "position 3", "text 写入42%", "position 4",
                           "text 写入57%", "position 5", "text 写入71%", "position 6",
                           "text 写入85%", "position 7", "text 写入100%"};

// The progress up to the status of the given block, then the read-back and the activation.
Strings StepsUpTo(int blocksReady, bool readBack = false, bool activate = false) {
    Strings steps(kAllSteps.begin(), kAllSteps.begin() + 3 + 2 * blocksReady);
    if (readBack) steps.push_back("text 校验中…");
    if (activate) steps.push_back("text 等待单元确认…");
    if (readBack) steps.push_back(steps[steps.size() - (activate ? 3 : 2)]);
    return steps;
}

TEST_F(TransferTest, ConfigurationIsWrittenVerifiedAndTakenIntoUse) {
    test::RecordingNotifier quiet;
    ASSERT_TRUE(SetConfigValue(db.path, quiet, "DeviceId", "00112233445566AA"));
    ASSERT_TRUE(SetConfigValue(db.path, quiet, "IPAddress", "10.1.2.3"));
    ASSERT_TRUE(SetConfigValue(db.path, quiet, "DHCP", "0"));

    EXPECT_TRUE(WriteConfiguration(link, db.path, notifier, progress));

    ASSERT_EQ(notifier.headlines(), Strings{"写配置成功，校验成功！"});
    EXPECT_EQ(notifier.messages()[0].caption, "提示");
    EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(progress.events(), StepsUpTo(8, true, true));
    EXPECT_EQ(unit.receivedLines(), (Strings{"WriteConfig", "ReadConfig", "InitConfig"}));
    EXPECT_EQ(unit.blocksAccepted(), 8);
    EXPECT_EQ(unit.configImage(), compiledImage());
    expectReceiverRuns();
    // The unit took the new identity: its information lines report it.
    ASSERT_TRUE(link.PostCommand(frame::kGetInfo));
    EXPECT_TRUE(test::WaitUntil([&] { return hasEvent("info deviceid=00112233445566AA"); }));
    EXPECT_TRUE(test::WaitUntil([&] { return hasEvent("info cip=10.1.2.3"); }));
    EXPECT_TRUE(test::WaitUntil([&] { return hasEvent("info dhcp=0"); }));
}

struct FaultCase {
    const char* name;
    bool cards;
    sim::Faults fault;
    const char* message;
    int blocksAccepted;
    int progressBlocks;  // blocks whose status moved the progress bar
    bool readBack;       // the read-back command was sent
};

// The unit silent, refusing each block or answering late is in the fault matrix; here the
// lines sent, the progress shown and the read-back checks of both transfers.
TEST_F(TransferTest, FaultsShowTheirMessage) {
    test::InsertCards(db.path, 12);
    const char* const kMismatch = "校验出错，请重新写入！";
    const FaultCase cases[] = {
        {"Error at block 3", false, {.errorAtBlock = 3}, "写配置失败1！", 3, 3, false},
        {"no OK", false, {.noOk = true}, "写配置失败3！", 0, 0, false},
        {"last byte read back", false, {.corruptReadbackByte = 2047}, kMismatch, 8, 8, true},
        {"short read-back", false, {.shortReadback = true}, "读取失败！", 8, 8, true},
        {"cards: first byte read back", true, {.corruptReadbackByte = 0}, kMismatch, 8, 8, true},
        {"cards: short read-back", true, {.shortReadback = true}, "读取失败！", 8, 8, true},
        {"Ready to the last block", false, {.noComplete = true}, texts::kNoCompletion, 8, 8, false},
        {"cards: Ready to the last block",
         true,
         {.noComplete = true},
         texts::kNoCompletion,
         8,
         8,
         false},
    };
    int accepted = 0;
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.name);
        notifier.clear();
        test::RecordingProgress steps;
        const std::size_t linesBefore = unit.receivedLines().size();
        unit.setFaults(c.fault);

        EXPECT_FALSE(c.cards ? WriteCards(link, db.path, notifier, steps)
                             : WriteConfiguration(link, db.path, notifier, steps));

        EXPECT_EQ(notifier.headlines(), Strings{c.message});
        if (c.fault.errorAtBlock > 0) {
            // The line below the message names the block the unit refused.
            const std::string block = "第 " + std::to_string(c.fault.errorAtBlock + 1) + " 块";
            EXPECT_NE(notifier.messages().at(0).text.find("\n单元拒绝或没有确认" + block),
                      std::string::npos);
        }
        for (const auto& m : notifier.messages()) {
            EXPECT_EQ(m.caption, "提示");
            EXPECT_EQ(m.icon, MessageIcon::Error);
        }
        Strings lines = {c.cards ? "WriteCard" : "WriteConfig"};
        if (c.readBack) lines.push_back(c.cards ? "ReadCard" : "ReadConfig");
        const Strings all = unit.receivedLines();
        EXPECT_EQ(Strings(all.begin() + static_cast<std::ptrdiff_t>(linesBefore), all.end()),
                  lines);
        EXPECT_EQ(unit.blocksAccepted() - accepted, c.blocksAccepted);
        accepted = unit.blocksAccepted();
        EXPECT_EQ(steps.events(), StepsUpTo(c.progressBlocks, c.readBack));
        unit.setFaults({});
        // A late status must not be taken for the next case's answer.
        std::this_thread::sleep_for(std::chrono::milliseconds(c.fault.statusAfterMs));
        expectReceiverRuns();
        // After a transfer the program abandoned, the unit listens for commands again.
        EXPECT_TRUE(test::WaitUntil([&] { return !unit.receivingBlocks(); }));
    }
}

// On the line, a unit that takes its time is waited for, and a byte behind a block's status
// spoils it even when it comes after the status.
TEST_F(TransferTest, TheUnitsOwnPaceOnTheLine) {
    test::InsertCards(db.path, 340);
    sim::Faults slow;
    slow.okAfterMs = 300;
    slow.statusAfterMs = 80;
    slow.readbackAfterMs = 50;
    slow.initAfterMs = 1500;
    sim::Faults stray;
    stray.afterStatus = "x";
    const struct {
        bool cards;
        sim::Faults faults;
        const char* message;
    } cases[] = {
        {false, slow, "写配置成功，校验成功！"},
        {true, stray, "写卡失败1！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const bool succeeds = c.faults.afterStatus.empty();
        bool ok = false;
        int before = 0;
        // A slow unit's status comes 103 ms into a wait of 156 ms. On a machine busy with other
        // work the simulator can be held up past that: such a run says nothing, so it is run
        // again (at most three times in all).
        for (int attempt = 1; attempt <= 3; ++attempt) {
            notifier.clear();
            unit.setFaults(c.faults);
            before = unit.blocksAccepted();
            ok = c.cards ? WriteCards(link, db.path, notifier, progress)
                         : WriteConfiguration(link, db.path, notifier, progress);
            if (ok || !succeeds) break;
            unit.setFaults({});
            test::WaitUntil([&] { return !unit.receivingBlocks(); });
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        EXPECT_EQ(ok, succeeds);
        EXPECT_EQ(notifier.headlines(), Strings{c.message});
        // The unit took the first block; the program refused its status.
        if (!c.faults.afterStatus.empty()) {
            EXPECT_GE(unit.blocksAccepted() - before, 1);
        }
        unit.setFaults({});
        EXPECT_TRUE(test::WaitUntil([&] { return !unit.receivingBlocks(); }));
        expectReceiverRuns();
    }
}

TEST_F(TransferTest, AParserWarningDoesNotStopTheWrite) {
    test::RecordingNotifier quiet;
    ASSERT_TRUE(SetConfigValue(db.path, quiet, "Gateway", ""));
    EXPECT_TRUE(WriteConfiguration(link, db.path, notifier, progress));
    EXPECT_EQ(notifier.headlines(), (Strings{"分割IP地址字符串超上限!", "写配置成功，校验成功！"}));
    expectReceiverRuns();
}

TEST_F(TransferTest, WithThePortClosedOnlyThePortMessageAppears) {
    link.ClosePort();
    // A database path that cannot be opened: touching it would add its own message.
    const std::string missing = db.dir.file("absent/CONFIG");
    EXPECT_FALSE(WriteConfiguration(link, missing, notifier, progress));
    EXPECT_FALSE(WriteCards(link, missing, notifier, progress));
    const Strings portMessage = {"串口无效，请检查电脑串口是否正常！"};
    EXPECT_EQ(notifier.headlines(), (Strings{portMessage[0], portMessage[0]}));
    for (const auto& m : notifier.messages()) {
        EXPECT_EQ(m.caption, "错误");
        EXPECT_EQ(m.icon, MessageIcon::Error);
    }
    EXPECT_TRUE(progress.events().empty());
    EXPECT_TRUE(unit.receivedLines().empty());
    EXPECT_EQ(receiver.pauseCount(), 0);
}

// A missing database stops both transfers before a word reaches the unit, and no empty one is
// made in its place.
TEST_F(TransferTest, AnUnreadableDatabaseSendsNothing) {
    const std::string missing = db.path;
    std::filesystem::remove(missing);
    EXPECT_FALSE(WriteConfiguration(link, missing, notifier, progress));
    EXPECT_EQ(notifier.headlines(),
              (Strings{"sqlite3_open for config error!!!", "提取数据失败！"}));
    notifier.clear();
    EXPECT_FALSE(WriteCards(link, missing, notifier, progress));
    EXPECT_EQ(notifier.headlines(), (Strings{"sqlite3_open for config error!!!"}));
    EXPECT_TRUE(progress.events().empty());
    EXPECT_TRUE(unit.receivedLines().empty());
    EXPECT_FALSE(std::filesystem::exists(missing));
    expectReceiverRuns();
}

TEST_F(TransferTest, CardsAreWrittenAndVerified) {
    test::InsertCards(db.path, 340);
    EXPECT_TRUE(WriteCards(link, db.path, notifier, progress));
    ASSERT_EQ(notifier.headlines(), Strings{"写卡成功，校验成功！"});
    EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(progress.events(), StepsUpTo(8, true));
    EXPECT_EQ(unit.receivedLines(), (Strings{"WriteCard", "ReadCard"}));
    test::RecordingNotifier quiet;
    ConfigImage expected{};
    ASSERT_TRUE(LoadCards(ConfigDb(db.path, quiet), expected));
    EXPECT_EQ(unit.cardImage(), expected);
    EXPECT_EQ(unit.configImage(), ConfigImage{});  // the other image is left alone
    expectReceiverRuns();
}

// An empty table is written as an all-zero image: it clears the unit's card list.
TEST_F(TransferTest, AnEmptyCardTableClearsTheUnitsList) {
    ConfigImage old;
    old.fill(0x33);
    unit.setCardImage(old);
    EXPECT_TRUE(WriteCards(link, db.path, notifier, progress));
    EXPECT_EQ(notifier.headlines(), Strings{"写卡成功，校验成功！"});
    EXPECT_EQ(unit.cardImage(), ConfigImage{});
    expectReceiverRuns();
}

TEST(BlockFrame, Checksum) {
    const std::uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(block::Crc16Modbus(digits, sizeof digits), 0x4B37);
    const std::array<std::uint8_t, 260> zeros{};
    EXPECT_EQ(block::Crc16Modbus(zeros.data(), zeros.size()), 0x0B64);
    // Stored high byte first, the opposite of the usual Modbus order.
    const block::Frame frame = block::ImageBlockFrame(ConfigImage{}, 0);
    const std::uint16_t crc = block::Crc16Modbus(frame.data(), 260);
    EXPECT_EQ(frame[260], crc >> 8);
    EXPECT_EQ(frame[261], crc & 0xFF);
}

}  // namespace
}  // namespace ketrel
