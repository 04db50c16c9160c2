// The simulated unit keeps its two images across runs in its state file.
#include <gtest/gtest.h>

#include "config_test_support.h"
#include "config_transfer.h"
#include "serial_link.h"
#include "unit_simulator.h"

namespace ketrel {
namespace {

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
