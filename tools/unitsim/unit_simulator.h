#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "link/block_frame.h"
#include "unitsim/iot_device.h"

namespace ketrel::sim {

// Faults the simulated unit can be told to show, and how long it takes over its work. Each time
// counts from the last byte of the command or block it answers.
struct Faults {
    bool noAnswer = false;         // answers nothing at all
    int replyDelayMs = 0;          // waits this long before every reply
    std::string prefixBytes;       // sent before every reply
    bool noOk = false;             // "WriteConfig"/"WriteCard"/"InitConfig" get no "OK"
    bool noInitOk = false;         // only "InitConfig" gets no "OK" (the image is not taken)
    int errorAtBlock = -1;         // answers "Error" to this block number
    int corruptReadbackByte = -1;  // the read-back has this byte changed
    bool shortReadback = false;    // the read-back is one byte short
    std::string afterStatus;       // sent right behind every block status
    bool noComplete = false;       // answers "Ready" to the last block too
    int okAfterMs = 0;             // "OK" to "WriteConfig"/"WriteCard" comes this late
    int statusAfterMs = 0;         // the block status comes this late
    int readbackAfterMs = 0;       // the read-back image comes this late
    int initAfterMs = 0;           // "OK" to "InitConfig" comes this late
    int iotAfterMs = 0;            // the gateway's and the socket's replies come this late
};

// A control unit on the far end of a pseudo-terminal. The program opens portPath() as its
// serial port; tests drive the unit through this API, the executable through its standard input.
//
// A pseudo-terminal moves any number of bytes at once; the unit's line does not. At a speed
// other than 0 the simulator moves bytes as the line would: what the unit sends reaches the
// program one character time apart, and what the program writes reaches the unit one character
// time apart from the moment it was written (as through a USB adapter, whose buffer lets the
// program's write return at once). The unit acts on a command line or a block only once its
// last byte has arrived.
class UnitSimulator {
  public:
    static constexpr int kLineBaud = 115200;

    UnitSimulator();
    ~UnitSimulator();
    UnitSimulator(const UnitSimulator&) = delete;
    UnitSimulator& operator=(const UnitSimulator&) = delete;

    bool start(std::string* error = nullptr);
    // Closes the unit's end, as when the adapter is unplugged.
    void stop();
    bool running() const { return masterFd_ >= 0; }
    const std::string& portPath() const { return portPath_; }

    // The line's speed in baud; 0 moves bytes at once.
    void setBaud(int baud) { baud_.store(baud < 0 ? 0 : baud); }
    int baud() const { return baud_.load(); }

    // What the unit sends on its own; returns once the last byte has reached the program.
    void sendFrame(std::string_view payloadText);
    void sendRaw(std::string_view bytes);
    void swipeCard(std::string_view number) { sendFrame("IDNumber=" + std::string(number)); }
    static std::string MakeFrame(std::string_view payloadText);

    void setInfo(const std::string& key, const std::string& value);
    std::string info(const std::string& key) const;

    void setFaults(const Faults& faults);
    Faults faults() const;

    // What the unit received: each command line without its line end, in order.
    std::vector<std::string> receivedLines() const;
    int blocksAccepted() const { return blocksAccepted_.load(); }
    // Between "WriteConfig"/"WriteCard" and the last block (or an abandoned transfer).
    bool receivingBlocks() const;
    block::Image configImage() const;
    block::Image cardImage() const;
    void setConfigImage(const block::Image& image);
    void setCardImage(const block::Image& image);

    // The unit's two images kept across runs.
    bool loadState(const std::string& path);
    bool saveState(const std::string& path) const;
    void setStatePath(const std::string& path) { statePath_ = path; }

    // One control command of the executable's standard input; returns a line to print
    // (empty for nothing). Commands: frame TEXT, pc NAME, swipe NUMBER, raw HEX,
    // info KEY VALUE, fault NAME [VALUE], faults clear, baud N, lines, help.
    std::string control(const std::string& line);

    // The gateway and smart socket behind the unit.
    IotDevice& iot() { return iot_; }

  private:
    enum class Mode { Command, Block };
    using Clock = std::chrono::steady_clock;

    // Bytes for the line, sent in order, each no earlier than its time.
    struct Outgoing {
        std::string bytes;
        Clock::time_point notBefore;
        std::uint64_t number;
    };

    void run();
    // Sleeps until the given time; false when the simulator is being stopped.
    bool sleepUntil(Clock::time_point when);
    void onBytes(const std::uint8_t* data, std::size_t len);
    void onLine(const std::string& line);
    void onBlockFrame();
    void reply(std::string_view bytes, int extraDelayMs = 0);
    // Queues bytes for the line; returns their number in the queue.
    std::uint64_t enqueue(std::string_view bytes, int delayMs);
    void writeAll(std::string_view bytes);
    void writeLoop();
    void transmit(const Outgoing& item, Clock::time_point& lineFree);
    bool writeToLine(const char* data, std::size_t len);
    // Nothing waits to go out, and the last byte went out at least this long ago.
    bool quietSince(Clock::duration quiet);
    void applyInitConfig();

    int masterFd_ = -1;
    int slaveFd_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::string portPath_;
    std::string statePath_;
    std::atomic<int> baud_{kLineBaud};
    std::thread thread_;
    std::thread writer_;
    std::mutex outMutex_;  // the queue of outgoing bytes and the numbers below
    std::condition_variable outChanged_;
    std::deque<Outgoing> outQueue_;
    std::uint64_t queued_ = 0;
    std::uint64_t sent_ = 0;
    Clock::time_point lastSent_{};
    std::atomic<bool> stopping_{false};
    mutable std::mutex mutex_;  // state below

    std::vector<std::pair<std::string, std::string>> info_;
    Faults faults_;
    std::vector<std::string> lines_;
    Mode mode_ = Mode::Command;
    bool blockForCards_ = false;
    std::size_t expectedBlock_ = 0;
    std::string pending_;
    block::Image staging_{};
    block::Image configImage_{};
    block::Image cardImage_{};
    std::atomic<int> blocksAccepted_{0};
    IotDevice iot_;
};

}  // namespace ketrel::sim
