#include "link/traffic_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace ketrel {

namespace {

constexpr std::size_t kBytesPerLine = 16;
// A writer far behind is woken early rather than left to gather more.
constexpr std::size_t kEagerBytes = 64 * 1024;
// After this many batch delays without a record the writer sleeps until woken (one second).
constexpr int kQuietRounds = 10;

}  // namespace

TrafficLog::TrafficLog(std::uint64_t rotateSize) : rotateSize_(rotateSize) {
    writer_ = std::thread([this] { run(); });
}

TrafficLog::~TrafficLog() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
    std::lock_guard lock(outputMutex_);
    if (file_) std::fclose(file_);
}

bool TrafficLog::openFile(const std::string& path, std::string* error) {
    std::FILE* file = OpenForAppend(path, error);
    if (!file) return false;
    std::lock_guard lock(outputMutex_);
    if (file_) std::fclose(file_);
    file_ = file;
    path_ = path;
    fileSize_ = static_cast<std::uint64_t>(std::ftell(file_));
    fileFailed_ = !writeToFile(FileHeader());
    if (fileFailed_ && error) *error = std::strerror(errno);
    return !fileFailed_;
}

std::FILE* TrafficLog::OpenForAppend(const std::string& path, std::string* error) {
    // Not blocking on open: a FIFO nobody reads must be refused, not waited on.
    const int fd = ::open(path.c_str(),
                          O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        if (error) *error = std::strerror(errno);
        return nullptr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error) *error = "not a regular file";
        ::close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "a");
    if (!file) {
        if (error) *error = std::strerror(errno);
        ::close(fd);
    }
    return file;
}

bool TrafficLog::writeToFile(const std::string& text) {
    if (fileSize_ + text.size() > rotateSize_ && fileSize_ > 0) rotate();
    if (!file_) return false;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fflush(file_) != 0)
        return false;
    fileSize_ += text.size();
    return true;
}

// The file as FILE.1, FILE.1 as FILE.2 (the one before is gone), and a new FILE.
void TrafficLog::rotate() {
    std::fclose(file_);
    file_ = nullptr;
    for (int n = kKeptFiles - 1; n >= 1; --n) {
        const std::string from = n == 1 ? path_ : path_ + "." + std::to_string(n - 1);
        std::rename(from.c_str(), (path_ + "." + std::to_string(n)).c_str());
    }
    file_ = OpenForAppend(path_, nullptr);
    fileSize_ = 0;
    const std::string header = FileHeader();
    if (file_ && std::fwrite(header.data(), 1, header.size(), file_) == header.size())
        fileSize_ = header.size();
}

bool TrafficLog::fileFailed() const {
    std::lock_guard lock(outputMutex_);
    return fileFailed_;
}

int TrafficLog::addListener(Listener listener) {
    std::lock_guard lock(outputMutex_);
    const int id = nextListener_++;
    listeners_.emplace(id, std::move(listener));
    return id;
}

void TrafficLog::removeListener(int id) {
    std::lock_guard lock(outputMutex_);
    listeners_.erase(id);
}

void TrafficLog::onTraffic(TrafficDirection direction, const std::uint8_t* data, std::size_t len) {
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        // Stamped under the lock, so records from two threads are in the order of their times.
        const auto now = std::chrono::system_clock::now();
        // The writer is woken only from its sleep after a quiet spell, or when it falls behind.
        wake = sleeping_ || pending_.bytes.size() >= kEagerBytes;
        pending_.entries.push_back({now, direction, pending_.bytes.size(), len});
        pending_.bytes.insert(pending_.bytes.end(), data, data + len);
        ++recorded_;
    }
    if (wake) wake_.notify_one();
}

void TrafficLog::flush() {
    std::unique_lock lock(mutex_);
    const std::uint64_t target = recorded_;
    flushWanted_ = true;
    wake_.notify_one();
    written_.wait(lock, [&] { return delivered_ >= target; });
}

std::uint64_t TrafficLog::recordCount() const {
    std::lock_guard lock(mutex_);
    return recorded_;
}

void TrafficLog::run() {
    Buffer draining;
    int quietRounds = 0;
    std::unique_lock lock(mutex_);
    auto ready = [&] { return stopping_ || flushWanted_ || pending_.bytes.size() >= kEagerBytes; };
    for (;;) {
        if (quietRounds >= kQuietRounds && pending_.entries.empty() && !ready()) {
            // Nothing for a while: sleep until a record comes, whose thread then wakes this one.
            sleeping_ = true;
            wake_.wait(lock, [&] { return ready() || !pending_.entries.empty(); });
            sleeping_ = false;
        }
        // While records come, the writer looks on its own every batch delay, so the serial path
        // never pays for waking it.
        wake_.wait_for(lock, kBatchDelay, ready);
        quietRounds = pending_.entries.empty() ? quietRounds + 1 : 0;
        flushWanted_ = false;
        // The two buffers trade places, so both keep their capacity and the serial path does
        // not allocate once the log has run for a while.
        std::swap(draining, pending_);
        pending_.entries.clear();
        pending_.bytes.clear();
        const std::uint64_t upTo = recorded_;
        const bool last = stopping_;
        lock.unlock();
        if (!draining.entries.empty()) deliver(draining);
        lock.lock();
        delivered_ = upTo;
        written_.notify_all();
        if (last && pending_.entries.empty()) return;
    }
}

void TrafficLog::deliver(const Buffer& buffer) {
    TrafficBatch batch;
    batch.reserve(buffer.entries.size());
    for (const Entry& e : buffer.entries) {
        const auto* begin = buffer.bytes.data() + e.offset;
        batch.push_back({e.time, e.direction, std::vector<std::uint8_t>(begin, begin + e.len)});
    }
    std::lock_guard lock(outputMutex_);
    if (file_ && !fileFailed_) {
        std::string text;
        for (const TrafficRecord& r : batch) text += FormatRecord(r);
        if (!writeToFile(text)) fileFailed_ = true;
    }
    for (const auto& [id, listener] : listeners_) listener(batch);
}

std::string TrafficLog::FormatTime(std::chrono::system_clock::time_point time) {
    const auto micros =
        std::chrono::duration_cast<std::chrono::microseconds>(time.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(micros / 1000000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[48];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(buffer + n, sizeof buffer - n, ".%06lld",
                  static_cast<long long>(micros % 1000000));
    return buffer;
}

std::string TrafficLog::FormatRecord(const TrafficRecord& record) {
    std::string out = FormatTime(record.time);
    out += record.direction == TrafficDirection::ToUnit ? " TX " : " RX ";
    out += std::to_string(record.bytes.size());
    out += '\n';
    char cell[24];
    for (std::size_t line = 0; line < record.bytes.size(); line += kBytesPerLine) {
        std::snprintf(cell, sizeof cell, "  %04zX ", line);
        out += cell;
        std::string text;
        for (std::size_t i = 0; i < kBytesPerLine; ++i) {
            if (line + i < record.bytes.size()) {
                const std::uint8_t b = record.bytes[line + i];
                std::snprintf(cell, sizeof cell, " %02X", b);
                out += cell;
                text += b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.';
            } else {
                out += "   ";
            }
        }
        out += "  |" + text + "|\n";
    }
    return out;
}

std::string TrafficLog::FileHeader() {
    return "# ketrel traffic log, opened " + FormatTime(std::chrono::system_clock::now()) +
           "\n# TX: PC to unit, RX: unit to PC; each record: time, direction, byte count, then "
           "16 bytes a line (offset, hex, text)\n";
}

}  // namespace ketrel
