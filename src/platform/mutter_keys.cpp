#include "platform/mutter_keys.h"

#include <X11/keysym.h>
#include <dbus/dbus.h>

#include <chrono>
#include <thread>

#include "platform/x11_keys.h"

namespace ketrel {

namespace {

constexpr const char* kPath = "/org/gnome/Mutter/RemoteDesktop";
constexpr const char* kSessionInterface = "org.gnome.Mutter.RemoteDesktop.Session";
// The compositor answers at once; this only bounds one that hangs.
constexpr int kCallTimeoutMs = 2000;
// Long enough for the windows to take up a keyboard that has just joined the seat.
constexpr auto kSeatWait = std::chrono::milliseconds(50);

}  // namespace

std::unique_ptr<MutterKeyInjector> MutterKeyInjector::Create(const std::string& busAddress,
                                                             std::string* error) {
    std::unique_ptr<DbusBus> bus = DbusBus::Open(busAddress, error);
    if (!bus) return nullptr;
    // The compositor restarting (a crash, a new log-in on the same bus) ends every session.
    bus->addMatch(
        std::string("type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',"
                    "arg0='") +
        kService + "'");
    bus->addMatch(std::string("type='signal',interface='") + kSessionInterface +
                  "',member='Closed'");
    std::unique_ptr<MutterKeyInjector> keys(new MutterKeyInjector(std::move(bus)));
    std::lock_guard lock(keys->mutex_);
    // A session made now keeps the setting-up away from the first key.
    if (keys->bus_->hasOwner(kService)) keys->startSession(false);
    return keys;
}

std::string MutterKeyInjector::failure() const {
    std::lock_guard lock(mutex_);
    return lastFailure_;
}

bool MutterKeyInjector::startSession(bool beforeKey) {
    session_.clear();
    DbusReply created = bus_->call(
        dbus_message_new_method_call(kService, kPath, kService, "CreateSession"), kCallTimeoutMs);
    const std::string path = ReadArguments(created.message)[0].text;
    if (!created || path.empty()) {
        lastFailure_ = "no remote desktop session: " + created.why();
        return false;
    }
    DbusReply started =
        bus_->call(dbus_message_new_method_call(kService, path.c_str(), kSessionInterface, "Start"),
                   kCallTimeoutMs);
    if (!started) {
        lastFailure_ = "the remote desktop session did not start: " + started.why();
        return false;
    }
    session_ = path;
    // On a seat without a keyboard of its own (a PC with none plugged in) the session's
    // keyboard joins the seat with its first event, and the windows only then ask for keys:
    // events before that reach nobody. A lone Control is the key least likely to do anything
    // (a lone Shift switches many input methods between Chinese and English).
    sendKeysym(XK_Control_L, true, nullptr);
    sendKeysym(XK_Control_L, false, nullptr);
    if (beforeKey) std::this_thread::sleep_for(kSeatWait);
    return true;
}

void MutterKeyInjector::forgetEndedSession() {
    while (DBusMessage* signal = bus_->nextSignal(0)) {
        const char* path = dbus_message_get_path(signal);
        const bool closed =
            dbus_message_is_signal(signal, kSessionInterface, "Closed") && path && session_ == path;
        if (closed || dbus_message_is_signal(signal, DBUS_INTERFACE_DBUS, "NameOwnerChanged")) {
            session_.clear();
        }
        dbus_message_unref(signal);
    }
}

bool MutterKeyInjector::sendKeysym(unsigned keysym, bool pressed, DbusReply* failure) {
    DBusMessage* call = dbus_message_new_method_call(kService, session_.c_str(), kSessionInterface,
                                                     "NotifyKeyboardKeysym");
    if (!call) return false;
    const dbus_uint32_t sym = keysym;
    const dbus_bool_t state = pressed;
    dbus_message_append_args(call, DBUS_TYPE_UINT32, &sym, DBUS_TYPE_BOOLEAN, &state,
                             DBUS_TYPE_INVALID);
    DbusReply reply = bus_->call(call, kCallTimeoutMs);
    if (reply) return true;
    if (failure) *failure = std::move(reply);
    return false;
}

bool MutterKeyInjector::pressAndRelease(PcKey key) {
    const auto keysym = static_cast<unsigned>(X11KeyInjector::KeysymOf(key));
    std::lock_guard lock(mutex_);
    forgetEndedSession();
    // A session that ended without a word (its compositor gone and back between two keys)
    // shows as a failed press: that one is tried again in a new session.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (session_.empty() && !startSession(true)) return false;
        DbusReply failure;
        if (!sendKeysym(keysym, true, &failure)) {
            lastFailure_ = "the key was refused: " + failure.why();
            session_.clear();
            continue;
        }
        if (!sendKeysym(keysym, false, &failure)) {
            lastFailure_ = "the key's release was refused: " + failure.why();
            session_.clear();
            return false;
        }
        lastFailure_.clear();
        return true;
    }
    return false;
}

}  // namespace ketrel
