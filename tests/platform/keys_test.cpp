#include <X11/XF86keysym.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

#include <array>
#include <sstream>
#include <thread>

#include "link_harness.h"
#include "platform/desktop_actions.h"
#include "platform/uinput_keys.h"
#include "x11_test_support.h"

// Last: Xlib defines None and friends as macros.
#include <X11/extensions/Xrandr.h>

namespace ketrel {
namespace {

using Key = test::FocusedWindow::Key;
using Keys = std::vector<Key>;
using namespace std::chrono_literals;

Keys PressRelease(KeySym sym) { return {{true, sym}, {false, sym}}; }

Keys operator+(Keys a, const Keys& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A private X server with a focused window, and the desktop actions pointed at it.
class X11Test : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        if (!server.start(&error)) GTEST_SKIP() << "no X server for the test: " << error;
        ASSERT_TRUE(window.open(server.display())) << "test window on " << server.display();
        options.x11Display = server.display();
        options.uinputPath = "/nonexistent/uinput";
        options.err = &err;
    }

    test::XvfbServer server;
    test::FocusedWindow window;
    DesktopOptions options;
    std::ostringstream err;
};

// "output WxH, desktop WxH" as the server has them now.
std::string Shown(Display* d) {
    const Window root = DefaultRootWindow(d);
    XRRScreenResources* res = XRRGetScreenResourcesCurrent(d, root);
    XRRCrtcInfo* c = XRRGetCrtcInfo(d, res, res->crtcs[0]);
    Window r;
    int x, y;
    unsigned w, h, border, depth;
    XGetGeometry(d, root, &r, &x, &y, &w, &h, &border, &depth);
    const std::string s = "output " + std::to_string(c->width) + "x" + std::to_string(c->height) +
                          ", desktop " + std::to_string(w) + "x" + std::to_string(h);
    XRRFreeCrtcInfo(c);
    XRRFreeScreenResources(res);
    return s;
}

// Key frames press once each; resolution frames change the first output and the desktop.
TEST_F(X11Test, EachUnitFrameReachesTheDesktopOncePerFrame) {
    DesktopPcActions actions(options);
    ASSERT_EQ(actions.keyRoute(), "xtest");
    ASSERT_EQ(actions.displays().DisplayDevices(), std::vector<std::string>{"screen"});
    test::LinkHarness link(actions);
    std::string error;
    ASSERT_TRUE(link.start(&error)) << error;

    const std::vector<std::pair<std::string, KeySym>> cases = {
        {"ComputerPageUp", XK_Prior},       {"ComputerPageDown", XK_Next},
        {"ComputerSpace", XK_space},        {"ComputerPlayPause", XF86XK_AudioPlay},
        {"ComputerStop", XF86XK_AudioStop},
    };
    // Each frame is followed by a Page Up: anything extra the first frame caused would show
    // up before that sentinel's press.
    for (const auto& [payload, sym] : cases) {
        link.unit.sendFrame(payload);
        link.unit.sendFrame("ComputerPageUp");
        EXPECT_EQ(window.keys(4, 10s), PressRelease(sym) + PressRelease(XK_Prior)) << payload;
    }
    // The same frame received twice presses twice.
    const std::string frame = sim::UnitSimulator::MakeFrame("ComputerPageDown");
    link.unit.sendRaw(frame + frame);
    link.unit.sendFrame("ComputerSpace");
    EXPECT_EQ(window.keys(6, 10s),
              PressRelease(XK_Next) + PressRelease(XK_Next) + PressRelease(XK_space));

    // 1920 twice: the second time the mode exists already and nothing is made again.
    Display* probe = XOpenDisplay(server.display().c_str());
    ASSERT_NE(probe, nullptr);
    for (int width : {1920, 960, 1920}) {
        link.unit.sendFrame("ChangeResolution" + std::to_string(width) + "_720");
        const std::string size = std::to_string(width) + "x720";
        const std::string expected = "output " + size + ", desktop " + size;
        // Handled on the receive thread: wait (seconds, on a loaded machine) until it shows.
        for (int i = 0; i < 3000 && Shown(probe) != expected; ++i) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(Shown(probe), expected);
    }
    XCloseDisplay(probe);
    EXPECT_EQ(err.str(), "");
}

// Without uinput a Wayland session falls back to XWayland, and no display at all presses
// nothing; each says once what is missing, not once per frame.
TEST(KeyRoutes, EachSessionKindTakesItsRouteAndSaysOnceWhatIsMissing) {
    test::XvfbServer server;
    std::string error;
    const bool haveX = server.start(&error);
    const auto saidOnce = [](const std::string& said, const std::string& words) {
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(words), std::string::npos) << said;
    };
    for (const bool x11 : {true, false}) {
        if (x11 && !haveX) continue;
        SCOPED_TRACE(x11 ? "Wayland with XWayland" : "no display");
        std::ostringstream err;
        DesktopOptions o;
        o.x11Display = x11 ? server.display() : "";
        o.wayland = x11;
        o.uinputPath = "/nonexistent/uinput";
        o.err = &err;
        DesktopPcActions actions(o);
        EXPECT_EQ(actions.keyRoute(), x11 ? "xtest-xwayland" : "none");
        for (int i = 0; i < 3; ++i) actions.pressKey(PcKey::Space);
        saidOnce(err.str(), x11 ? "may reach only X11 windows" : "cannot press keys");
        EXPECT_NE(err.str().find("/nonexistent/uinput"), std::string::npos);
        err.str("");
        for (int i = 0; i < 3; ++i) actions.setResolution(960);
        saidOnce(err.str(), x11 ? "Wayland" : "no X11 display");
    }
}

// The kernel's virtual keyboard gets a press and a release, each closed by a report, with
// the codes a Wayland compositor maps to the same keys as X11's keysyms.
TEST(UinputKeys, EachKeyIsAPressReportAndAReleaseReport) {
    const std::vector<std::pair<PcKey, int>> cases = {
        {PcKey::PageUp, KEY_PAGEUP}, {PcKey::PageDown, KEY_PAGEDOWN},
        {PcKey::Space, KEY_SPACE},   {PcKey::PlayPause, KEY_PLAYPAUSE},
        {PcKey::Stop, KEY_STOPCD},
    };
    for (const auto& [key, code] : cases) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        UinputKeyInjector keys(fds[1]);
        ASSERT_TRUE(keys.pressAndRelease(key));
        input_event events[5] = {};
        const ssize_t n = read(fds[0], events, sizeof events);
        ::close(fds[0]);
        std::vector<std::array<int, 3>> got;
        for (ssize_t i = 0; i < n / static_cast<ssize_t>(sizeof(input_event)); ++i) {
            got.push_back({events[i].type, events[i].code, events[i].value});
        }
        EXPECT_EQ(got, (std::vector<std::array<int, 3>>{{EV_KEY, code, 1},
                                                        {EV_SYN, SYN_REPORT, 0},
                                                        {EV_KEY, code, 0},
                                                        {EV_SYN, SYN_REPORT, 0}}))
            << PcKeyName(key);
    }
    UinputKeyInjector refused(::open("/dev/null", O_RDONLY));
    EXPECT_FALSE(refused.pressAndRelease(PcKey::Space)) << "a refused write is a failure";
}

}  // namespace
}  // namespace ketrel
