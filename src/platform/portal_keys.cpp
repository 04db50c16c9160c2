#include "platform/portal_keys.h"

#include <dbus/dbus.h>
#include <sys/stat.h>

#include "platform/safe_file.h"
#include "platform/x11_keys.h"

namespace ketrel {

namespace {

constexpr const char* kService = "org.freedesktop.portal.Desktop";
constexpr const char* kPath = "/org/freedesktop/portal/desktop";
constexpr const char* kInterface = "org.freedesktop.portal.RemoteDesktop";
constexpr const char* kSessionInterface = "org.freedesktop.portal.Session";
constexpr std::uint32_t kKeyboard = 1;
constexpr std::uint32_t kPersistUntilRevoked = 2;
constexpr int kCallTimeoutMs = 5000;
// How often the wait for the user's answer looks whether the program is closing.
constexpr int kAnswerPollMs = 200;

// Makes the folders of path that are missing, for the user alone.
void MakeParents(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0700);
    }
}

}  // namespace

PortalKeyInjector::PortalKeyInjector(std::unique_ptr<DbusBus> bus, std::string tokenFile)
    : bus_(std::move(bus)),
      tokenFile_(std::move(tokenFile)),
      failure_("the desktop has not yet allowed the program to send keys") {}

std::unique_ptr<PortalKeyInjector> PortalKeyInjector::Create(const std::string& busAddress,
                                                             std::string tokenFile,
                                                             std::string* error) {
    std::unique_ptr<DbusBus> bus = DbusBus::Open(busAddress, error);
    if (!bus) return nullptr;
    DBusMessage* get =
        dbus_message_new_method_call(kService, kPath, DBUS_INTERFACE_PROPERTIES, "Get");
    const char* interface = kInterface;
    const char* property = "AvailableDeviceTypes";
    if (get) {
        dbus_message_append_args(get, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &property,
                                 DBUS_TYPE_INVALID);
    }
    // Asking also starts the portal when the bus starts it on demand.
    DbusReply types = bus->call(get, kCallTimeoutMs);
    if (!types) {
        if (error) *error = "no remote desktop portal (" + types.why() + ")";
        return nullptr;
    }
    if ((ReadArguments(types.message)[0][0].integer & kKeyboard) == 0) {
        if (error) *error = "the remote desktop portal offers no keyboard";
        return nullptr;
    }
    bus->addMatch("type='signal',interface='org.freedesktop.portal.Request',member='Response'");
    bus->addMatch(std::string("type='signal',interface='") + kSessionInterface +
                  "',member='Closed'");
    std::unique_ptr<PortalKeyInjector> keys(
        new PortalKeyInjector(std::move(bus), std::move(tokenFile)));
    keys->setUpThread_ = std::thread([k = keys.get()] { k->setUp(); });
    return keys;
}

PortalKeyInjector::~PortalKeyInjector() {
    stopping_ = true;
    if (setUpThread_.joinable()) setUpThread_.join();
}

void PortalKeyInjector::fail(const std::string& why) {
    std::lock_guard lock(mutex_);
    failure_ = why;
}

std::string PortalKeyInjector::failure() const {
    std::lock_guard lock(mutex_);
    return failure_;
}

bool PortalKeyInjector::request(const std::string& method, const std::string& session,
                                std::vector<DbusOption> options, DbusValue& results) {
    options.push_back({"handle_token", "ketrel" + std::to_string(++requests_), 0, true});
    DBusMessage* call = dbus_message_new_method_call(kService, kPath, kInterface, method.c_str());
    if (!call) return false;
    DBusMessageIter args;
    dbus_message_iter_init_append(call, &args);
    if (!session.empty()) {
        const char* path = session.c_str();
        dbus_message_iter_append_basic(&args, DBUS_TYPE_OBJECT_PATH, &path);
    }
    if (method == "Start") {
        const char* parentWindow = "";
        dbus_message_iter_append_basic(&args, DBUS_TYPE_STRING, &parentWindow);
    }
    AppendOptions(&args, options);
    DbusReply reply = bus_->call(call, kCallTimeoutMs);
    const std::string handle = ReadArguments(reply.message)[0].text;
    if (!reply || handle.empty()) {
        fail("the remote desktop portal refused " + method + " (" + reply.why() + ")");
        return false;
    }
    // The answer comes as a signal, once the portal (or the user) has decided.
    while (!stopping_) {
        DBusMessage* signal = bus_->nextSignal(kAnswerPollMs);
        if (!signal) {
            if (bus_->connected()) continue;
            fail("the session bus went away");
            return false;
        }
        const char* path = dbus_message_get_path(signal);
        const bool mine =
            dbus_message_is_signal(signal, "org.freedesktop.portal.Request", "Response") && path &&
            handle == path;
        std::vector<DbusValue> answer = mine ? ReadArguments(signal) : std::vector<DbusValue>{};
        dbus_message_unref(signal);
        if (!mine) continue;
        if (answer[0].integer == 0) {
            results = std::move(answer[1]);
            return true;
        }
        fail(answer[0].integer == 1 ? "the user did not allow the program to send keys"
                                    : "the remote desktop portal ended " + method);
        return false;
    }
    return false;
}

void PortalKeyInjector::setUp() {
    std::string token, reason;
    ReadRegularFile(tokenFile_, 4096, token, reason);
    DbusValue results;
    // A session made again after the desktop ended one needs a name of its own.
    const std::string name = "ketrel" + std::to_string(requests_);
    if (!request("CreateSession", {}, {{"session_handle_token", name, 0, true}}, results)) return;
    session_ = results.get("session_handle").text;
    std::vector<DbusOption> devices = {{"types", {}, kKeyboard, false},
                                       {"persist_mode", {}, kPersistUntilRevoked, false}};
    if (!token.empty()) devices.push_back({"restore_token", token, 0, true});
    if (!request("SelectDevices", session_, devices, results)) return;
    if (!request("Start", session_, {}, results)) return;
    if ((results.get("devices").integer & kKeyboard) == 0) {
        fail("the user did not allow the program to send keys");
        return;
    }
    // Each token is good for one start; the next start needs the new one.
    const std::string next = results.get("restore_token").text;
    if (!tokenFile_.empty() && !next.empty() && next != token) {
        MakeParents(tokenFile_);
        if (!WriteFileWhole(tokenFile_, next, reason)) {
            fail("the portal's permission cannot be kept in " + tokenFile_ + ": " + reason);
        }
    }
    ready_ = true;
}

bool PortalKeyInjector::pressAndRelease(PcKey key) {
    if (!ready_) return false;
    std::lock_guard lock(keysMutex_);
    bool closed = false;
    while (DBusMessage* signal = bus_->nextSignal(0)) {
        const char* path = dbus_message_get_path(signal);
        closed = closed || (dbus_message_is_signal(signal, kSessionInterface, "Closed") && path &&
                            session_ == path);
        dbus_message_unref(signal);
    }
    if (closed || !bus_->connected()) {
        // Set up again, with the token kept: the user is not asked again where the portal can
        // restore the permission.
        ready_ = false;
        fail("the desktop ended the program's key session; it is being asked again");
        if (setUpThread_.joinable()) setUpThread_.join();
        setUpThread_ = std::thread([this] { setUp(); });
        return false;
    }
    const auto keysym = static_cast<dbus_int32_t>(X11KeyInjector::KeysymOf(key));
    for (const dbus_uint32_t state : {1u, 0u}) {
        DBusMessage* call =
            dbus_message_new_method_call(kService, kPath, kInterface, "NotifyKeyboardKeysym");
        if (!call) return false;
        DBusMessageIter args;
        const char* session = session_.c_str();
        dbus_message_iter_init_append(call, &args);
        dbus_message_iter_append_basic(&args, DBUS_TYPE_OBJECT_PATH, &session);
        AppendOptions(&args, {});
        dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &keysym);
        dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &state);
        DbusReply reply = bus_->call(call, kCallTimeoutMs);
        if (!reply) {
            fail("the remote desktop portal refused the key (" + reply.why() + ")");
            return false;
        }
    }
    return true;
}

}  // namespace ketrel
