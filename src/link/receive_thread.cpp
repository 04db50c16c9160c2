#include "link/receive_thread.h"

#include <poll.h>

#include <chrono>

#include "link/serial_port.h"

namespace ketrel {

using namespace std::chrono_literals;

ReceiveThread::ReceiveThread(SerialPort& port, Dispatch dispatch, PortLost onPortLost)
    : port_(port), dispatch_(std::move(dispatch)), onPortLost_(std::move(onPortLost)) {}

ReceiveThread::~ReceiveThread() { stop(); }

bool ReceiveThread::start() {
    if (thread_.joinable()) return true;
    {
        std::lock_guard lock(mutex_);
        stopping_ = false;
    }
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void ReceiveThread::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ReceiveThread::pause() {
    std::lock_guard lock(mutex_);
    ++pauseCount_;
}

void ReceiveThread::resume() {
    {
        std::lock_guard lock(mutex_);
        if (pauseCount_ == 0) return;
        --pauseCount_;
    }
    wake_.notify_all();
}

int ReceiveThread::pauseCount() const {
    std::lock_guard lock(mutex_);
    return pauseCount_;
}

void ReceiveThread::waitUntilParked() {
    if (std::this_thread::get_id() == thread_.get_id()) return;
    std::unique_lock lock(mutex_);
    parkedChanged_.wait(
        lock, [this] { return parked_ || pauseCount_ == 0 || stopping_ || !thread_.joinable(); });
}

void ReceiveThread::portChanged() {
    {
        std::lock_guard lock(mutex_);
        ++generation_;
        lost_ = false;
    }
    wake_.notify_all();
}

std::size_t ReceiveThread::ringWriteIndex() const {
    std::lock_guard lock(mutex_);
    return writeIndex_;
}

frame::Ring ReceiveThread::ringSnapshot() {
    pause();
    frame::Ring copy;
    {
        // The dispatch touches the ring outside the lock; once the thread is parked it cannot.
        std::unique_lock lock(mutex_);
        parkedChanged_.wait(lock, [this] { return parked_ || !thread_.joinable(); });
        copy = ring_;
    }
    resume();
    return copy;
}

void ReceiveThread::waitForPass() const {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = passes_.load() + 2;
    passDone_.wait_for(lock, 2s, [&] { return passes_.load() >= target || !thread_.joinable(); });
}

bool ReceiveThread::pollSerialInput() {
    // Called with the lock held and no pause: the port is ours until the lock is released.
    // Reading stops at the end of the ring, so a burst longer than the ring is dispatched in
    // pieces instead of overwriting frames that no pass has seen yet; the rest stays queued and
    // the next pass, which does not wait, reads it.
    for (;;) {
        const std::size_t room = frame::kRingSize - writeIndex_;
        const ssize_t n = port_.read(&ring_[writeIndex_], room);
        if (n < 0) return false;
        if (n == 0) return true;
        bytesReceived_ += static_cast<std::uint64_t>(n);
        writeIndex_ = (writeIndex_ + static_cast<std::size_t>(n)) % frame::kRingSize;
        if (writeIndex_ == 0) return true;
    }
}

void ReceiveThread::run() {
    std::unique_lock lock(mutex_);
    // A pass that handled a frame may have left another one behind (only frames 64 bytes apart
    // are seen in one pass), so the next pass must scan again even without new bytes.
    bool dirty = false;
    while (!stopping_) {
        if (pauseCount_ > 0) {
            parked_ = true;
            parkedChanged_.notify_all();
            wake_.wait(lock, [this] { return stopping_ || pauseCount_ == 0; });
            parked_ = false;
            continue;
        }
        const int fd = port_.fd();
        const std::uint64_t generation = generation_;
        bool gotBytes = false;
        bool failed = false;
        if (fd < 0 || lost_) {
            // Nothing to read; a hung-up device would report POLLHUP at once and spin.
            wake_.wait_for(lock, 10ms);
        } else {
            lock.unlock();
            pollfd p{fd, POLLIN, 0};
            const int r = ::poll(&p, 1, 10);
            lock.lock();
            if (stopping_ || pauseCount_ > 0 || generation != generation_) continue;
            if (r > 0) {
                const std::uint64_t before = bytesReceived_.load();
                if (p.revents & POLLIN) failed = !pollSerialInput();
                gotBytes = bytesReceived_.load() != before;
                if (!gotBytes && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) failed = true;
            }
        }
        if (failed) lost_ = true;
        lock.unlock();
        if (failed && onPortLost_) onPortLost_();
        if (gotBytes || dirty) dirty = dispatch_(ring_) > 0;
        lock.lock();
        ++passes_;
        passDone_.notify_all();
    }
    // Nobody waits for a thread that has ended.
    parkedChanged_.notify_all();
}

}  // namespace ketrel
