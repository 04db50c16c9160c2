#pragma once

#include <memory>
#include <ostream>
#include <string>

namespace ketrel {

enum class PcKey { PageUp, PageDown, Space, PlayPause, Stop };

inline const char* PcKeyName(PcKey key) {
    switch (key) {
        case PcKey::PageUp:
            return "PageUp";
        case PcKey::PageDown:
            return "PageDown";
        case PcKey::Space:
            return "Space";
        case PcKey::PlayPause:
            return "PlayPause";
        case PcKey::Stop:
            return "Stop";
    }
    return "?";
}

// What the unit can make the PC do. Called on the receive thread; implementations must return
// quickly and never wait for the user-interface thread. None of them reports failure to the user.
class PcActions {
  public:
    virtual ~PcActions() = default;
    // A press and a release, to whatever window has the focus.
    virtual void pressKey(PcKey key) = 0;
    virtual void shutdown() = 0;
    virtual void restart() = 0;
    // path is already trimmed; empty means no program is configured.
    virtual void openProgram(const std::string& path) = 0;
    // The first two displays to width x 720.
    virtual void setResolution(int width) = 0;
};

// Does nothing; for uses that only want the unit's information lines.
class NoPcActions : public PcActions {
  public:
    void pressKey(PcKey) override {}
    void shutdown() override {}
    void restart() override {}
    void openProgram(const std::string&) override {}
    void setResolution(int) override {}
};

}  // namespace ketrel
