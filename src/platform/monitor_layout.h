#pragma once

#include <string>
#include <vector>

namespace ketrel {

// The displays of a Wayland desktop as its compositor describes them: monitors with the modes
// they offer, and the regions of the desktop (logical monitors) that show them. A compositor
// takes whole configurations, so a change is made by editing what was read and handing all of
// it back.
namespace monitors {
struct Mode {
    std::string id;
    int width = 0;
    int height = 0;
    double refresh = 0;
    double preferredScale = 1;
    std::vector<double> scales;  // the scales the compositor accepts with this mode; empty: any
};
struct Monitor {
    std::string name;  // the connector, which also names it in a change
    std::vector<Mode> modes;
    std::string mode;  // the id of the mode in use; empty when it shows nothing
    const Mode* find(const std::string& id) const;
};
struct Region {
    int x = 0;
    int y = 0;
    double scale = 1;
    unsigned transform = 0;  // 0..7 as in Wayland: odd values turn the picture by 90 degrees
    bool primary = false;
    std::vector<std::string> monitors;  // more than one: they mirror each other
};
struct Desktop {
    std::vector<Monitor> monitors;  // in the compositor's order
    std::vector<Region> regions;
    bool scaledLayout = true;  // regions measured in scaled (logical) pixels, not in the modes'
    Monitor* find(const std::string& name);
    // The region's size on the desktop with its monitors' modes; 0 x 0 when none is known.
    void sizeOf(const Region& region, int& width, int& height) const;
};
}  // namespace monitors

// What the display lists need of a Wayland compositor, small enough for a fake.
class MonitorLayer {
  public:
    virtual ~MonitorLayer() = default;
    // False, with the reason, when the compositor cannot be asked.
    virtual bool read(monitors::Desktop& desktop, std::string& why) = 0;
    // Applies the whole desktop as the compositor is to show it. False with the reason.
    virtual bool apply(const monitors::Desktop& desktop, std::string& why) = 0;
};

// Sets each named monitor of desktop to width x height, keeping the others as they are: of the
// monitor's own modes of that size, the one with the refresh rate closest to the present one.
// A monitor without such a mode keeps its mode, and a line saying so is added to skipped; so
// does a mirrored group whose monitors would end up at different sizes. Regions beside or below
// a resized one are moved so that the desktop stays in one piece, starting at 0,0. True when
// anything changed.
bool SetMonitorModes(monitors::Desktop& desktop, const std::vector<std::string>& names, int width,
                     int height, std::vector<std::string>& skipped);

}  // namespace ketrel
