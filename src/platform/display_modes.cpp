#include "platform/display_modes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ketrel {

ModeTiming CvtTiming(int width, int height, double refresh) {
    // The CVT formula with its default parameters, computed in the same precision as the
    // reference generator so that the results match to the pixel.
    constexpr double kMinVSyncAndBackPorchUs = 550.0;
    constexpr int kMinVPorch = 3;
    constexpr int kCellGranularity = 8;
    constexpr int kHSyncPercent = 8;
    constexpr int kClockStepKHz = 250;
    constexpr double kMPrime = 600.0 * 128 / 256;
    constexpr double kCPrime = (40.0 - 20) * 128 / 256 + 20;

    ModeTiming t;
    t.width = width - width % kCellGranularity;
    t.height = height;

    int vSync = 10;  // any other aspect ratio
    if (height % 3 == 0 && height * 4 / 3 == width) {
        vSync = 4;
    } else if (height % 9 == 0 && height * 16 / 9 == width) {
        vSync = 5;
    } else if (height % 10 == 0 && height * 16 / 10 == width) {
        vSync = 6;
    } else if ((height % 4 == 0 && height * 5 / 4 == width) ||
               (height % 9 == 0 && height * 15 / 9 == width)) {
        vSync = 7;
    }

    const float hPeriod = static_cast<float>(1000000.0 / refresh - kMinVSyncAndBackPorchUs) /
                          static_cast<float>(height + kMinVPorch);
    int vSyncAndBackPorch = static_cast<int>(kMinVSyncAndBackPorchUs / hPeriod) + 1;
    if (vSyncAndBackPorch < vSync + kMinVPorch) vSyncAndBackPorch = vSync + kMinVPorch;
    t.vTotal = height + vSyncAndBackPorch + kMinVPorch;

    float blankPercent = static_cast<float>(kCPrime - kMPrime * hPeriod / 1000.0);
    if (blankPercent < 20) blankPercent = 20;
    int hBlank = static_cast<int>(t.width * blankPercent / (100.0 - blankPercent));
    hBlank -= hBlank % (2 * kCellGranularity);
    t.hTotal = t.width + hBlank;
    t.hSyncEnd = t.width + hBlank / 2;
    t.hSyncStart = t.hSyncEnd - (t.hTotal * kHSyncPercent) / 100;
    t.hSyncStart += kCellGranularity - t.hSyncStart % kCellGranularity;
    t.vSyncStart = height + kMinVPorch;
    t.vSyncEnd = t.vSyncStart + vSync;

    int clockKHz = static_cast<int>(t.hTotal * 1000.0 / hPeriod);
    clockKHz -= clockKHz % kClockStepKHz;
    t.dotClock = static_cast<unsigned long>(clockKHz) * 1000;
    t.hSyncPositive = false;
    t.vSyncPositive = true;

    char name[64];
    std::snprintf(name, sizeof name, "%dx%d_%.2f", width, height, refresh);
    t.name = name;
    return t;
}

DisplayModes::DisplayModes(std::unique_ptr<RandrLayer> layer, std::ostream& err, std::string whyNot)
    : layer_(std::move(layer)), err_(err), whyNot_(std::move(whyNot)) {}

void DisplayModes::EnumerateDisplays() {
    std::lock_guard lock(mutex_);
    devices_.clear();
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
    if (!layer_) {
        warn(whyNot_.empty() ? "display modes cannot be changed here" : whyNot_);
        return;
    }
    if (position >= devices_.size()) return;
    apply(devices_[position], width);
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
