#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "iot/iot_line.h"

namespace ketrel {

class Notifier;
class SerialLink;

namespace iot {

// What an exchange waits for after its line is written.
enum class Await {
    Nothing,
    Status,  // 3 fields within 300 polls
    Data,    // 10 fields within 500 polls
};

struct ExchangeResult {
    enum class Outcome {
        PortInvalid,  // the port message was shown; nothing else happened
        Stopped,      // the caller chose not to send
        SendFailed,   // fewer bytes written than the line holds
        NoReply,      // no matching reply within the polls
        Replied,      // fields hold the reply
        Sent,         // written; no reply awaited
    };
    Outcome outcome = Outcome::PortInvalid;
    std::array<Word, kDataFields> fields{};

    // A status reply id,1,1.
    bool succeeded(int id) const {
        return outcome == Outcome::Replied && fields[0] == id && fields[1] == 1 && fields[2] == 1;
    }
};

// One exchange with the gateway or the smart socket: check the port, pause the receive thread,
// build the line, purge and write it, wait for the reply, resume the receive thread on every
// way out. prepare runs once the receive thread is paused and returns the line, or nothing to
// stop there without sending.
ExchangeResult RunExchange(SerialLink& link,
                           const std::function<std::optional<std::string>()>& prepare, Await await);

// The same for a fixed line.
ExchangeResult RunExchange(SerialLink& link, const std::string& line, Await await);

// The message box after a write that awaited a status: done when the device answered id,1,1,
// failed for any other answer, and the link's own message when nothing or too little was sent
// or nothing came back. Nothing after an exchange that never sent.
void ReportWrite(Notifier& notifier, const ExchangeResult& result, int id, const char* done,
                 const char* failed);

}  // namespace iot
}  // namespace ketrel
