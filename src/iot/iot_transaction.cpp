#include "iot/iot_transaction.h"

#include "common/notifier.h"
#include "common/texts.h"
#include "iot/iot_texts.h"
#include "iot/wait_iot_ack.h"
#include "link/serial_link.h"

namespace ketrel::iot {

ExchangeResult RunExchange(SerialLink& link,
                           const std::function<std::optional<std::string>()>& prepare,
                           Await await) {
    ExchangeResult result;
    if (!link.RequirePort()) return result;
    SerialLink::Exchange exchange(link);
    const std::optional<std::string> line = prepare();
    if (!line) {
        result.outcome = ExchangeResult::Outcome::Stopped;
        return result;
    }
    // A failed write is reported by the link ("写入数据失败!") and then, like a short one,
    // ends the exchange without a wait.
    if (!link.SendCommand(*line)) {
        result.outcome = ExchangeResult::Outcome::SendFailed;
        return result;
    }
    if (await == Await::Nothing) {
        result.outcome = ExchangeResult::Outcome::Sent;
        return result;
    }
    const bool data = await == Await::Data;
    const bool replied =
        WaitIoTAck(link.CommHandle(), link.clock(), data ? kDataPolls : kStatusPolls,
                   result.fields.data(), data ? kDataFields : kStatusFields);
    result.outcome = replied ? ExchangeResult::Outcome::Replied : ExchangeResult::Outcome::NoReply;
    return result;
}

ExchangeResult RunExchange(SerialLink& link, const std::string& line, Await await) {
    return RunExchange(
        link, [&line] { return std::optional<std::string>(line); }, await);
}

void ReportWrite(Notifier& notifier, const ExchangeResult& result, int id, const char* done,
                 const char* failed) {
    using Outcome = ExchangeResult::Outcome;
    switch (result.outcome) {
        case Outcome::PortInvalid:
        case Outcome::Stopped:
        case Outcome::Sent:
            return;
        case Outcome::SendFailed:
            notifier.show(texts::kIoTSendFailed, texts::kCaptionError, MessageIcon::Error);
            return;
        case Outcome::NoReply:
            notifier.show(texts::kIoTTimeout, texts::kCaptionError, MessageIcon::Error);
            return;
        case Outcome::Replied:
            if (result.succeeded(id)) {
                notifier.show(done, texts::kCaptionNotice, MessageIcon::Warning);
            } else {
                notifier.show(failed, texts::kCaptionError, MessageIcon::Error);
            }
            return;
    }
}

}  // namespace ketrel::iot
