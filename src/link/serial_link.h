#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/notifier.h"
#include "link/link_clock.h"
#include "link/serial_port.h"

namespace ketrel {

class ReceiveThread;

// The port icon and port name panes of the status bar.
class PortStatusView {
  public:
    virtual ~PortStatusView() = default;
    virtual void showPortOpen(const std::string& portName) = 0;
    virtual void showPortFailed() = 0;  // "端口无效或者被占用!!!"
    virtual void showPortClosed() = 0;  // "已关闭"
};

// The one port of the process and the primitives every exchange with the unit is built from.
// Runs on the user-interface thread (or the command line's main thread).
class SerialLink {
  public:
    static constexpr std::size_t kBlockSize = 2048;
    static constexpr int kStatusNone = 0;
    static constexpr int kStatusReady = 1;
    static constexpr int kStatusComplete = 2;
    static constexpr int kStatusError = 3;
    // The budgets of the waits, in polls of one tick each.
    static constexpr int kStatusRounds = 10;
    static constexpr int kBlockPolls = 100;

    explicit SerialLink(Notifier& notifier, PortStatusView* status = nullptr);
    ~SerialLink();

    void AttachReceiver(ReceiveThread* receiver) { receiver_ = receiver; }
    void SetStatusView(PortStatusView* status) { status_ = status; }
    // The clock the waits and the transfers' pauses run on; the system's by default.
    void SetClock(LinkClock& clock) { clock_ = &clock; }
    LinkClock& clock() const { return *clock_; }
    // True while an exchange holds the line (the window keeps handling events meanwhile).
    bool exchangeActive() const { return exchanges_ > 0; }

    SerialPort& CommHandle() { return port_; }
    // True while a port is open and has not gone away. A port found gone is closed here.
    bool IsOpen();

    bool OpenCommPort(const std::string& name);
    // The reason of the last failed open, for the line under the message: the device path
    // and why it could not be opened.
    std::string PortFailureHint(const std::string& name) const;
    // Opens the port and shows the outcome in the status panes; on failure also a message box.
    bool ConnectCommPort(const std::string& portName);
    void ToggleCommPort(const std::string& portName);
    void ClosePort();

    void PauseReceiver();
    void ResumeReceiver();

    // Purges both queues and writes the bytes; true when all were written. A failed write
    // shows "写入数据失败!".
    bool SendCommand(const std::uint8_t* data, std::size_t len);
    bool SendCommand(std::string_view text);
    // For commands answered later by frames, if at all: no pause of the receive thread. With no
    // port open shows "串口无效，请检查电脑串口是否正常！" and sends nothing.
    bool PostCommand(std::string_view line);
    // With no port open shows the port message; the start of every exchange. False without a
    // word while another exchange holds the line: a timer that fires while the window waits
    // for the unit must not put a line of its own in the middle of it.
    bool RequirePort();

    // Each wait polls every millisecond for at most its budget of ticks and ends as soon as its
    // answer is complete. The exact 4 bytes "OK\r\n" within the given polls.
    bool WaitForOk(int polls);
    // "Ready", "Complete" or "Error" and its line end, with nothing after it: ends once the
    // line has been quiet for two characters and a poll after such a reply, else after ten
    // rounds.
    int WaitForStatus();
    // Exactly 2048 queued bytes within 100 polls.
    bool ReadBlock(std::uint8_t* buffer, std::size_t& count);

    // Pauses the receive thread for one exchange and resumes it on every way out.
    class Exchange {
      public:
        explicit Exchange(SerialLink& link) : link_(link) {
            ++link_.exchanges_;
            link_.PauseReceiver();
        }
        ~Exchange() {
            link_.ResumeReceiver();
            --link_.exchanges_;
        }
        Exchange(const Exchange&) = delete;
        Exchange& operator=(const Exchange&) = delete;

      private:
        SerialLink& link_;
    };

  private:
    // Polls until at least `want` bytes are queued: the number queued then, or -1 when the
    // budget ran out first or the device went away.
    int waitForQueued(int want, int polls);
    void closeLocked();

    Notifier& notifier_;
    PortStatusView* status_;
    ReceiveThread* receiver_ = nullptr;
    LinkClock* clock_ = &LinkClock::System();
    int exchanges_ = 0;
    SerialPort port_;
};

}  // namespace ketrel
