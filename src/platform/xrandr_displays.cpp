#include "platform/xrandr_displays.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <vector>

namespace ketrel {

namespace {

double RefreshOf(const XRRModeInfo& m) {
    if (m.hTotal == 0 || m.vTotal == 0) return 0;
    double lines = m.vTotal;
    if (m.modeFlags & RR_DoubleScan) lines *= 2;
    if (m.modeFlags & RR_Interlace) lines /= 2;
    return static_cast<double>(m.dotClock) / (static_cast<double>(m.hTotal) * lines);
}

}  // namespace

std::unique_ptr<XrandrLayer> XrandrLayer::Create(std::shared_ptr<X11Connection> connection) {
    if (!connection) return nullptr;
    {
        auto x = connection->access();
        if (!x) return nullptr;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XRRQueryExtension(x.display(), &eventBase, &errorBase) ||
            !XRRQueryVersion(x.display(), &major, &minor) || major < 1 ||
            (major == 1 && minor < 2)) {
            return nullptr;
        }
    }
    return std::unique_ptr<XrandrLayer>(new XrandrLayer(std::move(connection)));
}

XrandrLayer::~XrandrLayer() { forget(); }

void XrandrLayer::forget() {
    if (resources_) XRRFreeScreenResources(resources_);
    resources_ = nullptr;
}

bool XrandrLayer::read(randr::Screen& screen, bool probe) {
    auto x = connection_->access();
    forget();
    if (!x) return false;
    Display* d = x.display();
    const Window root = DefaultRootWindow(d);
    screen = {};
    // The root window's geometry is the desktop's size as the server has it now; Xlib's own
    // copy is only updated by events that nobody reads on this connection.
    Window rootReturn = 0;
    int px = 0, py = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(d, root, &rootReturn, &px, &py, &width, &height, &border, &depth)) {
        return false;
    }
    screen.width = static_cast<int>(width);
    screen.height = static_cast<int>(height);
    const int number = DefaultScreen(d);
    // Xlib's millimetres may be stale in the same way; they only keep the ratio to pixels.
    screen.widthMm =
        DisplayWidthMM(d, number) * screen.width / std::max(1, DisplayWidth(d, number));
    screen.heightMm =
        DisplayHeightMM(d, number) * screen.height / std::max(1, DisplayHeight(d, number));
    if (!XRRGetScreenSizeRange(d, root, &screen.minWidth, &screen.minHeight, &screen.maxWidth,
                               &screen.maxHeight)) {
        return false;
    }
    resources_ = probe ? XRRGetScreenResources(d, root) : XRRGetScreenResourcesCurrent(d, root);
    if (!resources_ || x.sync() != 0) {
        forget();
        return false;
    }
    for (int i = 0; i < resources_->nmode; ++i) {
        const XRRModeInfo& m = resources_->modes[i];
        screen.modes.push_back({m.id, std::string(m.name, m.nameLength), static_cast<int>(m.width),
                                static_cast<int>(m.height), RefreshOf(m)});
    }
    for (int i = 0; i < resources_->ncrtc; ++i) {
        XRRCrtcInfo* c = XRRGetCrtcInfo(d, resources_, resources_->crtcs[i]);
        if (!c) continue;
        randr::Crtc crtc;
        crtc.id = resources_->crtcs[i];
        crtc.x = c->x;
        crtc.y = c->y;
        crtc.mode = c->mode;
        crtc.width = static_cast<int>(c->width);
        crtc.height = static_cast<int>(c->height);
        crtc.rotation = c->rotation;
        crtc.outputs.assign(c->outputs, c->outputs + c->noutput);
        XRRFreeCrtcInfo(c);
        screen.crtcs.push_back(std::move(crtc));
    }
    for (int i = 0; i < resources_->noutput; ++i) {
        XRROutputInfo* o = XRRGetOutputInfo(d, resources_, resources_->outputs[i]);
        if (!o) continue;
        randr::Output output;
        output.id = resources_->outputs[i];
        output.name.assign(o->name, static_cast<std::size_t>(o->nameLen));
        output.connected = o->connection == RR_Connected;
        output.crtc = o->crtc;
        output.modes.assign(o->modes, o->modes + o->nmode);
        XRRFreeOutputInfo(o);
        screen.outputs.push_back(std::move(output));
    }
    // A server that went away half-way leaves nothing to trust.
    return x.sync() == 0 && !connection_->lost();
}

randr::Id XrandrLayer::createMode(const ModeTiming& timing) {
    auto x = connection_->access();
    if (!x) return 0;
    XRRModeInfo info{};
    std::string name = timing.name;
    info.width = static_cast<unsigned>(timing.width);
    info.height = static_cast<unsigned>(timing.height);
    info.dotClock = timing.dotClock;
    info.hSyncStart = static_cast<unsigned>(timing.hSyncStart);
    info.hSyncEnd = static_cast<unsigned>(timing.hSyncEnd);
    info.hTotal = static_cast<unsigned>(timing.hTotal);
    info.vSyncStart = static_cast<unsigned>(timing.vSyncStart);
    info.vSyncEnd = static_cast<unsigned>(timing.vSyncEnd);
    info.vTotal = static_cast<unsigned>(timing.vTotal);
    info.name = name.data();
    info.nameLength = static_cast<unsigned>(name.size());
    info.modeFlags = (timing.hSyncPositive ? RR_HSyncPositive : RR_HSyncNegative) |
                     (timing.vSyncPositive ? RR_VSyncPositive : RR_VSyncNegative);
    const RRMode mode = XRRCreateMode(x.display(), DefaultRootWindow(x.display()), &info);
    if (x.sync() != 0) return 0;
    return mode;
}

bool XrandrLayer::addOutputMode(randr::Id output, randr::Id mode) {
    auto x = connection_->access();
    if (!x) return false;
    XRRAddOutputMode(x.display(), output, mode);
    return x.sync() == 0;
}

bool XrandrLayer::setScreenSize(int width, int height, int widthMm, int heightMm) {
    auto x = connection_->access();
    if (!x) return false;
    XRRSetScreenSize(x.display(), DefaultRootWindow(x.display()), width, height, widthMm, heightMm);
    return x.sync() == 0;
}

bool XrandrLayer::setCrtc(const randr::Crtc& crtc) {
    auto x = connection_->access();
    if (!x || !resources_) return false;
    std::vector<RROutput> outputs(crtc.outputs.begin(), crtc.outputs.end());
    const Status status = XRRSetCrtcConfig(x.display(), resources_, crtc.id, CurrentTime, crtc.x,
                                           crtc.y, crtc.mode, static_cast<Rotation>(crtc.rotation),
                                           outputs.data(), static_cast<int>(outputs.size()));
    return x.sync() == 0 && status == RRSetConfigSuccess;
}

}  // namespace ketrel
