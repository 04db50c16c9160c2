#include "fake_login1.h"

#include <dbus/dbus.h>

namespace ketrel::test {

FakeLogin1::~FakeLogin1() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (connection_) {
        auto* c = static_cast<DBusConnection*>(connection_);
        dbus_connection_close(c);
        dbus_connection_unref(c);
    }
}

bool FakeLogin1::start(const std::string& address, std::string* error) {
    dbus_threads_init_default();
    DBusError e;
    dbus_error_init(&e);
    DBusConnection* c = dbus_connection_open_private(address.c_str(), &e);
    if (c) connection_ = c;
    if (!c || !dbus_bus_register(c, &e) ||
        dbus_bus_request_name(c, "org.freedesktop.login1", DBUS_NAME_FLAG_DO_NOT_QUEUE, &e) !=
            DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
        *error = e.message ? e.message : "cannot own org.freedesktop.login1";
        dbus_error_free(&e);
        return false;
    }
    thread_ = std::thread([this] { serve(); });
    return true;
}

std::vector<FakeLogin1::Call> FakeLogin1::waitForCalls(std::size_t count,
                                                       std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return calls_.size() >= count; });
    return calls_;
}

void FakeLogin1::serve() {
    auto* c = static_cast<DBusConnection*>(connection_);
    while (!stop_ && dbus_connection_read_write(c, 20)) {
        while (DBusMessage* m = dbus_connection_pop_message(c)) {
            const char* member = dbus_message_get_member(m);
            if (dbus_message_get_type(m) == DBUS_MESSAGE_TYPE_METHOD_CALL &&
                dbus_message_has_path(m, "/org/freedesktop/login1") &&
                dbus_message_has_interface(m, "org.freedesktop.login1.Manager")) {
                Call call{member ? member : "", dbus_message_get_signature(m), true};
                dbus_bool_t interactive = TRUE;
                if (dbus_message_get_args(m, nullptr, DBUS_TYPE_BOOLEAN, &interactive,
                                          DBUS_TYPE_INVALID)) {
                    call.interactive = interactive;
                }
                DBusMessage* reply =
                    refuse_ ? dbus_message_new_error(m, DBUS_ERROR_ACCESS_DENIED,
                                                     "Interactive authentication required.")
                            : dbus_message_new_method_return(m);
                dbus_connection_send(c, reply, nullptr);
                dbus_connection_flush(c);
                dbus_message_unref(reply);
                {
                    std::lock_guard lock(mutex_);
                    calls_.push_back(call);
                }
                changed_.notify_all();
            }
            dbus_message_unref(m);
        }
    }
}

}  // namespace ketrel::test
