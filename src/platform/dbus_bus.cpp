#include "platform/dbus_bus.h"

#include <dbus/dbus.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace ketrel {

namespace {

DbusValue ReadValue(DBusMessageIter* iter) {
    DbusValue v;
    v.type = dbus_message_iter_get_arg_type(iter);
    if (dbus_type_is_container(v.type)) {
        DBusMessageIter sub;
        dbus_message_iter_recurse(iter, &sub);
        while (dbus_message_iter_get_arg_type(&sub) != DBUS_TYPE_INVALID) {
            v.items.push_back(ReadValue(&sub));
            dbus_message_iter_next(&sub);
        }
        return v;
    }
    DBusBasicValue basic{};
    dbus_message_iter_get_basic(iter, &basic);
    switch (v.type) {
        case DBUS_TYPE_STRING:
        case DBUS_TYPE_OBJECT_PATH:
        case DBUS_TYPE_SIGNATURE:
            v.text = basic.str ? basic.str : "";
            break;
        case DBUS_TYPE_DOUBLE:
            v.real = basic.dbl;
            break;
        case DBUS_TYPE_BYTE:
            v.integer = basic.byt;
            break;
        case DBUS_TYPE_BOOLEAN:
            v.integer = basic.bool_val;
            break;
        case DBUS_TYPE_INT16:
            v.integer = basic.i16;
            break;
        case DBUS_TYPE_UINT16:
            v.integer = basic.u16;
            break;
        case DBUS_TYPE_INT32:
            v.integer = basic.i32;
            break;
        case DBUS_TYPE_UINT32:
            v.integer = basic.u32;
            break;
        case DBUS_TYPE_INT64:
            v.integer = basic.i64;
            break;
        case DBUS_TYPE_UINT64:
            v.integer = static_cast<std::int64_t>(basic.u64);
            break;
        default:
            break;
    }
    return v;
}

const DbusValue kMissing;

struct Error {
    Error() { dbus_error_init(&e); }
    ~Error() { dbus_error_free(&e); }
    std::string text() const {
        return std::string(e.name ? e.name : "") + (e.message ? std::string(": ") + e.message : "");
    }
    DBusError e;
};

}  // namespace

const DbusValue& DbusValue::operator[](std::size_t i) const {
    return i < items.size() ? items[i] : kMissing;
}

const DbusValue& DbusValue::get(const std::string& key) const {
    for (const auto& entry : items) {
        if (entry.type == DBUS_TYPE_DICT_ENTRY && entry[0].text == key) {
            const DbusValue& value = entry[1];
            return value.type == DBUS_TYPE_VARIANT ? value[0] : value;
        }
    }
    return kMissing;
}

std::vector<DbusValue> ReadArguments(DBusMessage* message) {
    std::vector<DbusValue> args;
    DBusMessageIter iter;
    if (!message || !dbus_message_iter_init(message, &iter)) return args;
    while (dbus_message_iter_get_arg_type(&iter) != DBUS_TYPE_INVALID) {
        args.push_back(ReadValue(&iter));
        dbus_message_iter_next(&iter);
    }
    return args;
}

void AppendOptions(DBusMessageIter* iter, const std::vector<DbusOption>& options) {
    DBusMessageIter dict;
    dbus_message_iter_open_container(iter, DBUS_TYPE_ARRAY, "{sv}", &dict);
    for (const auto& option : options) {
        DBusMessageIter entry;
        DBusMessageIter variant;
        const char* key = option.key.c_str();
        dbus_message_iter_open_container(&dict, DBUS_TYPE_DICT_ENTRY, nullptr, &entry);
        dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &key);
        if (option.isText) {
            const char* text = option.text.c_str();
            dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "s", &variant);
            dbus_message_iter_append_basic(&variant, DBUS_TYPE_STRING, &text);
        } else {
            dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "u", &variant);
            dbus_message_iter_append_basic(&variant, DBUS_TYPE_UINT32, &option.number);
        }
        dbus_message_iter_close_container(&entry, &variant);
        dbus_message_iter_close_container(&dict, &entry);
    }
    dbus_message_iter_close_container(iter, &dict);
}

DbusReply::DbusReply(DbusReply&& other) noexcept
    : message(other.message),
      errorName(std::move(other.errorName)),
      errorText(std::move(other.errorText)) {
    other.message = nullptr;
}

DbusReply& DbusReply::operator=(DbusReply&& other) noexcept {
    std::swap(message, other.message);
    errorName = std::move(other.errorName);
    errorText = std::move(other.errorText);
    return *this;
}

DbusReply::~DbusReply() {
    if (message) dbus_message_unref(message);
}

std::unique_ptr<DbusBus> DbusBus::Open(const std::string& address, std::string* error) {
    dbus_threads_init_default();
    Error e;
    DBusConnection* c =
        address.empty() ? nullptr : dbus_connection_open_private(address.c_str(), &e.e);
    if (!c) {
        if (error) *error = address.empty() ? "no bus to connect to" : e.text();
        return nullptr;
    }
    dbus_connection_set_exit_on_disconnect(c, FALSE);
    std::unique_ptr<DbusBus> bus(new DbusBus(c));
    if (!dbus_bus_register(c, &e.e)) {
        if (error) *error = e.text();
        return nullptr;
    }
    return bus;
}

DbusBus::~DbusBus() {
    dbus_connection_close(connection_);
    dbus_connection_unref(connection_);
}

std::string DbusBus::SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return address;
    // Where systemd's user bus lives; the variable is not always passed on to autostarted
    // programs.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        const std::string path = std::string(runtime) + "/bus";
        if (::access(path.c_str(), R_OK | W_OK) == 0) return "unix:path=" + path;
    }
    return {};
}

DbusReply DbusBus::call(DBusMessage* call, int timeoutMs) {
    DbusReply reply;
    if (!call) {
        reply.errorName = "out of memory";
        return reply;
    }
    Error e;
    reply.message = dbus_connection_send_with_reply_and_block(connection_, call, timeoutMs, &e.e);
    dbus_message_unref(call);
    if (!reply.message) {
        reply.errorName = e.e.name ? e.e.name : DBUS_ERROR_FAILED;
        reply.errorText = e.e.message ? e.e.message : "";
    }
    return reply;
}

bool DbusBus::hasOwner(const std::string& name) {
    Error e;
    return dbus_bus_name_has_owner(connection_, name.c_str(), &e.e);
}

bool DbusBus::addMatch(const std::string& rule) {
    Error e;
    dbus_bus_add_match(connection_, rule.c_str(), &e.e);
    return !dbus_error_is_set(&e.e);
}

DBusMessage* DbusBus::nextSignal(int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Replies are taken by the calls that wait for them; anything else queued here is a
        // signal asked for, or a call to us that nobody answers.
        while (DBusMessage* m = dbus_connection_pop_message(connection_)) {
            if (dbus_message_get_type(m) == DBUS_MESSAGE_TYPE_SIGNAL) return m;
            dbus_message_unref(m);
        }
        const long left = std::max<long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count());
        if (!dbus_connection_read_write(connection_, static_cast<int>(left))) return nullptr;
        if (left == 0 &&
            dbus_connection_get_dispatch_status(connection_) != DBUS_DISPATCH_DATA_REMAINS) {
            return nullptr;
        }
    }
}

bool DbusBus::connected() const { return dbus_connection_get_is_connected(connection_); }

std::string DbusBus::uniqueName() const {
    const char* name = dbus_bus_get_unique_name(connection_);
    return name ? name : "";
}

}  // namespace ketrel
