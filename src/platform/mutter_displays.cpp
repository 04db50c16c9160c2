#include "platform/mutter_displays.h"

#include <dbus/dbus.h>

namespace ketrel {

namespace {

constexpr const char* kPath = "/org/gnome/Mutter/DisplayConfig";
// A mode change can take the compositor a moment (the picture is set up again).
constexpr int kCallTimeoutMs = 10000;
constexpr std::uint32_t kLayoutScaled = 1;

}  // namespace

bool MutterDisplayConfig::connect(std::string& why) {
    // A bus connection that broke (the session's bus restarted) is made again.
    if (bus_ && bus_->connected()) return true;
    bus_ = DbusBus::Open(address_, &why);
    return bus_ != nullptr;
}

bool MutterDisplayConfig::read(monitors::Desktop& desktop, std::string& why) {
    if (!connect(why)) return false;
    DbusReply reply = bus_->call(
        dbus_message_new_method_call(kService, kPath, kService, "GetCurrentState"), kCallTimeoutMs);
    if (!reply) {
        why = reply.why();
        return false;
    }
    const std::vector<DbusValue> state = ReadArguments(reply.message);
    serial_ = static_cast<std::uint32_t>(state[0].integer);
    desktop = {};
    // a((ssss)a(siiddada{sv})a{sv}): the monitor's names, its modes, its properties
    for (const auto& m : state[1].items) {
        monitors::Monitor monitor;
        monitor.name = m[0][0].text;
        for (const auto& mode : m[1].items) {
            monitors::Mode parsed{mode[0].text,
                                  static_cast<int>(mode[1].integer),
                                  static_cast<int>(mode[2].integer),
                                  mode[3].real,
                                  mode[4].real,
                                  {}};
            for (const auto& scale : mode[5].items) parsed.scales.push_back(scale.real);
            if (mode[6].get("is-current").integer) monitor.mode = parsed.id;
            monitor.modes.push_back(std::move(parsed));
        }
        desktop.monitors.push_back(std::move(monitor));
    }
    // a(iiduba(ssss)a{sv}): position, scale, transform, primary, the monitors it shows
    for (const auto& l : state[2].items) {
        monitors::Region region{static_cast<int>(l[0].integer),
                                static_cast<int>(l[1].integer),
                                l[2].real,
                                static_cast<unsigned>(l[3].integer),
                                l[4].integer != 0,
                                {}};
        for (const auto& m : l[5].items) region.monitors.push_back(m[0].text);
        desktop.regions.push_back(std::move(region));
    }
    layoutMode_ = static_cast<std::uint32_t>(state[3].get("layout-mode").integer);
    layoutModeChangeable_ = state[3].get("supports-changing-layout-mode").integer != 0;
    desktop.scaledLayout = layoutMode_ == kLayoutScaled;
    return true;
}

bool MutterDisplayConfig::apply(const monitors::Desktop& desktop, std::string& why) {
    if (!connect(why)) return false;
    DBusMessage* call =
        dbus_message_new_method_call(kService, kPath, kService, "ApplyMonitorsConfig");
    if (!call) return false;
    DBusMessageIter args, regions;
    dbus_message_iter_init_append(call, &args);
    const dbus_uint32_t serial = serial_;
    const auto method = static_cast<dbus_uint32_t>(method_);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &serial);
    dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &method);
    // a(iiduba(ssa{sv})): each region and, for each monitor it shows, the mode to show
    dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "(iiduba(ssa{sv}))", &regions);
    for (const auto& r : desktop.regions) {
        DBusMessageIter region, shown;
        const dbus_int32_t x = r.x, y = r.y;
        const double scale = r.scale;
        const dbus_uint32_t transform = r.transform;
        const dbus_bool_t primary = r.primary;
        dbus_message_iter_open_container(&regions, DBUS_TYPE_STRUCT, nullptr, &region);
        dbus_message_iter_append_basic(&region, DBUS_TYPE_INT32, &x);
        dbus_message_iter_append_basic(&region, DBUS_TYPE_INT32, &y);
        dbus_message_iter_append_basic(&region, DBUS_TYPE_DOUBLE, &scale);
        dbus_message_iter_append_basic(&region, DBUS_TYPE_UINT32, &transform);
        dbus_message_iter_append_basic(&region, DBUS_TYPE_BOOLEAN, &primary);
        dbus_message_iter_open_container(&region, DBUS_TYPE_ARRAY, "(ssa{sv})", &shown);
        for (const auto& name : r.monitors) {
            std::string modeId;
            for (const auto& m : desktop.monitors) {
                if (m.name == name) modeId = m.mode;
            }
            DBusMessageIter monitor;
            const char* connector = name.c_str();
            const char* mode = modeId.c_str();
            dbus_message_iter_open_container(&shown, DBUS_TYPE_STRUCT, nullptr, &monitor);
            dbus_message_iter_append_basic(&monitor, DBUS_TYPE_STRING, &connector);
            dbus_message_iter_append_basic(&monitor, DBUS_TYPE_STRING, &mode);
            AppendOptions(&monitor, {});
            dbus_message_iter_close_container(&shown, &monitor);
        }
        dbus_message_iter_close_container(&region, &shown);
        dbus_message_iter_close_container(&regions, &region);
    }
    dbus_message_iter_close_container(&args, &regions);
    // Kept as it is; the compositor would otherwise take its default.
    std::vector<DbusOption> properties;
    if (layoutModeChangeable_ && layoutMode_ != 0)
        properties.push_back({"layout-mode", {}, layoutMode_});
    AppendOptions(&args, properties);
    DbusReply reply = bus_->call(call, kCallTimeoutMs);
    if (!reply) why = reply.why();
    return static_cast<bool>(reply);
}

}  // namespace ketrel
