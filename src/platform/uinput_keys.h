#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/key_injector.h"

namespace ketrel {

// Keys through a virtual keyboard of the kernel's uinput device. Works under any display
// server (a Wayland compositor reads it like a real keyboard), given write access to
// /dev/uinput.
class UinputKeyInjector : public KeyInjector {
  public:
    // Creates the virtual keyboard; null (and the reason in *error) when the device cannot be
    // opened or set up.
    static std::unique_ptr<UinputKeyInjector> Create(const std::string& devicePath,
                                                     std::string* error = nullptr);
    // Writes the key events to fd, which it owns from now on; for a device already set up, or
    // a pipe in a test.
    explicit UinputKeyInjector(int fd) : fd_(fd) {}
    ~UinputKeyInjector() override;
    UinputKeyInjector(const UinputKeyInjector&) = delete;
    UinputKeyInjector& operator=(const UinputKeyInjector&) = delete;

    bool pressAndRelease(PcKey key) override;

    // The kernel key code each key is sent as.
    static int KeyCodeOf(PcKey key);

  private:
    int fd_;
    std::mutex mutex_;  // keeps each press and release together
};

}  // namespace ketrel
