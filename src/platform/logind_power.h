#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace ketrel {

// Shutdown and restart through the login manager on the system bus (PowerOff and Reboot, not
// interactive: nobody is asked). The calls run on a worker thread of their own, so the caller
// never waits for the bus; a refusal by the system is written once to the error stream.
class LogindPower {
  public:
    enum class Action { PowerOff, Reboot };

    explicit LogindPower(std::ostream& err);
    ~LogindPower();
    LogindPower(const LogindPower&) = delete;
    LogindPower& operator=(const LogindPower&) = delete;

    // Returns at once; the call follows on the worker.
    void request(Action action);
    // Blocks until every request made so far has been answered or has failed.
    void waitIdle();

    // DBUS_SYSTEM_BUS_ADDRESS when set, else the system bus's well-known socket.
    static std::string SystemBusAddress();
    // One call on the bus at address; empty on success, else the reason.
    static std::string Call(const std::string& address, Action action, int timeoutMs);

  private:
    void run();

    std::ostream& err_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Action> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    bool refusalWritten_ = false;
    std::thread worker_;
};

}  // namespace ketrel
