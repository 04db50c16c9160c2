#include "platform/uinput_keys.h"

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ketrel {

namespace {

constexpr PcKey kAllKeys[] = {PcKey::PageUp, PcKey::PageDown, PcKey::Space, PcKey::PlayPause,
                              PcKey::Stop};

}  // namespace

int UinputKeyInjector::KeyCodeOf(PcKey key) {
    switch (key) {
        case PcKey::PageUp:
            return KEY_PAGEUP;
        case PcKey::PageDown:
            return KEY_PAGEDOWN;
        case PcKey::Space:
            return KEY_SPACE;
        case PcKey::PlayPause:
            return KEY_PLAYPAUSE;
        case PcKey::Stop:
            // KEY_STOP is the "Stop" (cancel) key of old keyboards; the media stop key is this.
            return KEY_STOPCD;
    }
    return KEY_RESERVED;
}

std::unique_ptr<UinputKeyInjector> UinputKeyInjector::Create(const std::string& devicePath,
                                                             std::string* error) {
    auto fail = [&](int fd) -> std::unique_ptr<UinputKeyInjector> {
        if (error) *error = devicePath + ": " + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    };
    const int fd = ::open(devicePath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(fd);
    if (ioctl(fd, UI_SET_EVBIT, EV_KEY) != 0) return fail(fd);
    for (PcKey key : kAllKeys) {
        if (ioctl(fd, UI_SET_KEYBIT, KeyCodeOf(key)) != 0) return fail(fd);
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1d6b;  // the Linux Foundation's id, as virtual devices use
    setup.id.product = 0x4b54;
    std::strncpy(setup.name, "ketrel unit keys", UINPUT_MAX_NAME_SIZE - 1);
    if (ioctl(fd, UI_DEV_SETUP, &setup) != 0) return fail(fd);
    if (ioctl(fd, UI_DEV_CREATE) != 0) return fail(fd);
    // The compositor picks the new keyboard up shortly; creating it at start-up rather than at
    // the first key keeps that delay away from the first press.
    return std::make_unique<UinputKeyInjector>(fd);
}

UinputKeyInjector::~UinputKeyInjector() {
    if (fd_ < 0) return;
    ioctl(fd_, UI_DEV_DESTROY);
    ::close(fd_);
}

bool UinputKeyInjector::pressAndRelease(PcKey key) {
    const int code = KeyCodeOf(key);
    // Press and release each in a frame of its own, as a real keyboard reports them.
    input_event events[4] = {};
    events[0].type = EV_KEY;
    events[0].code = static_cast<__u16>(code);
    events[0].value = 1;
    events[1].type = EV_SYN;
    events[1].code = SYN_REPORT;
    events[2].type = EV_KEY;
    events[2].code = static_cast<__u16>(code);
    events[2].value = 0;
    events[3].type = EV_SYN;
    events[3].code = SYN_REPORT;
    std::lock_guard lock(mutex_);
    const char* data = reinterpret_cast<const char*>(events);
    std::size_t done = 0;
    while (done < sizeof events) {
        const ssize_t n = ::write(fd_, data + done, sizeof events - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace ketrel
