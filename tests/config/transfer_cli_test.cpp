// The write-config and write-cards subcommands against the simulated unit.
#include <gtest/gtest.h>

#include <sstream>

#include "cli.h"
#include "config_test_support.h"
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
    EXPECT_EQ(cards.err,
              "写卡失败1！\n单元拒绝或没有确认第 3 块（共 8 "
              "块）。请检查连接线和单元电源，然后重新写入。\n");
}

}  // namespace
}  // namespace ketrel
