// The read-back comparison and the traffic log against the simulated unit, through the command
// line as a user runs them.
#include <gtest/gtest.h>

#include "common/texts.h"
#include "config/config_compare.h"
#include "config/config_file_texts.h"
#include "config/config_image.h"
#include "config_test_support.h"
#include "files_test_support.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "unitsim/unit_simulator.h"

namespace ketrel {
namespace {

using test::Outcome;

// A traffic log file read back: each record sent to the unit, and all that came from it.
std::pair<std::vector<std::string>, std::string> Traffic(const std::string& path) {
    std::pair<std::vector<std::string>, std::string> out;
    for (const auto& r : test::ParseTrafficLog(test::ReadFile(path))) {
        const std::string bytes(r.bytes.begin(), r.bytes.end());
        if (r.direction == TrafficDirection::ToUnit) {
            out.first.push_back(bytes);
        } else {
            out.second += bytes;
        }
    }
    return out;
}

class UnitTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(db.created);
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
    }

    Outcome run(const std::string& subcommand, std::vector<std::string> args = {},
                const std::string& log = {}) {
        return test::RunCli(db.dir.path(), unit.portPath(), subcommand, std::move(args), log);
    }

    test::SuppliedDb db;
    sim::UnitSimulator unit;
};

TEST_F(UnitTest, AUnitThatDoesNotAnswerIsReportedAndTheReceiverRunsAgain) {
    test::RecordingNotifier notifier;
    UnitSession session(notifier);
    ASSERT_TRUE(session.start(unit.portPath()));
    sim::Faults silent, cut;
    silent.noAnswer = true;
    cut.shortReadback = true;
    for (const auto& [faults, message] :
         {std::pair{silent, texts::kCompareNoAnswer}, std::pair{cut, texts::kCompareBadAnswer}}) {
        unit.setFaults(faults);
        notifier.clear();
        const CompareResult result = CompareWithUnit(session.link(), db.path, notifier);
        EXPECT_EQ(result.outcome, CompareOutcome::Failed);
        EXPECT_TRUE(result.differences.empty());
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{message});
        EXPECT_EQ(session.receiver().pauseCount(), 0);
    }
    session.stop();

    // From the command line: the same text on standard error, and a failure status.
    unit.setFaults(silent);
    const Outcome cli = run("compare");
    EXPECT_EQ(cli.status, 1);
    EXPECT_EQ(cli.err, std::string(texts::kCompareNoAnswer) + "\n");
}

TEST_F(UnitTest, TheLogOfAWriteConfigHoldsTheEightBlockFramesByteForByte) {
    const std::string logPath = db.dir.file("traffic.log");
    const Outcome write = run("write-config", {}, logPath);
    ASSERT_EQ(write.status, 0) << write.err;
    EXPECT_EQ(SerialPort::DefaultTrafficObserver(), nullptr);

    test::RecordingNotifier notifier;
    ConfigImage image{};
    ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));

    const auto [sent, received] = Traffic(logPath);
    ASSERT_EQ(sent.size(), 11u);
    EXPECT_EQ(sent[0], "WriteConfig\r\n");
    for (std::size_t b = 0; b < block::kBlockCount; ++b) {
        const block::Frame frame = block::ImageBlockFrame(image, b);
        EXPECT_EQ(sent[1 + b], std::string(frame.begin(), frame.end())) << b;
    }
    EXPECT_EQ(sent[9], "ReadConfig\r\n");
    EXPECT_EQ(sent[10], "InitConfig\r\n");

    // What came back: OK, seven Ready, Complete, the image, OK.
    std::string expected = "OK\r\n";
    for (int i = 0; i < 7; ++i) expected += "Ready\r\n";
    expected += "Complete\r\n" + std::string(image.begin(), image.end()) + "OK\r\n";
    EXPECT_EQ(received, expected);

    // Any other subcommand logs too, appended to the same file under a header of its own.
    ASSERT_EQ(run("info", {"--seconds", "0.3"}, logPath).status, 0);
    EXPECT_NE(test::ReadFile(logPath).find("# ketrel traffic log", 1), std::string::npos);
    EXPECT_EQ(Traffic(logPath).first.back(), "GetInfo\r\n");
}

}  // namespace
}  // namespace ketrel
