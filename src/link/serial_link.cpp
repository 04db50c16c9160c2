#include "link/serial_link.h"

#include <algorithm>
#include <cstring>

#include "common/texts.h"
#include "link/frame.h"
#include "link/receive_thread.h"

namespace ketrel {

SerialLink::SerialLink(Notifier& notifier, PortStatusView* status)
    : notifier_(notifier), status_(status) {}

SerialLink::~SerialLink() { ClosePort(); }

void SerialLink::PauseReceiver() {
    if (receiver_) receiver_->pause();
}

void SerialLink::ResumeReceiver() {
    if (receiver_) receiver_->resume();
}

void SerialLink::closeLocked() {
    if (receiver_) receiver_->waitUntilParked();
    port_.close();
    if (receiver_) receiver_->portChanged();
}

void SerialLink::ClosePort() {
    if (!port_.isOpen()) return;
    // The receive thread must not be reading while the descriptor goes away.
    PauseReceiver();
    closeLocked();
    ResumeReceiver();
}

bool SerialLink::IsOpen() {
    // The receive thread notices a lost device only while it runs; an exchange that keeps it
    // paused (or a check right after one) asks the port itself.
    if (port_.isOpen() && ((receiver_ && receiver_->portLost()) || port_.queuedInput() < 0)) {
        // The adapter was unplugged or the other end closed: treat it as a closed port, so the
        // user is told to check the port instead of a failed write for every command.
        ClosePort();
        if (status_) status_->showPortFailed();
    }
    return port_.isOpen();
}

bool SerialLink::OpenCommPort(const std::string& name) {
    PauseReceiver();
    // Opening closes the port in use first; the same device must be free to open again.
    if (receiver_) receiver_->waitUntilParked();
    const bool ok = port_.open(name);
    if (receiver_) receiver_->portChanged();
    ResumeReceiver();
    return ok;
}

std::string SerialLink::PortFailureHint(const std::string& name) const {
    const char* hint = nullptr;
    switch (port_.lastOpenFailure()) {
        case PortOpenFailure::NotFound:
            hint = texts::kPortHintNotFound;
            break;
        case PortOpenFailure::PermissionDenied:
            hint = texts::kPortHintPermission;
            break;
        case PortOpenFailure::InUse:
            hint = texts::kPortHintInUse;
            break;
        case PortOpenFailure::NotASerialPort:
            hint = texts::kPortHintNotSerial;
            break;
        case PortOpenFailure::None:
        case PortOpenFailure::Other:
            break;
    }
    std::string text = SerialPort::DevicePath(name) + ": ";
    text += hint ? hint : port_.lastError();
    return text;
}

bool SerialLink::ConnectCommPort(const std::string& portName) {
    if (OpenCommPort(portName)) {
        if (status_) status_->showPortOpen(portName);
        return true;
    }
    if (status_) status_->showPortFailed();
    notifier_.show(std::string(texts::kPortOpenFailed) + "\n" + PortFailureHint(portName),
                   texts::kCaptionError, MessageIcon::Error);
    return false;
}

void SerialLink::ToggleCommPort(const std::string& portName) {
    if (IsOpen()) {
        ClosePort();
        if (status_) status_->showPortClosed();
        return;
    }
    ConnectCommPort(portName);
}

bool SerialLink::RequirePort() {
    if (exchangeActive()) return false;
    if (IsOpen()) return true;
    notifier_.show(texts::kPortInvalid, texts::kCaptionError, MessageIcon::Error);
    return false;
}

bool SerialLink::SendCommand(const std::uint8_t* data, std::size_t len) {
    port_.purge();
    const std::size_t written = port_.write(data, len);
    if (written != len) {
        notifier_.show(texts::kWriteFailed, texts::kCaptionError, MessageIcon::Error);
        return false;
    }
    return true;
}

bool SerialLink::SendCommand(std::string_view text) {
    return SendCommand(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

bool SerialLink::PostCommand(std::string_view line) {
    if (!RequirePort()) return false;
    return SendCommand(line);
}

int SerialLink::waitForQueued(int want, int polls) {
    const Deadline deadline(*clock_, PollBudget(polls));
    for (;;) {
        clock_->sleepFor(kPollSleep);
        const int queued = port_.queuedInput();
        // A reply that completes only as the budget runs out counts as late.
        if (queued < 0 || deadline.passed()) return -1;
        if (queued >= want) return queued;
    }
}

bool SerialLink::WaitForOk(int polls) {
    // A reply with more behind it is no "OK".
    if (waitForQueued(4, polls) != 4) return false;
    char buffer[512] = {};
    const int n = port_.queuedInput();
    if (n < 0) return false;
    const std::size_t want = std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1);
    if (port_.read(reinterpret_cast<std::uint8_t*>(buffer), want) < 0) return false;
    return std::strcmp(buffer, frame::kReplyOk) == 0;
}

namespace {

int ClassifyStatus(const char* text) {
    if (std::strcmp(text, frame::kReplyReady) == 0) return SerialLink::kStatusReady;
    if (std::strcmp(text, frame::kReplyComplete) == 0) return SerialLink::kStatusComplete;
    if (std::strcmp(text, frame::kReplyError) == 0) return SerialLink::kStatusError;
    return SerialLink::kStatusNone;
}

}  // namespace

int SerialLink::WaitForStatus() {
    // Once a whole status is in, the line must stay quiet this long before it counts: a byte
    // behind the status spoils it, and at the line's speed that byte may still be on its way.
    static constexpr auto kQuiet = 2 * CharacterTime(SerialPort::kBaud) + kPollSleep;
    // One byte more than the collecting area, so the text always ends inside the buffer even
    // when the unit sends more than 512 bytes and the write position has wrapped.
    char buffer[513] = {};
    std::size_t pos = 0;
    const Deadline deadline(*clock_, PollBudget(kStatusRounds));
    LinkClock::TimePoint lastInput = clock_->now();
    for (;;) {
        clock_->sleepFor(ClassifyStatus(buffer) != kStatusNone
                             ? std::max<LinkClock::Duration>(kQuiet - (clock_->now() - lastInput),
                                                             kPollSleep / 10)
                             : kPollSleep);
        std::uint8_t chunk[256];
        bool gone = false;
        for (;;) {
            const int queued = port_.queuedInput();
            gone = queued < 0;
            if (queued <= 0) break;
            const ssize_t n = port_.read(
                chunk, std::min<std::size_t>(sizeof chunk, static_cast<std::size_t>(queued)));
            if (n <= 0) break;
            lastInput = clock_->now();
            for (ssize_t i = 0; i < n; ++i) {
                buffer[pos] = static_cast<char>(chunk[i]);
                pos = (pos + 1) % 512;
            }
        }
        if (gone || deadline.passed()) break;
        if (ClassifyStatus(buffer) != kStatusNone && clock_->now() - lastInput >= kQuiet) break;
    }
    return ClassifyStatus(buffer);
}

bool SerialLink::ReadBlock(std::uint8_t* buffer, std::size_t& count) {
    count = 0;
    // More than a block queued is no block either.
    if (waitForQueued(static_cast<int>(kBlockSize), kBlockPolls) != static_cast<int>(kBlockSize))
        return false;
    while (count < kBlockSize) {
        const ssize_t n = port_.read(buffer + count, kBlockSize - count);
        if (n <= 0) return n == 0;  // all queued bytes were read; the caller checks the count
        count += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace ketrel
