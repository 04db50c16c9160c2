#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/dbus_bus.h"
#include "platform/key_injector.h"

namespace ketrel {

// Keys through the desktop portal's remote desktop service, for Wayland desktops that offer
// no other way (KDE Plasma, wlroots compositors with a portal). The portal asks the user once
// whether the program may send keys; its answer is kept as a restore token in tokenFile, so
// that later starts of the program are not asked again where the portal can keep answers.
class PortalKeyInjector : public KeyInjector {
  public:
    // Null, with the reason, when the bus cannot be reached or its portal offers no keyboard.
    // The session is set up on a thread of its own, since the portal waits for the user.
    static std::unique_ptr<PortalKeyInjector> Create(const std::string& busAddress,
                                                     std::string tokenFile,
                                                     std::string* error = nullptr);
    ~PortalKeyInjector() override;

    // False while the user has not answered, after a refusal and when the portal is gone.
    bool pressAndRelease(PcKey key) override;
    std::string failure() const override;

  private:
    PortalKeyInjector(std::unique_ptr<DbusBus> bus, std::string tokenFile);
    void setUp();
    // Calls method on the portal and waits for its request's answer; the results on success.
    bool request(const std::string& method, const std::string& session,
                 std::vector<DbusOption> options, DbusValue& results);
    void fail(const std::string& why);

    std::unique_ptr<DbusBus> bus_;  // the setting-up thread's until ready_, then the keys'
    std::string tokenFile_;
    std::string session_;
    std::atomic<bool> ready_{false};
    std::atomic<bool> stopping_{false};
    std::thread setUpThread_;
    std::mutex keysMutex_;  // keeps each press and release together
    mutable std::mutex mutex_;
    std::string failure_;
    unsigned requests_ = 0;
};

}  // namespace ketrel
