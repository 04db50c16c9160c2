#pragma once

// A private X server and a focused test window, for the tests and the latency benchmark.

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace ketrel::test {

// Xvfb on a display number it picks itself (-displayfd), so parallel tests never collide.
class XvfbServer {
  public:
    XvfbServer() = default;
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer() { stop(); }

    bool start(std::string* error) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return fail(error, "pipe");
        // Above 3, so that the dup2 to 3 below always clears close-on-exec.
        const int readFd = fcntl(fds[0], F_DUPFD_CLOEXEC, 10);
        const int writeFd = fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
        ::close(fds[0]);
        ::close(fds[1]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, writeFd, 3);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> args = {"Xvfb",  "-displayfd",   "3",        "-screen",
                                         "0",     "1920x1080x24", "-noreset", "+extension",
                                         "RANDR", "-nolisten",    "tcp"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(writeFd);
        if (rc != 0) {
            ::close(readFd);
            pid_ = -1;
            return fail(error, "Xvfb cannot be started (is it installed?)");
        }
        // Xvfb writes its display number once it accepts connections.
        std::string number;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            pollfd p{readFd, POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[32];
            const ssize_t n = ::read(readFd, buffer, sizeof buffer);
            if (n <= 0) break;
            number.append(buffer, static_cast<std::size_t>(n));
            if (number.find('\n') != std::string::npos) break;
        }
        ::close(readFd);
        while (!number.empty() && (number.back() == '\n' || number.back() == '\r')) {
            number.pop_back();
        }
        if (number.empty()) {
            stop();
            return fail(error, "Xvfb did not start");
        }
        display_ = ":" + number;
        return true;
    }

    // As when the session ends: the server goes away under its clients.
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }

    const std::string& display() const { return display_; }

  private:
    static bool fail(std::string* error, const char* text) {
        if (error) *error = text;
        return false;
    }
    pid_t pid_ = -1;
    std::string display_;
};

// A plain window that has the keyboard focus and records the keys it receives.
class FocusedWindow {
  public:
    struct Key {
        bool press;
        KeySym sym;
        bool operator==(const Key&) const = default;
    };

    ~FocusedWindow() {
        if (display_) XCloseDisplay(display_);
    }

    bool open(const std::string& name) {
        display_ = XOpenDisplay(name.c_str());
        if (!display_) return false;
        const int screen = DefaultScreen(display_);
        window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, 200, 200, 0,
                                      BlackPixel(display_, screen), WhitePixel(display_, screen));
        XSelectInput(display_, window_,
                     KeyPressMask | KeyReleaseMask | FocusChangeMask | StructureNotifyMask);
        XMapWindow(display_, window_);
        // Focus can be given only to a window that is viewable.
        if (!waitFor(MapNotify)) return false;
        XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
        return waitFor(FocusIn);
    }

    // The key events that arrived within the time limit, up to count of them.
    std::vector<Key> keys(std::size_t count, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int type = 0;
        while (keys_.size() < count && next(end, type)) {
        }
        std::vector<Key> result(keys_.begin(),
                                keys_.begin() + static_cast<long>(std::min(count, keys_.size())));
        keys_.erase(keys_.begin(), keys_.begin() + static_cast<long>(result.size()));
        return result;
    }

    Display* display() const { return display_; }

  private:
    bool waitFor(int wanted) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        int type = 0;
        while (next(end, type)) {
            if (type == wanted) return true;
        }
        return false;
    }

    // Handles one event and gives its type; false when none came before the end.
    bool next(std::chrono::steady_clock::time_point end, int& type) {
        while (!XPending(display_)) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0) return false;
            pollfd p{ConnectionNumber(display_), POLLIN, 0};
            ::poll(&p, 1, static_cast<int>(left.count()));
        }
        XEvent e;
        XNextEvent(display_, &e);
        type = e.type;
        if (e.type == MappingNotify) XRefreshKeyboardMapping(&e.xmapping);
        if (e.type == KeyPress || e.type == KeyRelease) {
            keys_.push_back({e.type == KeyPress, XLookupKeysym(&e.xkey, 0)});
        }
        return true;
    }

    Display* display_ = nullptr;
    Window window_ = 0;
    std::vector<Key> keys_;
};

}  // namespace ketrel::test
