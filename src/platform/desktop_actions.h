#pragma once

#include <atomic>
#include <iostream>
#include <memory>
#include <string>

#include "common/pc_actions.h"
#include "platform/display_modes.h"
#include "platform/key_injector.h"
#include "platform/logind_power.h"
#include "platform/program_launcher.h"

namespace ketrel {

class X11Connection;

// Where the actions go: the session's display server, desktop and devices.
struct DesktopOptions {
    std::string x11Display;      // empty: no X server to use
    bool wayland = false;        // a Wayland session (X11 programs then run under XWayland)
    std::string waylandDisplay;  // the compositor's socket, for the tools that ask it
    std::string desktop;         // names of the desktop, as in XDG_CURRENT_DESKTOP ("GNOME")
    std::string sessionBus;      // the session's message bus; empty: none to use
    std::string uinputPath = "/dev/uinput";
    // Where the program keeps what it must remember between runs (the desktop's permission to
    // send keys); empty: nothing is kept.
    std::string stateDir;
    std::ostream* err = &std::cerr;

    // From DISPLAY, WAYLAND_DISPLAY, XDG_SESSION_TYPE, XDG_CURRENT_DESKTOP, the session bus's
    // address and XDG_STATE_HOME.
    static DesktopOptions FromEnvironment();
};

// The PC actions on a Linux desktop. Keys go through XTEST on an X11 session. On GNOME under
// Wayland they go through the compositor's remote desktop session; on another Wayland desktop
// through a uinput keyboard where /dev/uinput is writable, else the desktop portal's remote
// desktop (which asks the user once), else XWayland, which reaches X11 windows at least. Power
// goes through the login manager; display modes through RandR on X11, the compositor's display
// configuration on GNOME and kscreen-doctor on KDE Plasma; programs are started without a shell.
class DesktopPcActions : public PcActions {
  public:
    // Opens what it needs and enumerates the displays: call it on the start-up thread.
    explicit DesktopPcActions(const DesktopOptions& options);
    ~DesktopPcActions() override;

    void pressKey(PcKey key) override;
    void shutdown() override;
    void restart() override;
    void openProgram(const std::string& path) override;
    void setResolution(int width) override;

    // Which way keys go: "xtest", "mutter", "uinput", "portal", "xtest-xwayland" or "none".
    const std::string& keyRoute() const { return keyRoute_; }
    DisplayModes& displays() { return *displays_; }
    LogindPower& power() { return power_; }
    ProgramLauncher& launcher() { return launcher_; }

  private:
    void chooseKeys(const DesktopOptions& options, const std::shared_ptr<X11Connection>& x11,
                    bool gnome);
    void chooseDisplays(const DesktopOptions& options, const std::shared_ptr<X11Connection>& x11,
                        bool gnome);

    std::ostream& err_;
    std::unique_ptr<KeyInjector> keys_;
    std::string keyRoute_;
    std::string keyNotice_;  // written once, at the first key
    std::atomic<bool> keyNoticeWritten_{false};
    std::atomic<bool> keyFailureWritten_{false};
    LogindPower power_;
    ProgramLauncher launcher_;
    std::unique_ptr<DisplayModes> displays_;
};

// The PC actions of this desktop: keys, power, display modes, starting a program.
std::unique_ptr<PcActions> CreateDesktopPcActions();

}  // namespace ketrel
