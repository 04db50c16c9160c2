#include "platform/logind_power.h"

#include <dbus/dbus.h>

#include <cstdlib>

#include "platform/dbus_bus.h"

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
    std::string error;
    std::unique_ptr<DbusBus> bus = DbusBus::Open(address, &error);
    if (!bus) return error;
    DBusMessage* call = dbus_message_new_method_call(kService, kPath, kInterface, MethodOf(action));
    if (call) {
        const dbus_bool_t interactive = FALSE;
        dbus_message_append_args(call, DBUS_TYPE_BOOLEAN, &interactive, DBUS_TYPE_INVALID);
    }
    const DbusReply reply = bus->call(call, timeoutMs);
    return reply ? std::string() : reply.why();
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
