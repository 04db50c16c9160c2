#include "platform/desktop_actions.h"

#include <cstdlib>
#include <cstring>

#include "platform/dbus_bus.h"
#include "platform/kscreen_displays.h"
#include "platform/mutter_displays.h"
#include "platform/mutter_keys.h"
#include "platform/portal_keys.h"
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

// XDG_CURRENT_DESKTOP is a colon-separated list ("ubuntu:GNOME").
bool DesktopIs(const std::string& desktops, const std::string& name) {
    return (":" + desktops + ":").find(":" + name + ":") != std::string::npos;
}

// A GNOME session: said so, or its compositor's remote desktop service is on the bus (a
// session started without the variable, as in a test).
bool IsGnome(const DesktopOptions& o) {
    if (DesktopIs(o.desktop, "GNOME")) return true;
    std::unique_ptr<DbusBus> bus = DbusBus::Open(o.sessionBus, nullptr);
    return bus && bus->hasOwner(MutterKeyInjector::kService);
}

}  // namespace

DesktopOptions DesktopOptions::FromEnvironment() {
    DesktopOptions o;
    o.x11Display = Env("DISPLAY");
    o.waylandDisplay = Env("WAYLAND_DISPLAY");
    o.wayland = !o.waylandDisplay.empty() || Env("XDG_SESSION_TYPE") == "wayland";
    o.desktop = Env("XDG_CURRENT_DESKTOP");
    o.sessionBus = DbusBus::SessionBusAddress();
    if (!Env("XDG_STATE_HOME").empty()) {
        o.stateDir = Env("XDG_STATE_HOME") + "/ketrel";
    } else if (!Env("HOME").empty()) {
        o.stateDir = Env("HOME") + "/.local/state/ketrel";
    }
    return o;
}

DesktopPcActions::DesktopPcActions(const DesktopOptions& options)
    : err_(*options.err), power_(*options.err), launcher_(*options.err) {
    const std::shared_ptr<X11Connection> x11 = X11Connection::Open(options.x11Display);
    const bool gnome = options.wayland && IsGnome(options);
    chooseKeys(options, x11, gnome);
    chooseDisplays(options, x11, gnome);
    displays_->EnumerateDisplays();
}

void DesktopPcActions::chooseKeys(const DesktopOptions& options,
                                  const std::shared_ptr<X11Connection>& x11, bool gnome) {
    std::string uinputError;
    std::string otherErrors;  // of the routes tried before uinput
    std::string portalError;  // of the one tried after it
    if (!options.wayland) {
        if ((keys_ = X11KeyInjector::Create(x11))) {
            keyRoute_ = "xtest";
        } else if ((keys_ = UinputKeyInjector::Create(options.uinputPath, &uinputError))) {
            keyRoute_ = "uinput";
        }
    } else {
        // A Wayland compositor takes no keys from X clients' XTEST except, at best, for X11
        // windows. GNOME's compositor has a way in of its own that needs no device access; the
        // kernel's virtual keyboard reaches every window, and so does the portal's once the
        // user has allowed it (the device asks nobody, so it comes first).
        std::string why;
        if (gnome && (keys_ = MutterKeyInjector::Create(options.sessionBus, &why))) {
            keyRoute_ = "mutter";
        } else if (gnome) {
            otherErrors = "GNOME's remote desktop: " + why + "; ";
        }
        if (!keys_ && (keys_ = UinputKeyInjector::Create(options.uinputPath, &uinputError))) {
            keyRoute_ = "uinput";
        }
        const std::string tokenFile =
            options.stateDir.empty() ? "" : options.stateDir + "/remote-desktop-token";
        if (!keys_ && !gnome && !options.sessionBus.empty()) {
            if ((keys_ = PortalKeyInjector::Create(options.sessionBus, tokenFile, &why))) {
                keyRoute_ = "portal";
            } else {
                portalError = "; " + why;
            }
        }
        if (!keys_ && (keys_ = X11KeyInjector::Create(x11))) {
            keyRoute_ = "xtest-xwayland";
            keyNotice_ = "keys go through XWayland and may reach only X11 windows (" + otherErrors +
                         uinputError + "; write access to it lets keys reach every window" +
                         portalError + ")";
        }
    }
    if (!keys_) {
        keyRoute_ = "none";
        // Every route was tried above, so the reason uinput failed is known.
        keyNotice_ = "cannot press keys (no X11 display with XTEST; " + otherErrors + uinputError +
                     portalError + ")";
    }
}

void DesktopPcActions::chooseDisplays(const DesktopOptions& options,
                                      const std::shared_ptr<X11Connection>& x11, bool gnome) {
    if (gnome) {
        displays_ = std::make_unique<DisplayModes>(
            std::make_unique<MutterDisplayConfig>(options.sessionBus), err_);
        return;
    }
    if (options.wayland && DesktopIs(options.desktop, "KDE")) {
        // The tool is a Wayland client of the compositor and may need the session bus.
        std::vector<std::string> env = {"QT_QPA_PLATFORM=wayland"};
        if (!options.waylandDisplay.empty()) {
            env.push_back("WAYLAND_DISPLAY=" + options.waylandDisplay);
        }
        if (!options.sessionBus.empty()) {
            env.push_back("DBUS_SESSION_BUS_ADDRESS=" + options.sessionBus);
        }
        displays_ = std::make_unique<DisplayModes>(std::make_unique<KscreenDisplays>(env), err_);
        return;
    }
    std::unique_ptr<RandrLayer> layer;
    std::string whyNot;
    if (options.wayland) {
        // XWayland only pretends to change modes, for its own clients; the compositor owns
        // the outputs.
        whyNot =
            "display modes cannot be changed on this Wayland desktop (only on GNOME and "
            "KDE Plasma)";
    } else if (!x11) {
        whyNot = "display modes cannot be changed: no X11 display";
    } else if (!(layer = XrandrLayer::Create(x11))) {
        whyNot = "display modes cannot be changed: the X server has no RandR 1.2";
    }
    displays_ = std::make_unique<DisplayModes>(std::move(layer), err_, whyNot);
}

DesktopPcActions::~DesktopPcActions() = default;

void DesktopPcActions::pressKey(PcKey key) {
    if (!keyNotice_.empty() && !keyNoticeWritten_.exchange(true)) {
        err_ << "ketrel: " << keyNotice_ << std::endl;
    }
    if (!keys_) return;
    if (!keys_->pressAndRelease(key) && !keyFailureWritten_.exchange(true)) {
        const std::string why = keys_->failure();
        err_ << "ketrel: a key could not be sent (" << keyRoute_ << (why.empty() ? "" : ": ") << why
             << ")" << std::endl;
    }
}

void DesktopPcActions::shutdown() { power_.request(LogindPower::Action::PowerOff); }

void DesktopPcActions::restart() { power_.request(LogindPower::Action::Reboot); }

void DesktopPcActions::openProgram(const std::string& path) { launcher_.open(path); }

void DesktopPcActions::setResolution(int width) { displays_->SetResolution(width); }

std::unique_ptr<PcActions> CreateDesktopPcActions() {
    return std::make_unique<DesktopPcActions>(DesktopOptions::FromEnvironment());
}

}  // namespace ketrel
