#include "platform/x11_connection.h"

#include <X11/Xlib.h>

#include <array>

namespace ketrel {

namespace {

// Xlib has one error handler for the whole process. Ours counts the errors of the program's
// own connections and passes every other display's errors to whichever handler was installed
// before it, so the toolkit's connection is handled exactly as without us.
constexpr int kSlots = 16;
std::array<std::atomic<Display*>, kSlots> g_displays{};
std::array<std::atomic<int>, kSlots> g_errors{};
std::atomic<XErrorHandler> g_previous{nullptr};
std::atomic<XIOErrorHandler> g_previousIo{nullptr};

bool IsOurs(Display* display) {
    for (const auto& d : g_displays) {
        if (d.load() == display) return true;
    }
    return false;
}

int CountingErrorHandler(Display* display, XErrorEvent* event) {
    for (int i = 0; i < kSlots; ++i) {
        if (g_displays[i].load() == display) {
            g_errors[i].fetch_add(1);
            return 0;
        }
    }
    const XErrorHandler previous = g_previous.load();
    return previous ? previous(display, event) : 0;
}

// Xlib's default handler of a lost connection ends the process before the connection's own
// exit handler is even asked; for our connections, return so that it is.
int SurvivingIoErrorHandler(Display* display) {
    if (IsOurs(display)) return 0;
    const XIOErrorHandler previous = g_previousIo.load();
    return previous ? previous(display) : 0;
}

// Another library may have replaced the handlers since the last use (a toolkit does so when
// it connects); put ours back on top and keep theirs for their displays.
void InstallErrorHandlers() {
    const XErrorHandler current = XSetErrorHandler(CountingErrorHandler);
    if (current != CountingErrorHandler) g_previous.store(current);
    const XIOErrorHandler currentIo = XSetIOErrorHandler(SurvivingIoErrorHandler);
    if (currentIo != SurvivingIoErrorHandler) g_previousIo.store(currentIo);
}

}  // namespace

std::shared_ptr<X11Connection> X11Connection::Open(const std::string& displayName) {
    if (displayName.empty()) return nullptr;
    std::shared_ptr<X11Connection> c(new X11Connection(displayName));
    std::lock_guard lock(c->mutex_);
    if (!c->connect()) return nullptr;
    return c;
}

X11Connection::~X11Connection() {
    std::lock_guard lock(mutex_);
    disconnect();
}

bool X11Connection::connect() {
    int slot = -1;
    for (int i = 0; i < kSlots && slot < 0; ++i) {
        Display* expected = nullptr;
        // Reserve the slot with a placeholder until the display exists.
        if (g_displays[i].compare_exchange_strong(expected, reinterpret_cast<Display*>(this))) {
            slot = i;
        }
    }
    if (slot < 0) return false;
    InstallErrorHandlers();
    Display* d = XOpenDisplay(name_.c_str());
    if (!d) {
        g_displays[slot].store(nullptr);
        return false;
    }
    g_errors[slot].store(0);
    g_displays[slot].store(d);
    // Without this, a server that goes away makes Xlib end the whole process.
    XSetIOErrorExitHandler(d, &X11Connection::OnIoErrorExit, this);
    display_ = d;
    slot_ = slot;
    errorsSeen_ = 0;
    lost_ = false;
    return true;
}

void X11Connection::disconnect() {
    if (!display_) return;
    // After an I/O error Xlib skips the final round trip and only frees the connection.
    XCloseDisplay(display_);
    g_displays[slot_].store(nullptr);
    display_ = nullptr;
    slot_ = -1;
}

int X11Connection::errorsSoFar() const { return slot_ < 0 ? 0 : g_errors[slot_].load(); }

void X11Connection::OnIoErrorExit(Display*, void* self) {
    // Returning instead of exiting leaves the connection unusable; the next use reopens it.
    static_cast<X11Connection*>(self)->lost_ = true;
}

X11Connection::Access X11Connection::access() { return Access(*this, std::unique_lock(mutex_)); }

X11Connection::Access::Access(X11Connection& owner, std::unique_lock<std::mutex> lock)
    : owner_(&owner), lock_(std::move(lock)) {
    if (owner.lost_) owner.disconnect();
    if (!owner.display_) owner.connect();
    display_ = owner.display_;
    if (display_) InstallErrorHandlers();
}

int X11Connection::Access::sync() {
    if (!display_) return 0;
    XSync(display_, False);
    const int total = owner_->errorsSoFar();
    const int fresh = total - owner_->errorsSeen_;
    owner_->errorsSeen_ = total;
    if (owner_->lost_) display_ = nullptr;
    return fresh;
}

}  // namespace ketrel
