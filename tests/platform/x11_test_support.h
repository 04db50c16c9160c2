#pragma once

// A private X server and a focused test window, for the tests and the latency benchmark.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "child.h"

namespace ketrel::test {

// Xvfb on a display number it picks itself (-displayfd), so parallel tests never collide.
class XvfbServer {
  public:
    bool start(std::string* error) {
        if (xvfb_.start({"Xvfb", "-displayfd", "1", "-screen", "0", "1920x1080x24", "-noreset",
                         "+extension", "RANDR", "-nolisten", "tcp"},
                        {}, true) != 0) {
            return Fail(error, "Xvfb cannot be started (is it installed?)");
        }
        // Xvfb writes its display number once it accepts connections.
        const std::string number =
            xvfb_.readLine(std::chrono::steady_clock::now() + std::chrono::seconds(20));
        if (number.empty()) {
            stop();
            return Fail(error, "Xvfb did not start");
        }
        display_ = ":" + number;
        return true;
    }
    void stop() { xvfb_.stop(); }
    const std::string& display() const { return display_; }

  private:
    Child xvfb_;
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
