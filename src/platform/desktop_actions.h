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

// Where the actions go: the session's display server and devices.
struct DesktopOptions {
    std::string x11Display;  // empty: no X server to use
    bool wayland = false;    // a Wayland session (X11 programs then run under XWayland)
    std::string uinputPath = "/dev/uinput";
    std::ostream* err = &std::cerr;

    // From DISPLAY, WAYLAND_DISPLAY and XDG_SESSION_TYPE.
    static DesktopOptions FromEnvironment();
};

// The PC actions on a Linux desktop. Keys go through XTEST on an X11 session and through a
// uinput keyboard on a Wayland session (where /dev/uinput is writable; otherwise through
// XWayland, which reaches X11 windows at least); power through the login manager; display
// modes through RandR on X11 only; programs are started without a shell.
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

    // Which way keys go: "xtest", "uinput", "xtest-xwayland" or "none".
    const std::string& keyRoute() const { return keyRoute_; }
    DisplayModes& displays() { return *displays_; }
    LogindPower& power() { return power_; }
    ProgramLauncher& launcher() { return launcher_; }

  private:
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
