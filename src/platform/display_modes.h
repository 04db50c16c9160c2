#pragma once

#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "platform/monitor_layout.h"

namespace ketrel {

// One display mode's timings, as the X server's RandR extension takes them.
struct ModeTiming {
    std::string name;
    int width = 0;
    int height = 0;
    unsigned long dotClock = 0;  // Hz
    int hSyncStart = 0, hSyncEnd = 0, hTotal = 0;
    int vSyncStart = 0, vSyncEnd = 0, vTotal = 0;
    bool hSyncPositive = false;
    bool vSyncPositive = false;
    bool operator==(const ModeTiming&) const = default;
};

// The standard (VESA CVT, not reduced blanking) timings of width x height at the given
// refresh rate, named like "1920x720_60.00".
ModeTiming CvtTiming(int width, int height, double refresh = 60.0);

// What the display code needs of the X server's RandR extension, small enough for a fake.
namespace randr {
using Id = unsigned long;
struct Mode {
    Id id = 0;
    std::string name;
    int width = 0;
    int height = 0;
    double refresh = 0;  // Hz; 0 when the server gives no timings
};
struct Crtc {
    Id id = 0;
    int x = 0;
    int y = 0;
    Id mode = 0;  // 0: switched off
    int width = 0;
    int height = 0;
    unsigned rotation = 1;  // RandR's rotation bits; 1 is upright
    std::vector<Id> outputs;
};
struct Output {
    Id id = 0;
    std::string name;
    bool connected = false;
    Id crtc = 0;  // 0: not driven
    std::vector<Id> modes;
};
struct Screen {
    int width = 0, height = 0;
    int widthMm = 0, heightMm = 0;
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
    std::vector<Mode> modes;
    std::vector<Crtc> crtcs;
    std::vector<Output> outputs;  // in the server's order
};
inline constexpr unsigned kRotateUpright = 1;
}  // namespace randr

class RandrLayer {
  public:
    virtual ~RandrLayer() = default;
    // probe: have the server look at the connectors again (slow, for the start); otherwise
    // what it knows already. False when the server cannot be asked.
    virtual bool read(randr::Screen& screen, bool probe) = 0;
    // The new mode's id; 0 when the server refused it.
    virtual randr::Id createMode(const ModeTiming& timing) = 0;
    virtual bool addOutputMode(randr::Id output, randr::Id mode) = 0;
    virtual bool setScreenSize(int width, int height, int widthMm, int heightMm) = 0;
    // Drives crtc.outputs from crtc.id with crtc.mode at crtc.x, crtc.y and crtc.rotation.
    virtual bool setCrtc(const randr::Crtc& crtc) = 0;
};

// The display lists of the program: the displays found at start-up and the mode changes the
// unit asks for. Safe to call from any thread; calls are carried out one at a time.
class DisplayModes {
  public:
    // layer null: there is no display to change, and whyNot says why (written once, at the
    // first change asked for).
    DisplayModes(std::unique_ptr<RandrLayer> layer, std::ostream& err, std::string whyNot = {});
    // The displays of a Wayland compositor, which keeps their layout itself.
    DisplayModes(std::unique_ptr<MonitorLayer> layer, std::ostream& err);

    // Connected outputs that drive a picture, in the server's order. Done once at start-up;
    // the list is never refreshed.
    void EnumerateDisplays();
    std::vector<std::string> DisplayDevices() const;

    // The display at position (0 or 1) to width x 720, upright. Nothing happens when there is
    // no display at that position; a mode the output lacks is made from standard timings (a
    // Wayland compositor's displays keep theirs instead); a change the server refuses is skipped.
    void ApplyDisplayMode(std::size_t position, int width);
    // The first two displays to width x 720. A compositor gets both in one change, so that
    // displays that mirror each other change together.
    void SetResolution(int width);

    static constexpr int kHeight = 720;

  private:
    bool apply(const std::string& outputName, int width);
    // Empty names are displays that are not there.
    void applyToMonitors(const std::string& first, const std::string& second, int width);
    void warn(const std::string& text);

    std::unique_ptr<RandrLayer> layer_;
    std::unique_ptr<MonitorLayer> monitors_;
    std::ostream& err_;
    std::string whyNot_;
    mutable std::mutex mutex_;
    std::vector<std::string> devices_;
    std::string lastWarning_;
};

}  // namespace ketrel
