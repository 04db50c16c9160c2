#include "platform/monitor_layout.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace ketrel {

namespace monitors {

const Mode* Monitor::find(const std::string& id) const {
    for (const auto& m : modes) {
        if (m.id == id) return &m;
    }
    return nullptr;
}

Monitor* Desktop::find(const std::string& name) {
    for (auto& m : monitors) {
        if (m.name == name) return &m;
    }
    return nullptr;
}

void Desktop::sizeOf(const Region& region, int& width, int& height) const {
    width = height = 0;
    for (const auto& monitor : monitors) {
        if (region.monitors.empty() || monitor.name != region.monitors.front()) continue;
        const Mode* mode = monitor.find(monitor.mode);
        if (!mode) return;
        width = mode->width;
        height = mode->height;
    }
    if (region.transform % 2 == 1) std::swap(width, height);
    if (scaledLayout && region.scale > 0) {
        width = static_cast<int>(std::lround(width / region.scale));
        height = static_cast<int>(std::lround(height / region.scale));
    }
}

}  // namespace monitors

namespace {

using namespace monitors;

struct Rect {
    int x, y, width, height;
};

bool Overlap(int a, int aLength, int b, int bLength) { return a < b + bLength && b < a + aLength; }

// Moves each region that touched a neighbour on its left (or above) so that it touches it
// again at the neighbour's new size; the desktop then starts at 0,0 again.
void KeepInOnePiece(Desktop& d, const std::vector<Rect>& before) {
    std::vector<Rect> after = before;
    for (std::size_t i = 0; i < d.regions.size(); ++i) {
        d.sizeOf(d.regions[i], after[i].width, after[i].height);
    }
    std::vector<std::size_t> order(before.size());
    std::iota(order.begin(), order.end(), 0);
    for (const bool acrossX : {true, false}) {
        auto start = [acrossX](const Rect& r) { return acrossX ? r.x : r.y; };
        auto end = [acrossX](const Rect& r) { return acrossX ? r.x + r.width : r.y + r.height; };
        auto side = [acrossX](const Rect& r) { return acrossX ? r.y : r.x; };
        auto sideLength = [acrossX](const Rect& r) { return acrossX ? r.height : r.width; };
        // A neighbour starts before the region it touches, so it has been placed already.
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return start(before[a]) < start(before[b]);
        });
        for (std::size_t i : order) {
            bool touched = false;
            int to = 0;
            for (std::size_t j : order) {
                if (end(before[j]) != start(before[i]) ||
                    !Overlap(side(before[j]), sideLength(before[j]), side(before[i]),
                             sideLength(before[i]))) {
                    continue;
                }
                to = std::max(to, end(after[j]));
                touched = true;
            }
            if (touched) (acrossX ? after[i].x : after[i].y) = to;
        }
    }
    int left = 0, top = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        left = i == 0 ? after[i].x : std::min(left, after[i].x);
        top = i == 0 ? after[i].y : std::min(top, after[i].y);
    }
    for (std::size_t i = 0; i < after.size(); ++i) {
        d.regions[i].x = after[i].x - left;
        d.regions[i].y = after[i].y - top;
    }
}

// The size of the mode a monitor shows; 0 x 0 for none.
std::pair<int, int> ShownSize(Desktop& d, const std::string& name) {
    const Monitor* m = d.find(name);
    const Mode* mode = m ? m->find(m->mode) : nullptr;
    return mode ? std::pair(mode->width, mode->height) : std::pair(0, 0);
}

}  // namespace

bool SetMonitorModes(Desktop& d, const std::vector<std::string>& names, int width, int height,
                     std::vector<std::string>& skipped) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::vector<Rect> before;
    for (const auto& region : d.regions) {
        Rect r{region.x, region.y, 0, 0};
        d.sizeOf(region, r.width, r.height);
        before.push_back(r);
    }
    const std::vector<Monitor> was = d.monitors;
    for (const auto& name : names) {
        Monitor* m = d.find(name);
        if (!m || m->mode.empty()) {
            skipped.push_back("cannot set " + name + " to " + size +
                              ": the display is no longer in use");
            continue;
        }
        const Mode* now = m->find(m->mode);
        const double refreshNow = now ? now->refresh : 60.0;
        const Mode* best = nullptr;
        for (const auto& mode : m->modes) {
            if (mode.width != width || mode.height != height) continue;
            if (!best ||
                std::fabs(mode.refresh - refreshNow) < std::fabs(best->refresh - refreshNow)) {
                best = &mode;
            }
        }
        if (!best) {
            skipped.push_back("cannot set " + name + " to " + size +
                              ": the display offers no such mode");
            continue;
        }
        m->mode = best->id;
    }
    for (auto& region : d.regions) {
        if (region.monitors.empty()) continue;
        // Monitors that mirror each other show one picture, so they keep one size.
        const auto shown = ShownSize(d, region.monitors.front());
        if (std::any_of(region.monitors.begin(), region.monitors.end(),
                        [&](const std::string& n) { return ShownSize(d, n) != shown; })) {
            for (const auto& n : region.monitors) {
                for (const auto& w : was) {
                    if (w.name == n && d.find(n)) d.find(n)->mode = w.mode;
                }
            }
            skipped.push_back("cannot set " + region.monitors.front() + " to " + size +
                              ": the displays that mirror it cannot all show that mode");
        }
        // A scale the new mode does not allow gives way to the one the compositor prefers.
        const Monitor* first = d.find(region.monitors.front());
        const Mode* mode = first ? first->find(first->mode) : nullptr;
        if (mode && !mode->scales.empty() &&
            std::none_of(mode->scales.begin(), mode->scales.end(),
                         [&](double s) { return std::fabs(s - region.scale) < 1e-6; })) {
            region.scale = mode->preferredScale;
        }
    }
    bool changed = false;
    for (std::size_t i = 0; i < was.size(); ++i) {
        changed = changed || was[i].mode != d.monitors[i].mode;
    }
    if (changed) KeepInOnePiece(d, before);
    return changed;
}

}  // namespace ketrel
