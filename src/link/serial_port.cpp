#include "link/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "link/traffic_log.h"
#include "platform/text_util.h"

namespace ketrel {

namespace {
std::atomic<TrafficObserver*> g_defaultObserver{nullptr};
}  // namespace

void SerialPort::SetDefaultTrafficObserver(TrafficObserver* observer) {
    g_defaultObserver.store(observer, std::memory_order_release);
}

TrafficObserver* SerialPort::DefaultTrafficObserver() {
    return g_defaultObserver.load(std::memory_order_acquire);
}

SerialPort::~SerialPort() { close(); }

std::string SerialPort::DevicePath(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    if (name.size() > 3 && EqualsNoCase(name.substr(0, 3), "COM")) {
        const std::string digits = name.substr(3);
        bool allDigits = digits.size() <= 6;
        for (char c : digits) allDigits = allDigits && c >= '0' && c <= '9';
        if (allDigits) {
            const long n = std::stol(digits);
            if (n >= 1) return "/dev/ttyS" + std::to_string(n - 1);
        }
    }
    return "/dev/" + name;
}

namespace {
PortOpenFailure FailureOf(int err) {
    switch (err) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
        case ENAMETOOLONG:
            return PortOpenFailure::NotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return PortOpenFailure::PermissionDenied;
        case EBUSY:
        case EWOULDBLOCK:
            return PortOpenFailure::InUse;
        case EISDIR:
        case ENOTTY:
            return PortOpenFailure::NotASerialPort;
        default:
            return PortOpenFailure::Other;
    }
}
}  // namespace

bool SerialPort::open(const std::string& name) {
    close();
    failure_ = PortOpenFailure::None;
    error_.clear();
    auto fail = [this](int err, int fd) {
        failure_ = FailureOf(err);
        error_ = std::strerror(err);
        if (fd >= 0) ::close(fd);
        return false;
    };
    if (name.empty()) return fail(ENOENT, -1);
    const std::string path = DevicePath(name);
    // Non-blocking so that neither the open (no carrier) nor a read ever waits.
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno, -1);
    if (!isatty(fd)) return fail(ENOTTY, fd);
    // TIOCEXCL keeps out other users' opens, but not root's; the lock also covers root and
    // a second open from this process.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno, fd);
    if (ioctl(fd, TIOCEXCL) != 0) return fail(errno, fd);

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) return fail(errno, fd);
    // Given back at close: the device may be a terminal someone else goes on using.
    const termios before = tio;
    cfmakeraw(&tio);
    cfsetispeed(&tio, B115200);
    cfsetospeed(&tio, B115200);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return fail(errno, fd);
    tcflush(fd, TCIOFLUSH);
    fd_ = fd;
    previous_ = before;
    return true;
}

void SerialPort::close() {
    if (fd_ >= 0) {
        // The exclusive mode belongs to the terminal, not to this descriptor: a terminal that
        // stays open elsewhere (a simulator's pseudo-terminal) would refuse the next open.
        ioctl(fd_, TIOCNXCL);
        // A device gone away answers with an error, which changes nothing.
        if (previous_) tcsetattr(fd_, TCSANOW, &*previous_);
        previous_.reset();
        ::close(fd_);  // also releases the lock
        fd_ = -1;
    }
}

int SerialPort::queuedInput() {
    if (fd_ < 0) return -1;
    // On a pseudo-terminal the count lags behind the data until the line discipline has been
    // given the bytes, which poll() makes happen.
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0 && errno != EINTR) return -1;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0) return -1;
    if (n == 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return -1;
    return n;
}

void SerialPort::purge() {
    if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
}

std::size_t SerialPort::write(const std::uint8_t* data, std::size_t len) {
    const std::size_t done = writeAll(data, len);
    // Seen before the drain: a reply can come in while the bytes are still going out.
    if (TrafficObserver* o = observer_.load(std::memory_order_acquire); o && done > 0) {
        o->onTraffic(TrafficDirection::ToUnit, data, done);
    }
    // "Written" means on the wire: a reply window of a few milliseconds must not start while
    // the bytes are still in the driver's buffer.
    if (done == len && fd_ >= 0) tcdrain(fd_);
    return done;
}

std::size_t SerialPort::writeAll(const std::uint8_t* data, std::size_t len) {
    if (fd_ < 0) return 0;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(500 * len + 500);
    std::size_t done = 0;
    while (done < len) {
        const ssize_t n = ::write(fd_, data + done, len - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) {
            error_ = std::strerror(errno);
            return done;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            error_ = "write timed out";
            return done;
        }
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, static_cast<int>(left)) < 0 && errno != EINTR) {
            error_ = std::strerror(errno);
            return done;
        }
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) {
            error_ = "the device went away";
            return done;
        }
    }
    return done;
}

ssize_t SerialPort::read(std::uint8_t* data, std::size_t len) {
    if (fd_ < 0) return -1;
    for (;;) {
        const ssize_t n = ::read(fd_, data, len);
        if (TrafficObserver* o = observer_.load(std::memory_order_acquire); o && n > 0) {
            o->onTraffic(TrafficDirection::FromUnit, data, static_cast<std::size_t>(n));
        }
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        error_ = std::strerror(errno);
        return -1;
    }
}

}  // namespace ketrel
