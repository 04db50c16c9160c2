// The write-config and write-cards subcommands against the simulated unit, and the unit's state
// file that keeps its two images across runs.
#include <gtest/gtest.h>

#include <sstream>

#include "cli.h"
#include "config_test_support.h"
#include "config_transfer.h"
#include "serial_link.h"
#include "unit_simulator.h"

namespace ketrel {
namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome RunCli(const std::string& dir, const std::string& port, const std::string& subcommand) {
    cli::GlobalOptions options;
    options.dir = dir;
    options.port = port;
    options.subcommand = subcommand;
    std::ostringstream out, err;
    const int status = cli::Run(options, out, err);
    return {status, out.str(), err.str()};
}

TEST(ConfigCli, TransfersReportTheirOutcome) {
    sim::UnitSimulator unit;
    ASSERT_TRUE(unit.start());
    test::SuppliedDb db;
    test::InsertCards(db.path, 3);

    const Outcome config = RunCli(db.dir.path(), unit.portPath(), "write-config");
    EXPECT_EQ(config.status, 0) << config.err;
    EXPECT_EQ(config.out, "写配置成功，校验成功！\n");
    EXPECT_EQ(config.err, "");

    sim::Faults faults;
    faults.errorAtBlock = 2;
    unit.setFaults(faults);
    const Outcome cards = RunCli(db.dir.path(), unit.portPath(), "write-cards");
    EXPECT_EQ(cards.status, 1);
    EXPECT_EQ(cards.out, "");
    EXPECT_EQ(cards.err, "写卡失败1！\n");
}

TEST(UnitSimulator, StateFileKeepsBothImagesAcrossRuns) {
    test::SuppliedDb db;
    test::InsertCards(db.path, 5);
    const std::string state = db.dir.file("unit.state");
    block::Image cards;
    {
        sim::UnitSimulator unit;
        unit.setStatePath(state);
        ASSERT_TRUE(unit.start());
        test::RecordingNotifier notifier;
        test::RecordingProgress progress;
        SerialLink link(notifier);
        ASSERT_TRUE(link.OpenCommPort(unit.portPath()));
        ASSERT_TRUE(WriteCards(link, db.path, notifier, progress)) << notifier.texts().front();
        cards = unit.cardImage();
    }
    sim::UnitSimulator next;
    ASSERT_TRUE(next.loadState(state));
    EXPECT_EQ(next.cardImage(), cards);
    EXPECT_EQ(next.configImage(), block::Image{});
    EXPECT_FALSE(next.loadState(db.dir.file("missing.state")));
}

}  // namespace
}  // namespace ketrel
