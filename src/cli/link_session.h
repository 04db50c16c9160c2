#pragma once

#include "common/notifier.h"
#include "common/pc_actions.h"
#include "common/texts.h"
#include "link/frame_dispatch.h"
#include "link/info_lines.h"
#include "link/receive_thread.h"
#include "link/serial_link.h"
#include "platform/app_state.h"

namespace ketrel::cli {

// The receive side of the link, as the window runs it: thread first, then the port. The unit's
// information lines reach the sink from the receive thread.
struct LinkSession {
    LinkSession(AppState& state, Notifier& notifier, PcActions& actions, FrameSink& sink)
        : link(notifier),
          dispatcher(actions, sink, state.OpenAppPathShared()),
          receiver(link.CommHandle(),
                   [this](frame::Ring& ring) { return dispatcher.DispatchUnitFrames(ring); }) {
        link.AttachReceiver(&receiver);
    }
    ~LinkSession() { receiver.stop(); }
    LinkSession(const LinkSession&) = delete;
    LinkSession& operator=(const LinkSession&) = delete;

    bool start(const std::string& portName, Notifier& notifier) {
        if (!receiver.start()) {
            notifier.show(texts::kReceiveThreadFailed, texts::kCaptionError, MessageIcon::Error);
            return false;
        }
        return link.ConnectCommPort(portName);
    }

    SerialLink link;
    FrameDispatcher dispatcher;
    ReceiveThread receiver;
};

}  // namespace ketrel::cli
