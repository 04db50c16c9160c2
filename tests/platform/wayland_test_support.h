#pragma once

// A private Wayland session (its own runtime folder, session bus and compositor) and a Qt
// window in it that reports the keys it receives, for the tests and the latency benchmark.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "fake_login1.h"
#include "platform/desktop_actions.h"
#include "platform/mutter_keys.h"

extern char** environ;

namespace ketrel::test {

// A child process with our environment plus some settings; ended with the object.
class Child {
  public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { stop(); }

    // Its standard output goes to outFd (else nowhere), its errors to errFile.
    int start(std::vector<std::string> argv, const std::vector<std::string>& settings,
              int outFd = -1, const std::string& errFile = "/dev/null") {
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) env.push_back(*e);
        for (const auto& s : settings) {
            const std::string name = s.substr(0, s.find('=') + 1);
            std::erase_if(env, [&](const std::string& e) { return e.starts_with(name); });
            if (s.back() != '=') env.push_back(s);  // "NAME=" takes the variable away
        }
        std::vector<char*> args, envp;
        for (auto& a : argv) args.push_back(a.data());
        for (auto& e : env) envp.push_back(e.data());
        args.push_back(nullptr);
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        if (outFd >= 0) {
            posix_spawn_file_actions_adddup2(&actions, outFd, 1);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(),
                                         O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) pid_ = -1;
        return rc;
    }
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
};

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
        if (!mkdtemp(dir)) return fail(error, "no temporary folder");
        dir_ = dir;
        std::filesystem::create_directories(dir_ + "/runtime");
        std::filesystem::create_directories(dir_ + "/config");
        std::filesystem::permissions(dir_ + "/runtime", std::filesystem::perms::owner_all);
        return bus_.start(error);
    }

    // GNOME's compositor: headless with one virtual monitor, or (x11Display given) inside that
    // X server with two dummy monitors that offer modes ("1920x1080:960x720").
    bool startMutter(std::string* error, const std::string& x11Display = {},
                     const std::string& modes = {}) {
        std::vector<std::string> argv = {"mutter", "--wayland", "--no-x11"};
        std::vector<std::string> settings = common();
        if (x11Display.empty()) {
            argv.insert(argv.end(), {"--headless", "--virtual-monitor", "1920x1080"});
        } else {
            argv.push_back("--nested");
            settings.insert(settings.end(),
                            {"DISPLAY=" + x11Display, "MUTTER_DEBUG_NUM_DUMMY_MONITORS=2",
                             "MUTTER_DEBUG_DUMMY_MODE_SPECS=" + modes});
        }
        if (compositor_.start(argv, settings, -1, dir_ + "/mutter.log") != 0) {
            return fail(error, "mutter cannot be started");
        }
        std::unique_ptr<DbusBus> bus = DbusBus::Open(bus_.address(), error);
        const bool up = bus && WaitUntil(
                                   [&] {
                                       return bus->hasOwner("org.gnome.Mutter.DisplayConfig") &&
                                              bus->hasOwner(MutterKeyInjector::kService) &&
                                              std::filesystem::exists(socket());
                                   },
                                   std::chrono::seconds(30));
        return up || fail(error, "mutter did not start (see " + dir_ + "/mutter.log)");
    }

    // KDE's compositor without a screen, with two outputs of 1920x720.
    bool startKwin(std::string* error) {
        std::vector<std::string> argv = {
            "kwin_wayland",   "--virtual", "--no-lockscreen", "--width",  "1920", "--height", "720",
            "--output-count", "2",         "--socket",        "wayland-0"};
        std::vector<std::string> settings = common();
        settings.push_back("QT_QPA_PLATFORM=offscreen");
        int rc = compositor_.start(argv, settings, -1, dir_ + "/kwin.log");
        if (rc == EPERM) {
            // Where the system may not grant the program's file capability (a container), a
            // copy without it runs all the same.
            argv[0] = dir_ + "/kwin_wayland";
            std::filesystem::copy_file("/usr/bin/kwin_wayland", argv[0]);
            rc = compositor_.start(argv, settings, -1, dir_ + "/kwin.log");
        }
        if (rc != 0) return fail(error, "kwin_wayland cannot be started");
        return WaitUntil([&] { return std::filesystem::exists(socket()); },
                         std::chrono::seconds(30)) ||
               fail(error, "kwin_wayland did not start (see " + dir_ + "/kwin.log)");
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
    static bool fail(std::string* error, const std::string& text) {
        if (error) *error = text;
        return false;
    }
    std::string dir_;
    PrivateBus bus_;
    Child compositor_;
    std::unique_ptr<MutterKeyInjector> keyboard_;
};

// The Qt window of tests/platform/key_window in the session: it takes the keyboard focus when
// it opens and writes "press 0xff56" / "release 0xff56" for each key.
class WaylandKeyWindow {
  public:
    ~WaylandKeyWindow() {
        child_.stop();
        if (fd_ >= 0) ::close(fd_);
    }

    bool open(const WaylandSession& session, std::string* error) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return false;
        fd_ = fds[0];
        std::vector<std::string> settings = session.common();
        settings.push_back("QT_QPA_PLATFORM=wayland");
        const int rc =
            child_.start({KETREL_KEY_WINDOW}, settings, fds[1], session.dir() + "/window.log");
        ::close(fds[1]);
        if (rc != 0) {
            if (error) *error = "the test window cannot be started";
            return false;
        }
        if (keys(1, std::chrono::seconds(30)) == std::vector<std::string>{"focus"}) return true;
        if (error) *error = "the test window got no focus (see " + session.dir() + "/window.log)";
        return false;
    }

    // The lines that came within the limit, up to count of them.
    std::vector<std::string> keys(std::size_t count, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::vector<std::string> lines;
        while (lines.size() < count) {
            const auto newline = buffer_.find('\n');
            if (newline != std::string::npos) {
                lines.push_back(buffer_.substr(0, newline));
                buffer_.erase(0, newline + 1);
                continue;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
            char chunk[256];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0) break;
            buffer_.append(chunk, static_cast<std::size_t>(n));
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
    int fd_ = -1;
    std::string buffer_;
};

}  // namespace ketrel::test
