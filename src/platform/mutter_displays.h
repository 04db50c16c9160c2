#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dbus_bus.h"
#include "platform/monitor_layout.h"

namespace ketrel {

// The GNOME compositor's display configuration service on the session bus.
class MutterDisplayConfig : public MonitorLayer {
  public:
    static constexpr const char* kService = "org.gnome.Mutter.DisplayConfig";
    // How a configuration is applied: a temporary one lasts until the session ends; a
    // persistent one is stored for the next log-in, but GNOME Shell first asks whether to keep
    // it and goes back to the old modes unless someone answers within 20 seconds. The unit's
    // frame asks nobody and must not be undone behind the lecturer's back, so changes are
    // temporary unless told otherwise.
    enum class Method : std::uint32_t { Temporary = 1, Persistent = 2 };

    explicit MutterDisplayConfig(std::string busAddress, Method method = Method::Temporary)
        : address_(std::move(busAddress)), method_(method) {}

    bool read(monitors::Desktop& desktop, std::string& why) override;
    bool apply(const monitors::Desktop& desktop, std::string& why) override;

  private:
    bool connect(std::string& why);

    std::string address_;
    Method method_;
    std::unique_ptr<DbusBus> bus_;
    std::uint32_t serial_ = 0;  // of the state last read: a change made for an older one fails
    bool layoutModeChangeable_ = false;
    std::uint32_t layoutMode_ = 0;
};

}  // namespace ketrel
