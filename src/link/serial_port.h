#pragma once

#include <sys/types.h>
#include <termios.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace ketrel {

// Why an open failed, so the user can be told what to do about it.
enum class PortOpenFailure { None, NotFound, PermissionDenied, InUse, NotASerialPort, Other };

class TrafficObserver;

// One serial device, opened exclusively at 115200 8N1 in raw mode. All calls return a result the
// caller must look at; the system's reason for the last failure is kept for the message.
class SerialPort {
  public:
    static constexpr int kBaud = 115200;

    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // COMn is /dev/ttyS(n-1), a name holding "/" is a path, any other name lives under /dev/.
    static std::string DevicePath(const std::string& name);

    bool open(const std::string& name);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    int fd() const { return fd_; }

    PortOpenFailure lastOpenFailure() const { return failure_; }
    const std::string& lastError() const { return error_; }

    // Bytes waiting in the input queue, or -1 when the device cannot be asked (it went away).
    int queuedInput();
    // Discards everything queued in both directions.
    void purge();
    // Writes every byte and waits until they are on the wire, giving up after 500 ms per byte
    // plus 500 ms. Returns the number of bytes written (less than len on failure).
    std::size_t write(const std::uint8_t* data, std::size_t len);
    // Reads what is queued, at most len bytes, without waiting. -1 on failure.
    ssize_t read(std::uint8_t* data, std::size_t len);

    // Sees every byte written and read (the traffic log); none by default. Change it only while
    // no other thread uses the port: before the receive thread starts or while it is paused.
    void setTrafficObserver(TrafficObserver* observer) {
        observer_.store(observer, std::memory_order_release);
    }
    TrafficObserver* trafficObserver() const { return observer_.load(std::memory_order_acquire); }
    // The observer that ports made from now on start with (the --log option of the command line,
    // whose subcommands make their own ports).
    static void SetDefaultTrafficObserver(TrafficObserver* observer);
    static TrafficObserver* DefaultTrafficObserver();

  private:
    std::size_t writeAll(const std::uint8_t* data, std::size_t len);

    std::atomic<TrafficObserver*> observer_{DefaultTrafficObserver()};
    int fd_ = -1;
    std::optional<termios> previous_;  // the line settings found at open
    PortOpenFailure failure_ = PortOpenFailure::None;
    std::string error_;
};

}  // namespace ketrel
