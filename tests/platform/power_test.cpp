#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "fake_login1.h"
#include "link_harness.h"
#include "platform/desktop_actions.h"

namespace ketrel {
namespace {

using namespace std::chrono_literals;
using Call = test::FakeLogin1::Call;
using Calls = std::vector<Call>;

const Call kPowerOff{"PowerOff", "b", false};
const Call kReboot{"Reboot", "b", false};

// The system bus is a private one with a stand-in login manager; the actions find it through
// DBUS_SYSTEM_BUS_ADDRESS as they would find the real one.
class PowerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(bus.start(&error)) << error;
        ASSERT_TRUE(login1.start(bus.address(), &error)) << error;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", bus.address().c_str(), 1);
        options.err = &err;
    }
    void TearDown() override { unsetenv("DBUS_SYSTEM_BUS_ADDRESS"); }

    test::PrivateBus bus;
    test::FakeLogin1 login1;
    DesktopOptions options;
    std::ostringstream err;
};

TEST_F(PowerTest, EachFrameCallsTheLoginManagerOnceWithoutAskingAnyone) {
    DesktopPcActions actions(options);
    test::LinkHarness link(actions);
    std::string error;
    ASSERT_TRUE(link.start(&error)) << error;

    const std::string shutdown = sim::UnitSimulator::MakeFrame("ComputerShutdown");
    const std::string restart = sim::UnitSimulator::MakeFrame("ComputerRestart now");
    link.unit.sendRaw(shutdown);
    EXPECT_EQ(login1.waitForCalls(1, 10s), Calls{kPowerOff});
    link.unit.sendRaw(shutdown + shutdown);
    link.unit.sendRaw(restart);
    // The restart comes last: once it is in, the shutdowns before it have all been made.
    EXPECT_EQ(login1.waitForCalls(4, 10s), (Calls{kPowerOff, kPowerOff, kPowerOff, kReboot}));
    link.receiver.waitForPass();
    actions.power().waitIdle();
    EXPECT_EQ(login1.waitForCalls(5, 0ms).size(), 4u);
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace ketrel
