#include "platform/display_modes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <libxcvt/libxcvt.h>

namespace ketrel {

ModeTiming CvtTiming(int width, int height, double refresh) {
    // The same generator the X server and the desktop tools use, so the mode made here is the
    // mode a user would make with them.
    const std::unique_ptr<libxcvt_mode_info, decltype(&std::free)> info(
        libxcvt_gen_mode_info(width, height, static_cast<float>(refresh), false, false),
        &std::free);
    ModeTiming t;
    if (!info) return t;
    t.width = static_cast<int>(info->hdisplay);
    t.height = static_cast<int>(info->vdisplay);
    t.dotClock = static_cast<unsigned long>(info->dot_clock) * 1000;  // kHz to Hz
    t.hSyncStart = info->hsync_start;
    t.hSyncEnd = info->hsync_end;
    t.hTotal = info->htotal;
    t.vSyncStart = info->vsync_start;
    t.vSyncEnd = info->vsync_end;
    t.vTotal = info->vtotal;
    t.hSyncPositive = (info->mode_flags & LIBXCVT_MODE_FLAG_HSYNC_POSITIVE) != 0;
    t.vSyncPositive = (info->mode_flags & LIBXCVT_MODE_FLAG_VSYNC_POSITIVE) != 0;

    char name[64];
    std::snprintf(name, sizeof name, "%dx%d_%.2f", width, height, refresh);
    t.name = name;
    return t;
}

DisplayModes::DisplayModes(std::unique_ptr<RandrLayer> layer, std::ostream& err, std::string whyNot)
    : layer_(std::move(layer)), err_(err), whyNot_(std::move(whyNot)) {}

DisplayModes::DisplayModes(std::unique_ptr<MonitorLayer> layer, std::ostream& err)
    : monitors_(std::move(layer)), err_(err) {}

void DisplayModes::EnumerateDisplays() {
    std::lock_guard lock(mutex_);
    devices_.clear();
    if (monitors_) {
        monitors::Desktop desktop;
        std::string why;
        if (!monitors_->read(desktop, why)) {
            whyNot_ =
                "display modes cannot be changed: the desktop could not be asked for its "
                "displays at start (" +
                why + ")";
            return;
        }
        for (const auto& monitor : desktop.monitors) {
            if (!monitor.mode.empty()) devices_.push_back(monitor.name);
        }
        return;
    }
    randr::Screen screen;
    if (!layer_ || !layer_->read(screen, true)) return;
    for (const auto& output : screen.outputs) {
        if (output.connected && output.crtc != 0) devices_.push_back(output.name);
    }
}

std::vector<std::string> DisplayModes::DisplayDevices() const {
    std::lock_guard lock(mutex_);
    return devices_;
}

void DisplayModes::ApplyDisplayMode(std::size_t position, int width) {
    std::lock_guard lock(mutex_);
    if (monitors_) {
        applyToMonitors(position < devices_.size() ? devices_[position] : std::string(), {}, width);
        return;
    }
    if (!layer_) {
        warn(whyNot_.empty() ? "display modes cannot be changed here" : whyNot_);
        return;
    }
    if (position >= devices_.size()) return;
    apply(devices_[position], width);
}

void DisplayModes::SetResolution(int width) {
    if (!monitors_) {
        ApplyDisplayMode(0, width);
        ApplyDisplayMode(1, width);
        return;
    }
    std::lock_guard lock(mutex_);
    applyToMonitors(devices_.size() > 0 ? devices_[0] : std::string(),
                    devices_.size() > 1 ? devices_[1] : std::string(), width);
}

void DisplayModes::applyToMonitors(const std::string& first, const std::string& second, int width) {
    if (!whyNot_.empty()) warn(whyNot_);
    std::vector<std::string> names;
    for (const auto& name : {first, second}) {
        if (!name.empty()) names.push_back(name);
    }
    if (names.empty()) return;
    monitors::Desktop desktop;
    std::string why;
    std::vector<std::string> skipped;
    const std::string what = "cannot set the displays to " + std::to_string(width) + "x" +
                             std::to_string(kHeight) + ": ";
    if (!monitors_->read(desktop, why)) {
        warn(what + "the compositor does not answer (" + why + ")");
        return;
    }
    const bool changed = SetMonitorModes(desktop, names, width, kHeight, skipped);
    // One line for all of them, so that a frame repeated says nothing new.
    std::string said;
    for (const auto& line : skipped) said += (said.empty() ? "" : "; ") + line;
    if (!said.empty()) warn(said);
    if (changed && !monitors_->apply(desktop, why))
        warn(what + "the compositor refused (" + why + ")");
}

void DisplayModes::warn(const std::string& text) {
    if (text == lastWarning_) return;
    lastWarning_ = text;
    err_ << "ketrel: " << text << std::endl;
}

namespace {

template <typename T>
const T* FindId(const std::vector<T>& items, randr::Id id) {
    for (const auto& item : items) {
        if (item.id == id) return &item;
    }
    return nullptr;
}

bool Lists(const std::vector<randr::Id>& ids, randr::Id id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

}  // namespace

bool DisplayModes::apply(const std::string& outputName, int width) {
    const std::string what =
        outputName + " to " + std::to_string(width) + "x" + std::to_string(kHeight);
    randr::Screen s;
    if (!layer_->read(s, false)) {
        warn("cannot set " + what + ": the display server does not answer");
        return false;
    }
    // Outputs are found again by name: the ids belong to one server's lifetime.
    const randr::Output* output = nullptr;
    for (const auto& o : s.outputs) {
        if (o.name == outputName) output = &o;
    }
    if (!output || !output->connected || output->crtc == 0) {
        warn("cannot set " + what + ": the display is no longer in use");
        return false;
    }
    const randr::Crtc* crtcNow = FindId(s.crtcs, output->crtc);
    if (!crtcNow) return false;
    randr::Crtc crtc = *crtcNow;

    // The desktop must hold every lit CRTC, this one at its new size; checked first, so that a
    // change that cannot be made leaves no new mode behind.
    int right = 0;
    int bottom = 0;
    for (const auto& c : s.crtcs) {
        if (c.mode == 0) continue;
        const bool mine = c.id == crtc.id;
        right = std::max(right, c.x + (mine ? width : c.width));
        bottom = std::max(bottom, c.y + (mine ? kHeight : c.height));
    }
    right = std::max(right, s.minWidth);
    bottom = std::max(bottom, s.minHeight);
    if (right > s.maxWidth || bottom > s.maxHeight) {
        warn("cannot set " + what + ": the desktop cannot be that large");
        return false;
    }
    // Of the output's own modes of that size, the one closest to the present refresh rate.
    const randr::Mode* current = FindId(s.modes, crtc.mode);
    const double refreshNow = current ? current->refresh : 60.0;
    randr::Id chosen = 0;
    double bestDistance = 0;
    for (randr::Id id : output->modes) {
        const randr::Mode* m = FindId(s.modes, id);
        if (!m || m->width != width || m->height != kHeight) continue;
        const double distance = std::fabs(m->refresh - refreshNow);
        if (chosen == 0 || distance < bestDistance) {
            chosen = id;
            bestDistance = distance;
        }
    }
    if (chosen == 0) {
        const ModeTiming timing = CvtTiming(width, kHeight);
        // Made by an earlier run (the server keeps it), or made now.
        for (const auto& m : s.modes) {
            if (m.name == timing.name && m.width == width && m.height == kHeight) chosen = m.id;
        }
        if (chosen == 0) chosen = layer_->createMode(timing);
        if (chosen == 0) {
            warn("cannot set " + what + ": the display server refused the mode");
            return false;
        }
    }
    // Every output this CRTC drives (a mirrored pair) must accept the mode.
    for (randr::Id id : crtc.outputs) {
        const randr::Output* o = FindId(s.outputs, id);
        if (o && !Lists(o->modes, chosen) && !layer_->addOutputMode(id, chosen)) {
            warn("cannot set " + what + ": the output refused the mode");
            return false;
        }
    }
    if (crtc.mode == chosen && crtc.rotation == randr::kRotateUpright) return true;

    // Keep the physical size per pixel, so the dots per inch stay as they were.
    auto mm = [](int px, int nowPx, int nowMm) {
        if (nowPx > 0 && nowMm > 0) return static_cast<int>(std::lround(1.0 * px * nowMm / nowPx));
        return static_cast<int>(std::lround(px * 25.4 / 96));
    };
    auto resize = [&](int w, int h) {
        return layer_->setScreenSize(w, h, mm(w, s.width, s.widthMm), mm(h, s.height, s.heightMm));
    };
    // Grow the desktop before the CRTC needs the room; shrink it only after.
    const int grownWidth = std::max(s.width, right);
    const int grownHeight = std::max(s.height, bottom);
    const bool grows = grownWidth != s.width || grownHeight != s.height;
    if (grows && !resize(grownWidth, grownHeight)) {
        warn("cannot set " + what + ": the desktop could not be resized");
        return false;
    }
    crtc.mode = chosen;
    crtc.width = width;
    crtc.height = kHeight;
    crtc.rotation = randr::kRotateUpright;
    if (!layer_->setCrtc(crtc)) {
        if (grows) resize(s.width, s.height);
        warn("cannot set " + what + ": the display refused the mode");
        return false;
    }
    if (right != grownWidth || bottom != grownHeight) resize(right, bottom);
    return true;
}

}  // namespace ketrel
