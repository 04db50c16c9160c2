#include "platform/logind_power.h"

#include <dbus/dbus.h>

#include <cstdlib>

namespace ketrel {

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kInterface = "org.freedesktop.login1.Manager";
constexpr const char* kDefaultSystemBus = "unix:path=/var/run/dbus/system_bus_socket";
// A refused call is answered at once; this only bounds a bus that does not answer at all.
constexpr int kCallTimeoutMs = 10000;
// Frames that arrive while the bus is slow must not pile up without end.
constexpr std::size_t kMaxQueued = 8;

struct Error {
    Error() { dbus_error_init(&e); }
    ~Error() { dbus_error_free(&e); }
    std::string text() const {
        return std::string(e.name ? e.name : "") + (e.message ? std::string(": ") + e.message : "");
    }
    DBusError e;
};

const char* MethodOf(LogindPower::Action action) {
    return action == LogindPower::Action::PowerOff ? "PowerOff" : "Reboot";
}

}  // namespace

LogindPower::LogindPower(std::ostream& err) : err_(err) {
    dbus_threads_init_default();
    worker_ = std::thread([this] { run(); });
}

LogindPower::~LogindPower() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void LogindPower::request(Action action) {
    {
        std::lock_guard lock(mutex_);
        if (queue_.size() >= kMaxQueued) return;
        queue_.push_back(action);
    }
    wake_.notify_all();
}

void LogindPower::waitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

std::string LogindPower::SystemBusAddress() {
    // Read at every call, not cached as libdbus's shared bus does: a test may point it
    // elsewhere, and the system bus may have restarted meanwhile.
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    return address && *address ? address : kDefaultSystemBus;
}

std::string LogindPower::Call(const std::string& address, Action action, int timeoutMs) {
    Error error;
    // A private connection: closing it never takes another user's connection down, and a
    // lost bus never ends the process (the shared one would exit on disconnect).
    DBusConnection* bus = dbus_connection_open_private(address.c_str(), &error.e);
    if (!bus) return error.text();
    dbus_connection_set_exit_on_disconnect(bus, FALSE);
    std::string result;
    if (!dbus_bus_register(bus, &error.e)) {
        result = error.text();
    } else if (DBusMessage* call =
                   dbus_message_new_method_call(kService, kPath, kInterface, MethodOf(action))) {
        const dbus_bool_t interactive = FALSE;
        dbus_message_append_args(call, DBUS_TYPE_BOOLEAN, &interactive, DBUS_TYPE_INVALID);
        DBusMessage* reply =
            dbus_connection_send_with_reply_and_block(bus, call, timeoutMs, &error.e);
        if (reply) {
            dbus_message_unref(reply);
        } else {
            result = error.text();
        }
        dbus_message_unref(call);
    } else {
        result = "out of memory";
    }
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
    return result;
}

void LogindPower::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) break;
        const Action action = queue_.front();
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        const std::string failure = Call(SystemBusAddress(), action, kCallTimeoutMs);
        lock.lock();
        busy_ = false;
        if (!failure.empty() && !refusalWritten_) {
            refusalWritten_ = true;
            err_ << "ketrel: the system did not "
                 << (action == Action::PowerOff ? "shut down" : "restart") << ": " << failure
                 << std::endl;
        }
        idle_.notify_all();
    }
    // Requests still queued at the end are dropped: the program is closing.
    queue_.clear();
    idle_.notify_all();
}

}  // namespace ketrel
