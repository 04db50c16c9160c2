#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "link/frame.h"

namespace ketrel {

class SerialPort;

// Collects what the unit sends on its own into the 2048-byte ring and runs the frame dispatch.
// It waits on the port for at most 10 ms per pass, so it reacts at once to new bytes and still
// passes over the ring every 10 ms.
//
// Pausing is counted: each pause() is matched by one resume(), and the thread reads the port
// again only when the last one is resumed. A pause takes effect before pause() returns: the
// thread reads the port only while holding the lock and seeing no pause, so once pause() holds
// the lock no further read can start. pause() never waits for the dispatch of frames already
// read, so a sink that is slow or waits for another thread cannot deadlock it.
class ReceiveThread {
  public:
    // dispatch: one pass over the ring; returns the number of frames it handled.
    using Dispatch = std::function<int(frame::Ring&)>;
    // Called on the receive thread when the device went away (hang-up or error).
    using PortLost = std::function<void()>;

    ReceiveThread(SerialPort& port, Dispatch dispatch, PortLost onPortLost = {});
    ~ReceiveThread();
    ReceiveThread(const ReceiveThread&) = delete;
    ReceiveThread& operator=(const ReceiveThread&) = delete;

    // False when the thread could not be created; pausing and resuming then do nothing.
    bool start();
    void stop();
    bool running() const { return thread_.joinable(); }

    void pause();
    void resume();  // without a matching pause: no effect
    int pauseCount() const;

    // Under a pause: returns once the thread has left its wait on the port, so the descriptor
    // may be closed. A device closed while the thread still polls it stays referenced, and
    // locked against the next open, until that poll returns. Waits at most one pass.
    void waitUntilParked();
    // To be called, under a pause, after the port was opened or closed, so the thread drops the
    // old device and picks up the new one.
    void portChanged();
    // True after the device went away, until portChanged().
    bool portLost() const { return lost_.load(); }

    // For tests and benchmarks.
    std::size_t ringWriteIndex() const;
    frame::Ring ringSnapshot();
    std::uint64_t bytesReceived() const { return bytesReceived_.load(); }
    std::uint64_t passes() const { return passes_.load(); }
    // Blocks until the thread has completed a whole pass that started after this call.
    void waitForPass() const;

  private:
    void run();
    // Reads everything queued into the ring; false when the device failed.
    bool pollSerialInput();

    SerialPort& port_;
    Dispatch dispatch_;
    PortLost onPortLost_;
    std::thread thread_;

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    mutable std::condition_variable passDone_;
    std::condition_variable parkedChanged_;
    bool stopping_ = false;
    bool parked_ = false;
    int pauseCount_ = 0;
    std::uint64_t generation_ = 0;
    std::atomic<bool> lost_{false};

    // The ring and its write index belong to the receive thread; the lock guards them only
    // for the test accessors.
    frame::Ring ring_{};
    std::size_t writeIndex_ = 0;
    std::atomic<std::uint64_t> bytesReceived_{0};
    std::atomic<std::uint64_t> passes_{0};
};

}  // namespace ketrel
