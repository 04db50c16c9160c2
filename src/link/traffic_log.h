#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ketrel {

enum class TrafficDirection : std::uint8_t {
    ToUnit,    // written by the PC ("TX")
    FromUnit,  // read from the unit ("RX")
};

// Sees the bytes of a serial port as they pass. Called on whichever thread used the port, right
// after the bytes went out or came in, so it must be quick and must never block on anything
// that thread could be waiting for.
class TrafficObserver {
  public:
    virtual ~TrafficObserver() = default;
    virtual void onTraffic(TrafficDirection direction, const std::uint8_t* data,
                           std::size_t len) = 0;
};

struct TrafficRecord {
    std::chrono::system_clock::time_point time;
    TrafficDirection direction = TrafficDirection::ToUnit;
    std::vector<std::uint8_t> bytes;
};
using TrafficBatch = std::vector<TrafficRecord>;

// The traffic log: records every chunk with its time and direction into a buffer under a lock
// (the serial path only copies bytes), and a writer thread of its own drains the buffer into a
// file and hands the records to listeners (the log window). File output never happens on the
// thread that uses the port.
class TrafficLog : public TrafficObserver {
  public:
    using Listener = std::function<void(const TrafficBatch&)>;

    // How often the writer looks for records while they come.
    static constexpr std::chrono::milliseconds kBatchDelay{100};

    explicit TrafficLog(std::uint64_t rotateSize = kRotateSize);
    ~TrafficLog() override;  // writes out what is left
    TrafficLog(const TrafficLog&) = delete;
    TrafficLog& operator=(const TrafficLog&) = delete;

    // Past this size the file becomes FILE.1 (and FILE.1 becomes FILE.2) and a new one starts:
    // a flood of frames must not fill the disk.
    static constexpr std::uint64_t kRotateSize = 10u << 20;
    static constexpr int kKeptFiles = 3;  // FILE, FILE.1, FILE.2

    // Appends to the file (made if missing) from now on; only a regular file is taken. False
    // with the reason in *error.
    bool openFile(const std::string& path, std::string* error = nullptr);
    // True once a write to the file failed; the file gets nothing more after that.
    bool fileFailed() const;

    // Listeners run on the writer thread with each batch, in order. The id removes it again;
    // once removeListener returns the listener is not running and will not run again.
    int addListener(Listener listener);
    void removeListener(int id);

    void onTraffic(TrafficDirection direction, const std::uint8_t* data, std::size_t len) override;

    // Returns when everything recorded before the call is in the file and with the listeners.
    // Not to be called from a listener.
    void flush();

    std::uint64_t recordCount() const;

    // The lines of one record as the file and the log window show them:
    //   2024-05-01 12:00:00.123456 TX 13
    //     0000  57 72 69 74 65 43 6F 6E 66 69 67 0D 0A           |WriteConfig..|
    static std::string FormatRecord(const TrafficRecord& record);
    static std::string FormatTime(std::chrono::system_clock::time_point time);
    // The first lines of a log file.
    static std::string FileHeader();

  private:
    struct Entry {
        std::chrono::system_clock::time_point time;
        TrafficDirection direction;
        std::size_t offset;  // into the byte buffer
        std::size_t len;
    };
    struct Buffer {
        std::vector<Entry> entries;
        std::vector<std::uint8_t> bytes;
    };

    void run();
    void deliver(const Buffer& buffer);
    static std::FILE* OpenForAppend(const std::string& path, std::string* error);
    // With the output lock held: appends, rotating first when the text would pass the size.
    bool writeToFile(const std::string& text);
    void rotate();

    mutable std::mutex mutex_;  // the pending buffer, the counters and the stop flag
    std::condition_variable wake_;
    std::condition_variable written_;
    Buffer pending_;
    std::uint64_t recorded_ = 0;
    std::uint64_t delivered_ = 0;
    bool flushWanted_ = false;
    bool stopping_ = false;
    bool sleeping_ = false;  // the writer waits for a record rather than for its next look

    mutable std::mutex outputMutex_;  // the file and the listeners, used by the writer thread
    std::FILE* file_ = nullptr;
    std::string path_;
    std::uint64_t fileSize_ = 0;
    const std::uint64_t rotateSize_;
    bool fileFailed_ = false;
    std::map<int, Listener> listeners_;
    int nextListener_ = 1;

    std::thread writer_;
};

}  // namespace ketrel
