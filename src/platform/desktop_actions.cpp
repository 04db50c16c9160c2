#include "platform/desktop_actions.h"

#include <cstdlib>
#include <cstring>

#include "platform/uinput_keys.h"
#include "platform/x11_connection.h"
#include "platform/x11_keys.h"
#include "platform/xrandr_displays.h"

namespace ketrel {

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

DesktopOptions DesktopOptions::FromEnvironment() {
    DesktopOptions o;
    o.x11Display = Env("DISPLAY");
    o.wayland = !Env("WAYLAND_DISPLAY").empty() || Env("XDG_SESSION_TYPE") == "wayland";
    return o;
}

DesktopPcActions::DesktopPcActions(const DesktopOptions& options)
    : err_(*options.err), power_(*options.err), launcher_(*options.err) {
    const std::shared_ptr<X11Connection> x11 = X11Connection::Open(options.x11Display);

    std::string uinputError;
    if (options.wayland) {
        // A Wayland compositor takes no keys from X clients' XTEST except, at best, for
        // X11 windows; the kernel's virtual keyboard reaches every window.
        keys_ = UinputKeyInjector::Create(options.uinputPath, &uinputError);
        if (keys_) {
            keyRoute_ = "uinput";
        } else if ((keys_ = X11KeyInjector::Create(x11))) {
            keyRoute_ = "xtest-xwayland";
            keyNotice_ = "keys go through XWayland and may reach only X11 windows (" + uinputError +
                         "; write access to it lets keys reach every window)";
        }
    } else {
        if ((keys_ = X11KeyInjector::Create(x11))) {
            keyRoute_ = "xtest";
        } else if ((keys_ = UinputKeyInjector::Create(options.uinputPath, &uinputError))) {
            keyRoute_ = "uinput";
        }
    }
    if (!keys_) {
        keyRoute_ = "none";
        // Both routes were tried above, so the reason uinput failed is known.
        keyNotice_ = "cannot press keys (no X11 display with XTEST; " + uinputError + ")";
    }

    std::unique_ptr<RandrLayer> layer;
    std::string whyNot;
    if (options.wayland) {
        // XWayland only pretends to change modes, for its own clients; the compositor owns
        // the outputs.
        whyNot = "display modes cannot be changed on a Wayland session";
    } else if (!x11) {
        whyNot = "display modes cannot be changed: no X11 display";
    } else if (!(layer = XrandrLayer::Create(x11))) {
        whyNot = "display modes cannot be changed: the X server has no RandR 1.2";
    }
    displays_ = std::make_unique<DisplayModes>(std::move(layer), err_, whyNot);
    displays_->EnumerateDisplays();
}

DesktopPcActions::~DesktopPcActions() = default;

void DesktopPcActions::pressKey(PcKey key) {
    if (!keyNotice_.empty() && !keyNoticeWritten_.exchange(true)) {
        err_ << "ketrel: " << keyNotice_ << std::endl;
    }
    if (!keys_) return;
    if (!keys_->pressAndRelease(key) && !keyFailureWritten_.exchange(true)) {
        err_ << "ketrel: a key could not be sent (" << keyRoute_ << ")" << std::endl;
    }
}

void DesktopPcActions::shutdown() { power_.request(LogindPower::Action::PowerOff); }

void DesktopPcActions::restart() { power_.request(LogindPower::Action::Reboot); }

void DesktopPcActions::openProgram(const std::string& path) { launcher_.open(path); }

void DesktopPcActions::setResolution(int width) {
    displays_->ApplyDisplayMode(0, width);
    displays_->ApplyDisplayMode(1, width);
}

std::unique_ptr<PcActions> CreateDesktopPcActions() {
    return std::make_unique<DesktopPcActions>(DesktopOptions::FromEnvironment());
}

}  // namespace ketrel
