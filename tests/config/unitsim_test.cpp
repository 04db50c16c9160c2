// The simulated unit's side of the transfers that the transfer tests do not reach: its control
// commands for the fault switches and the state file that keeps its images across runs.
#include <gtest/gtest.h>

#include "config_test_support.h"
#include "config_transfer.h"
#include "serial_link.h"
#include "unit_simulator.h"

namespace ketrel {
namespace {

TEST(UnitSimulator, FaultSwitchesByControlCommand) {
    sim::UnitSimulator unit;
    struct Case {
        const char* command;
        bool (*check)(const sim::Faults&);
    };
    const Case cases[] = {
        {"fault no-ok", [](const sim::Faults& f) { return f.noOk; }},
        {"fault no-init-ok", [](const sim::Faults& f) { return f.noInitOk; }},
        {"fault error-at-block 3", [](const sim::Faults& f) { return f.errorAtBlock == 3; }},
        {"fault corrupt-readback 2047",
         [](const sim::Faults& f) { return f.corruptReadbackByte == 2047; }},
        {"fault short-readback", [](const sim::Faults& f) { return f.shortReadback; }},
        {"fault status-delay 30", [](const sim::Faults& f) { return f.statusDelayMs == 30; }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(unit.control("faults clear"), "");
        EXPECT_EQ(unit.control(c.command), "") << c.command;
        EXPECT_TRUE(c.check(unit.faults())) << c.command;
    }
    EXPECT_EQ(unit.control("faults clear"), "");
    EXPECT_EQ(unit.faults().errorAtBlock, -1);
    EXPECT_NE(unit.control("fault no-such-fault"), "");
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
