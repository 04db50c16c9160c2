#pragma once

#include <memory>

#include "platform/key_injector.h"
#include "platform/x11_connection.h"

namespace ketrel {

// Keys through the X server's XTEST extension: the server delivers them as if typed, to the
// window that has the focus.
class X11KeyInjector : public KeyInjector {
  public:
    // Null when the server has no XTEST extension.
    static std::unique_ptr<X11KeyInjector> Create(std::shared_ptr<X11Connection> connection);

    bool pressAndRelease(PcKey key) override;

    // The keysym each key is sent as.
    static unsigned long KeysymOf(PcKey key);

  private:
    explicit X11KeyInjector(std::shared_ptr<X11Connection> connection)
        : connection_(std::move(connection)) {}

    std::shared_ptr<X11Connection> connection_;
};

}  // namespace ketrel
