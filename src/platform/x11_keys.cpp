#include "platform/x11_keys.h"

#include <X11/XF86keysym.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <vector>

namespace ketrel {

namespace {

// Keeps Xlib's copy of the keyboard map current: the user may switch layouts while we run, and
// nobody else reads this connection's events.
void TakeMappingChanges(Display* d) {
    while (XPending(d) > 0) {
        XEvent event;
        XNextEvent(d, &event);
        if (event.type == MappingNotify) XRefreshKeyboardMapping(&event.xmapping);
    }
}

// A keycode with no symbols at all, to carry a keysym the keyboard map lacks; 0 when none.
KeyCode SpareKeycode(Display* d) {
    int low = 0;
    int high = 0;
    XDisplayKeycodes(d, &low, &high);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(low), high - low + 1, &perCode);
    if (!map) return 0;
    KeyCode spare = 0;
    // From the top: the low codes belong to real keys on every layout.
    for (int code = high; code >= low && spare == 0; --code) {
        bool empty = true;
        for (int i = 0; i < perCode; ++i)
            empty = empty && map[(code - low) * perCode + i] == NoSymbol;
        if (empty) spare = static_cast<KeyCode>(code);
    }
    XFree(map);
    return spare;
}

}  // namespace

std::unique_ptr<X11KeyInjector> X11KeyInjector::Create(std::shared_ptr<X11Connection> connection) {
    if (!connection) return nullptr;
    {
        auto x = connection->access();
        if (!x) return nullptr;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(x.display(), &eventBase, &errorBase, &major, &minor)) {
            return nullptr;
        }
    }
    return std::unique_ptr<X11KeyInjector>(new X11KeyInjector(std::move(connection)));
}

unsigned long X11KeyInjector::KeysymOf(PcKey key) {
    switch (key) {
        case PcKey::PageUp:
            return XK_Prior;
        case PcKey::PageDown:
            return XK_Next;
        case PcKey::Space:
            return XK_space;
        case PcKey::PlayPause:
            return XF86XK_AudioPlay;
        case PcKey::Stop:
            return XF86XK_AudioStop;
    }
    return NoSymbol;
}

bool X11KeyInjector::pressAndRelease(PcKey key) {
    auto x = connection_->access();
    if (!x) return false;
    Display* d = x.display();
    TakeMappingChanges(d);
    const KeySym sym = KeysymOf(key);
    KeyCode code = XKeysymToKeycode(d, sym);
    if (code == 0) {
        // Some servers' maps have no media keys; give the keysym a free keycode. The mapping
        // stays, so the focused window has seen the change long before the next press.
        code = SpareKeycode(d);
        if (code == 0) return false;
        KeySym syms[1] = {sym};
        XChangeKeyboardMapping(d, code, 1, syms, 1);
        if (x.sync() != 0) return false;
        TakeMappingChanges(d);
    }
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XFlush(d);
    return !connection_->lost();
}

}  // namespace ketrel
