#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/dbus_bus.h"
#include "platform/key_injector.h"

namespace ketrel {

// Keys through the GNOME compositor's remote desktop service on the session bus: one session,
// held on our own connection for the program's life (the compositor ends it with the
// connection), and made again when the compositor restarts.
class MutterKeyInjector : public KeyInjector {
  public:
    static constexpr const char* kService = "org.gnome.Mutter.RemoteDesktop";

    // Null, with the reason, when the session bus cannot be reached. The session is started at
    // once when the compositor is there, else at the first key.
    static std::unique_ptr<MutterKeyInjector> Create(const std::string& busAddress,
                                                     std::string* error = nullptr);

    bool pressAndRelease(PcKey key) override;

    std::string failure() const override;

  private:
    explicit MutterKeyInjector(std::unique_ptr<DbusBus> bus) : bus_(std::move(bus)) {}
    // beforeKey: a key follows at once, so the new keyboard is given time to reach the windows.
    bool startSession(bool beforeKey);
    void forgetEndedSession();
    bool sendKeysym(unsigned keysym, bool pressed, DbusReply* failure);

    std::unique_ptr<DbusBus> bus_;
    mutable std::mutex mutex_;
    std::string session_;  // object path; empty: none
    std::string lastFailure_;
};

}  // namespace ketrel
