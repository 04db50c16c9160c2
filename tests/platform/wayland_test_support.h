#pragma once

// A private Wayland session (its own runtime folder, session bus and compositor) and a Qt
// window in it that reports the keys it receives, for the tests and the latency benchmark.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include "child.h"
#include "fake_login1.h"
#include "platform/desktop_actions.h"
#include "platform/mutter_keys.h"

namespace ketrel::test {

inline bool WaitUntil(const auto& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// A folder of its own, with the session's runtime folder, home and bus.
class WaylandSession {
  public:
    ~WaylandSession() {
        stopCompositor();
        keyboard_.reset();
        std::error_code ignored;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
    }

    bool start(std::string* error) {
        char dir[] = "/tmp/ketrel-wayland-XXXXXX";
        if (!mkdtemp(dir)) return Fail(error, "no temporary folder");
        dir_ = dir;
        std::filesystem::create_directories(dir_ + "/runtime");
        std::filesystem::create_directories(dir_ + "/config");
        std::filesystem::permissions(dir_ + "/runtime", std::filesystem::perms::owner_all);
        return bus_.start(error);
    }

    // GNOME's compositor, headless, with one virtual monitor.
    bool startMutter(std::string* error) {
        const std::vector<std::string> argv = {"mutter",     "--wayland",         "--no-x11",
                                               "--headless", "--virtual-monitor", "1920x1080"};
        const std::vector<std::string> settings = common();
        if (compositor_.start(argv, settings, false, dir_ + "/mutter.log") != 0) {
            return Fail(error, "mutter cannot be started");
        }
        std::unique_ptr<DbusBus> bus = DbusBus::Open(bus_.address(), error);
        const bool up = bus && WaitUntil(
                                   [&] {
                                       return bus->hasOwner("org.gnome.Mutter.DisplayConfig") &&
                                              bus->hasOwner(MutterKeyInjector::kService) &&
                                              std::filesystem::exists(socket());
                                   },
                                   std::chrono::seconds(30));
        return up || Fail(error, "mutter did not start (see " + dir_ + "/mutter.log)");
    }

    // KDE's compositor without a screen, with two outputs of 1920x720.
    bool startKwin(std::string* error) {
        std::vector<std::string> argv = {
            "kwin_wayland",   "--virtual", "--no-lockscreen", "--width",  "1920", "--height", "720",
            "--output-count", "2",         "--socket",        "wayland-0"};
        std::vector<std::string> settings = common();
        settings.push_back("QT_QPA_PLATFORM=offscreen");
        int rc = compositor_.start(argv, settings, false, dir_ + "/kwin.log");
        if (rc == EPERM) {
            // Where the system may not grant the program's file capability (a container), a
            // copy without it runs all the same.
            argv[0] = dir_ + "/kwin_wayland";
            std::filesystem::copy_file("/usr/bin/kwin_wayland", argv[0]);
            rc = compositor_.start(argv, settings, false, dir_ + "/kwin.log");
        }
        if (rc != 0) return Fail(error, "kwin_wayland cannot be started");
        return WaitUntil([&] { return std::filesystem::exists(socket()); },
                         std::chrono::seconds(30)) ||
               Fail(error, "kwin_wayland did not start (see " + dir_ + "/kwin.log)");
    }

    // As when the compositor crashes or the user logs out: its windows go with it.
    void stopCompositor() {
        compositor_.stop();
        keyboard_.reset();
    }

    // Gives the seat a keyboard of its own, as a PC has one, so that windows take keys at once
    // from any keyboard that joins later.
    bool plugKeyboard() {
        keyboard_ = MutterKeyInjector::Create(bus_.address());
        return keyboard_ != nullptr;
    }

    // What the program finds in such a session.
    DesktopOptions options(std::ostream& err) const {
        DesktopOptions o;
        o.wayland = true;
        o.waylandDisplay = socket();
        o.sessionBus = bus_.address();
        o.uinputPath = "/nonexistent/uinput";
        o.stateDir = dir_ + "/state";
        o.err = &err;
        return o;
    }

    // The settings a program needs to find the session.
    std::vector<std::string> common() const {
        return {"XDG_RUNTIME_DIR=" + dir_ + "/runtime",
                "DBUS_SESSION_BUS_ADDRESS=" + bus_.address(),
                "XDG_CONFIG_HOME=" + dir_ + "/config",
                "GSETTINGS_BACKEND=memory",
                "WAYLAND_DISPLAY=wayland-0",
                "DISPLAY="};
    }
    std::string socket() const { return dir_ + "/runtime/wayland-0"; }
    const std::string& bus() const { return bus_.address(); }
    const std::string& dir() const { return dir_; }

  private:
    std::string dir_;
    PrivateBus bus_;
    Child compositor_;
    std::unique_ptr<MutterKeyInjector> keyboard_;
};

// The Qt window of tests/platform/key_window in the session: it takes the keyboard focus when
// it opens and writes "press 0xff56" / "release 0xff56" for each key.
class WaylandKeyWindow {
  public:
    bool open(const WaylandSession& session, std::string* error) {
        std::vector<std::string> settings = session.common();
        settings.push_back("QT_QPA_PLATFORM=wayland");
        if (child_.start({KETREL_KEY_WINDOW}, settings, true, session.dir() + "/window.log") != 0) {
            return Fail(error, "the test window cannot be started");
        }
        return keys(1, std::chrono::seconds(30)) == std::vector<std::string>{"focus"} ||
               Fail(error, "the test window got no focus (see " + session.dir() + "/window.log)");
    }

    // The lines that came within the limit, up to count of them.
    std::vector<std::string> keys(std::size_t count, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::vector<std::string> lines;
        while (lines.size() < count) {
            std::string line = child_.readLine(end);
            if (line.empty()) break;
            lines.push_back(std::move(line));
        }
        return lines;
    }

    static std::vector<std::string> PressRelease(unsigned long keysym) {
        char hex[32];
        std::snprintf(hex, sizeof hex, " 0x%lx", keysym);
        return {std::string("press") + hex, std::string("release") + hex};
    }

  private:
    Child child_;
};

}  // namespace ketrel::test
