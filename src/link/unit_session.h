#pragma once

#include <atomic>
#include <string>

#include "common/notifier.h"
#include "common/pc_actions.h"
#include "link/frame_dispatch.h"
#include "link/info_lines.h"
#include "link/receive_thread.h"
#include "link/serial_link.h"
#include "platform/app_state.h"

namespace ketrel {

// Where a session hands what the unit sends on its own. All are used on the receive thread.
struct UnitSessionParts {
    // The unit's information lines; ignored when null.
    FrameSink* sink = nullptr;
    // What the unit's PC commands do; none is carried out while null (see setActions).
    PcActions* actions = nullptr;
    // The program the camera command opens; none when null.
    const SharedText* openAppPath = nullptr;
    // The device went away (a hang-up or an error).
    ReceiveThread::PortLost onPortLost = {};
};

// The program's connection to the unit: the serial link, the receive thread that collects what
// the unit sends on its own, and the frame dispatch behind it. The receive thread is attached to
// the link from the start, so every exchange pauses it and every port change waits for it.
//
// The receive thread starts before the port opens, so what the unit sends from the open on is
// read at once rather than left queued for the next command's purge. It stops before the port
// closes, and once stop() returns nothing reaches the actions or the sink, so their owner may go
// away.
class UnitSession {
  public:
    explicit UnitSession(Notifier& notifier, UnitSessionParts parts = {});
    ~UnitSession();
    UnitSession(const UnitSession&) = delete;
    UnitSession& operator=(const UnitSession&) = delete;

    // False, after "创建串口接收线程失败!", when the thread cannot be created; the link then
    // still works for exchanges, but nothing the unit sends on its own is handled.
    bool startReceiver();
    // The receive thread, then the port (its outcome in the status panes, a message when it
    // fails). False when either failed; nothing is left running then.
    bool start(const std::string& portName);
    void stop();

    // The PC actions may come later than the receive thread (the desktop's take a while to set
    // up) and may be swapped while it runs; until then the unit's commands are dropped.
    void setActions(PcActions* actions) { actions_.set(actions); }

    SerialLink& link() { return link_; }
    ReceiveThread& receiver() { return receiver_; }

  private:
    class ActionsSlot : public PcActions {
      public:
        void set(PcActions* target) { target_.store(target); }
        void pressKey(PcKey key) override {
            if (auto* t = target_.load()) t->pressKey(key);
        }
        void shutdown() override {
            if (auto* t = target_.load()) t->shutdown();
        }
        void restart() override {
            if (auto* t = target_.load()) t->restart();
        }
        void openProgram(const std::string& path) override {
            if (auto* t = target_.load()) t->openProgram(path);
        }
        void setResolution(int width) override {
            if (auto* t = target_.load()) t->setResolution(width);
        }

      private:
        std::atomic<PcActions*> target_{nullptr};
    };

    class IgnoredLines : public FrameSink {
      public:
        void infoLine(const std::string&, const std::string&) override {}
    };

    Notifier& notifier_;
    ActionsSlot actions_;
    IgnoredLines ignoredLines_;
    SharedText noProgram_;
    SerialLink link_;
    FrameDispatcher dispatcher_;
    ReceiveThread receiver_;
};

}  // namespace ketrel
