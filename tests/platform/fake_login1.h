#pragma once

// A private message bus with a stand-in login manager on it, for the power tests.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "child.h"

namespace ketrel::test {

// dbus-daemon with the session configuration, as our own child; gone with the object.
class PrivateBus {
  public:
    bool start(std::string* error) {
        if (daemon_.start(
                {"dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=1"}, {},
                true) != 0) {
            return Fail(error, "dbus-daemon cannot be started (is it installed?)");
        }
        address_ = daemon_.readLine(std::chrono::steady_clock::now() + std::chrono::seconds(20));
        return !address_.empty() || Fail(error, "dbus-daemon gave no address");
    }
    const std::string& address() const { return address_; }

  private:
    Child daemon_;
    std::string address_;
};

// Owns org.freedesktop.login1 on the bus and records each PowerOff and Reboot call.
class FakeLogin1 {
  public:
    struct Call {
        std::string method;
        std::string signature;
        bool interactive;
        bool operator==(const Call&) const = default;
    };

    ~FakeLogin1();
    bool start(const std::string& address, std::string* error);
    // Answers every call with an access-denied error, as polkit does for a user who may not.
    void refuse(bool refuse) { refuse_ = refuse; }
    // Waits until count calls have come (or the limit passed); all calls so far.
    std::vector<Call> waitForCalls(std::size_t count, std::chrono::milliseconds limit);

  private:
    void serve();

    void* connection_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> refuse_{false};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Call> calls_;
};

}  // namespace ketrel::test
