#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// libdbus's own types, declared here so that its header stays out of ours.
struct DBusConnection;
struct DBusMessage;
struct DBusMessageIter;

namespace ketrel {

// One value of a D-Bus message, read whole: a basic value, or the items of an array, a
// structure, a dictionary entry (key, value) or a variant (its one value).
struct DbusValue {
    int type = 0;  // DBUS_TYPE_*; 0 for a value that is not there
    std::string text;
    std::int64_t integer = 0;  // integers and booleans
    double real = 0;
    std::vector<DbusValue> items;

    // The i-th item, or an empty value when there is none, so that a reply of an unexpected
    // shape reads as missing values instead of failing.
    const DbusValue& operator[](std::size_t i) const;
    // In a dictionary: the value under key, with its variant unwrapped; an empty value if none.
    const DbusValue& get(const std::string& key) const;
    bool present() const { return type != 0; }
};

// The arguments of a message.
std::vector<DbusValue> ReadArguments(DBusMessage* message);

// Appends a{sv} with string and unsigned values, in the order given.
struct DbusOption {
    std::string key;
    std::string text;  // used when isText
    std::uint32_t number = 0;
    bool isText = false;
};
void AppendOptions(DBusMessageIter* iter, const std::vector<DbusOption>& options);

// A reply, or the error that came instead.
struct DbusReply {
    DbusReply() = default;
    DbusReply(DbusReply&& other) noexcept;
    DbusReply& operator=(DbusReply&& other) noexcept;
    ~DbusReply();
    explicit operator bool() const { return message != nullptr; }
    std::string why() const { return errorName + (errorText.empty() ? "" : ": " + errorText); }

    DBusMessage* message = nullptr;
    std::string errorName;
    std::string errorText;
};

// A private connection to a message bus: closing it never takes another part of the program's
// connection down, and a lost bus never ends the process (libdbus's shared connection would
// exit on disconnect). One thread at a time.
class DbusBus {
  public:
    // Null, with the reason, when the bus cannot be reached.
    static std::unique_ptr<DbusBus> Open(const std::string& address, std::string* error);
    ~DbusBus();
    DbusBus(const DbusBus&) = delete;
    DbusBus& operator=(const DbusBus&) = delete;

    // DBUS_SESSION_BUS_ADDRESS, else the user's bus in XDG_RUNTIME_DIR when it is there; empty
    // when there is none.
    static std::string SessionBusAddress();

    // Sends call (released here) and waits for its reply.
    DbusReply call(DBusMessage* call, int timeoutMs);
    bool hasOwner(const std::string& name);
    bool addMatch(const std::string& rule);
    // The next signal that came in, waiting up to timeoutMs for one (0: only what is queued);
    // null when none came or the bus is gone. The caller unrefs it.
    DBusMessage* nextSignal(int timeoutMs);
    bool connected() const;
    std::string uniqueName() const;

  private:
    explicit DbusBus(DBusConnection* connection) : connection_(connection) {}
    DBusConnection* connection_;
};

}  // namespace ketrel
