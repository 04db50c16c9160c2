// Time from the unit writing a ComputerPageDown frame to the focused window of an X11 desktop
// receiving the Page Down press: the whole path of serial line, receive thread, dispatch and
// XTEST, under a private Xvfb. Prints the median, the 99th percentile and the worst case;
// never fails.
//
// usage: latency_x11_bench [frames]   (default 300)
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "../tests/platform/link_harness.h"
#include "../tests/platform/x11_test_support.h"
#include "key_latency.h"
#include "platform/desktop_actions.h"

using namespace ketrel;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;

    test::XvfbServer server;
    std::string error;
    if (!server.start(&error)) {
        std::printf("no X server: %s\n", error.c_str());
        return 0;
    }
    test::FocusedWindow window;
    if (!window.open(server.display())) {
        std::printf("no test window on %s\n", server.display().c_str());
        return 0;
    }
    DesktopOptions options;
    options.x11Display = server.display();
    DesktopPcActions actions(options);
    test::LinkHarness link(actions);
    // The program's own reaction is measured: each frame is there at once, as when its last byte
    // has just come off the line.
    link.unit.setBaud(0);
    if (!link.start(&error)) {
        std::printf("link: %s\n", error.c_str());
        return 0;
    }

    const std::string frame = sim::UnitSimulator::MakeFrame("ComputerPageDown");
    std::vector<double> micros;
    std::vector<int> lostAt;
    for (int i = 0; i < frames; ++i) {
        const auto sent = Clock::now();
        link.unit.sendRaw(frame);
        const auto keys = window.keys(1, 2s);
        const auto arrived = Clock::now();
        if (keys.size() != 1 || !keys[0].press || keys[0].sym != XK_Next) {
            lostAt.push_back(i);
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
    std::printf("frame to KeyPress at the focused X11 window (%zu frames, %zu lost)\n",
                micros.size(), lostAt.size());
    if (!lostAt.empty()) {
        // The receive ring is 2048 bytes and frames are looked for only where they start below
        // 1984, so a frame that lands on the ring's last 64 bytes is never handled.
        std::printf("  lost frames (index from 0):");
        for (int i : lostAt) std::printf(" %d", i);
        std::printf("\n");
    }
    bench::PrintKeyLatency(micros);
    return 0;
}
