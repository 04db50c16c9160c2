// Time from the unit writing a ComputerPageDown frame to a Qt window on GNOME's Wayland
// compositor receiving the Page Down press: the whole path of serial line, receive thread,
// dispatch and the compositor's remote desktop session, under a private headless mutter.
// Prints the median, the 99th percentile and the worst case; never fails.
//
// usage: latency_wayland_bench [frames]   (default 300)
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "../tests/platform/link_harness.h"
#include "../tests/platform/wayland_test_support.h"
#include "key_latency.h"
#include "platform/desktop_actions.h"

using namespace ketrel;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    test::WaylandSession session;
    std::string error;
    if (!session.start(&error) || !session.startMutter(&error)) {
        std::printf("no GNOME compositor: %s\n", error.c_str());
        return 0;
    }
    std::ostringstream err;
    DesktopPcActions actions(session.options(err));
    test::WaylandKeyWindow window;
    if (actions.keyRoute() != "mutter" || !window.open(session, &error)) {
        std::printf("keys go %s; window: %s\n", actions.keyRoute().c_str(), error.c_str());
        return 0;
    }
    test::LinkHarness link(actions);
    // The program's own reaction is measured: each frame is there at once, as when its last byte
    // has just come off the line.
    link.unit.setBaud(0);
    if (!link.start(&error)) {
        std::printf("link: %s\n", error.c_str());
        return 0;
    }

    const std::string frame = sim::UnitSimulator::MakeFrame("ComputerPageDown");
    const auto press = test::WaylandKeyWindow::PressRelease(XK_Next);
    std::vector<double> micros;
    int lost = 0;
    for (int i = 0; i < frames; ++i) {
        const auto sent = Clock::now();
        link.unit.sendRaw(frame);
        const auto keys = window.keys(1, 2s);
        const auto arrived = Clock::now();
        if (keys.size() != 1 || keys[0] != press[0]) {
            ++lost;
            continue;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(arrived - sent).count());
        window.keys(1, 2s);  // the release
        // Frames a few milliseconds apart, as a person presses keys; each starts an idle wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(2 + i % 7));
    }
    if (micros.empty()) {
        std::printf("no key arrived (%d frames)\n", frames);
        return 0;
    }
    std::printf("frame to key press at a Qt window on headless mutter (%zu frames, %d lost)\n",
                micros.size(), lost);
    bench::PrintKeyLatency(micros);
    return 0;
}
