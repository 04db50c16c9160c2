#include "link/unit_session.h"

#include "common/texts.h"

namespace ketrel {

UnitSession::UnitSession(Notifier& notifier, UnitSessionParts parts)
    : notifier_(notifier),
      link_(notifier),
      dispatcher_(actions_, parts.sink ? *parts.sink : ignoredLines_,
                  parts.openAppPath ? *parts.openAppPath : noProgram_),
      receiver_(
          link_.CommHandle(),
          [this](frame::Ring& ring) { return dispatcher_.DispatchUnitFrames(ring); },
          std::move(parts.onPortLost)) {
    actions_.set(parts.actions);
    link_.AttachReceiver(&receiver_);
}

UnitSession::~UnitSession() {
    stop();
    // The link outlives the receive thread object among the members.
    link_.AttachReceiver(nullptr);
}

bool UnitSession::startReceiver() {
    if (receiver_.start()) return true;
    notifier_.show(texts::kReceiveThreadFailed, texts::kCaptionError, MessageIcon::Error);
    return false;
}

bool UnitSession::start(const std::string& portName) {
    if (!startReceiver()) return false;
    if (link_.ConnectCommPort(portName)) return true;
    stop();
    return false;
}

void UnitSession::stop() {
    receiver_.stop();
    link_.ClosePort();
}

}  // namespace ketrel
