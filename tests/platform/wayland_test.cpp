#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <sstream>

#include "link_harness.h"
#include "platform/mutter_displays.h"
#include "wayland_test_support.h"

namespace ketrel {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;
using test::WaylandKeyWindow;

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::size_t LineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

bool Installed(const char* program) { return !ProgramLauncher::FindInPath(program).empty(); }

// The modes the monitors show, and where the second one starts.
std::string Shown(const std::string& bus) {
    MutterDisplayConfig probe(bus);
    monitors::Desktop d;
    std::string why, shown;
    if (!probe.read(d, why)) return why;
    for (const auto& m : d.monitors) shown += m.mode + " ";
    return shown + "at " + std::to_string(d.regions.size() > 1 ? d.regions[1].x : 0);
}

// GNOME on Wayland, headless: one virtual monitor of 1920x1080, no keyboard, a bus of its own.
class GnomeWaylandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!Installed("mutter"))
            GTEST_SKIP() << "mutter is not installed (scripts/install-deps.sh)";
        std::string error;
        ASSERT_TRUE(session.start(&error)) << error;
        ASSERT_TRUE(session.startMutter(&error)) << error;
    }

    test::WaylandSession session;
    std::ostringstream err;
};

TEST_F(GnomeWaylandTest, EachUnitKeyFrameReachesTheFocusedWindowOncePerFrame) {
    // Made before the window opens, as at log-on: the program's keyboard is then the seat's.
    DesktopPcActions actions(session.options(err));
    ASSERT_EQ(actions.keyRoute(), "mutter");
    WaylandKeyWindow window;
    std::string error;
    ASSERT_TRUE(window.open(session, &error)) << error;
    test::LinkHarness link(actions);
    ASSERT_TRUE(link.start(&error)) << error;

    const std::vector<std::pair<std::string, unsigned long>> cases = {
        {"ComputerPageUp", XK_Prior},       {"ComputerPageDown", XK_Next},
        {"ComputerSpace", XK_space},        {"ComputerPlayPause", XF86XK_AudioPlay},
        {"ComputerStop", XF86XK_AudioStop},
    };
    // Each frame is followed by a Page Up: anything extra the first frame caused would show
    // up before that sentinel's press.
    for (const auto& [payload, sym] : cases) {
        link.unit.sendFrame(payload);
        link.unit.sendFrame("ComputerPageUp");
        EXPECT_EQ(window.keys(4, 10s),
                  WaylandKeyWindow::PressRelease(sym) + WaylandKeyWindow::PressRelease(XK_Prior))
            << payload;
    }
    const std::string frame = sim::UnitSimulator::MakeFrame("ComputerPageDown");
    link.unit.sendRaw(frame + frame);
    // The virtual monitor offers no 960x720: it is left alone, and that is said once.
    link.unit.sendFrame("ChangeResolution960_720");
    link.unit.sendFrame("ChangeResolution960_720");
    link.unit.sendFrame("ComputerSpace");
    EXPECT_EQ(window.keys(6, 10s), WaylandKeyWindow::PressRelease(XK_Next) +
                                       WaylandKeyWindow::PressRelease(XK_Next) +
                                       WaylandKeyWindow::PressRelease(XK_space));
    EXPECT_EQ(LineCount(err.str()), 1u) << err.str();
    EXPECT_NE(err.str().find("Meta-0 to 960x720"), std::string::npos) << err.str();
    EXPECT_EQ(Shown(session.bus()), "1920x1080@60.000 at 0");
}

TEST_F(GnomeWaylandTest, KeysStillArriveAfterTheCompositorRestarts) {
    DesktopPcActions actions(session.options(err));
    test::LinkHarness link(actions);
    std::string error;
    ASSERT_TRUE(link.start(&error)) << error;
    for (int round = 0; round < 2; ++round) {
        if (round == 1) {
            session.stopCompositor();
            ASSERT_TRUE(session.startMutter(&error)) << error;
        }
        // A keyboard of the PC's own, so the window takes keys from the moment it opens.
        ASSERT_TRUE(session.plugKeyboard());
        WaylandKeyWindow window;
        ASSERT_TRUE(window.open(session, &error)) << error;
        link.unit.sendFrame("ComputerPageDown");
        // The session made again at that key starts with its lone Control, which brings a
        // keyboard-less seat its keyboard.
        const Lines expected = round == 0 ? WaylandKeyWindow::PressRelease(XK_Next)
                                          : WaylandKeyWindow::PressRelease(XK_Control_L) +
                                                WaylandKeyWindow::PressRelease(XK_Next);
        EXPECT_EQ(window.keys(expected.size(), 10s), expected) << round;
    }
    EXPECT_EQ(err.str(), "");
}

// KDE Plasma on Wayland: KWin without a screen, two outputs that offer 1920x720 alone.
TEST(KdeWaylandDisplays, ModesGoThroughKscreenDoctor) {
    if (!Installed("kwin_wayland") || !Installed("kscreen-doctor")) {
        GTEST_SKIP() << "kwin_wayland or kscreen-doctor is not installed";
    }
    test::WaylandSession session;
    std::string error;
    ASSERT_TRUE(session.start(&error)) << error;
    ASSERT_TRUE(session.startKwin(&error)) << error;
    std::ostringstream err;
    DesktopOptions options = session.options(err);
    options.desktop = "KDE";
    DesktopPcActions actions(options);
    EXPECT_EQ(actions.displays().DisplayDevices(), (Lines{"Virtual-0", "Virtual-1"}));
    actions.setResolution(1920);
    EXPECT_EQ(err.str(), "");
    actions.setResolution(960);
    actions.setResolution(960);
    EXPECT_EQ(LineCount(err.str()), 1u) << err.str();
    EXPECT_NE(err.str().find("Virtual-1 to 960x720"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace ketrel
