#include "iot/gateway.h"

#include <cstdio>

#include "common/notifier.h"
#include "common/texts.h"
#include "iot/iot_line.h"
#include "iot/iot_texts.h"
#include "iot/iot_transaction.h"
#include "iot/locale_text.h"

namespace ketrel::iot {

namespace {

void Report(Notifier& notifier, const ExchangeResult& result, int id) {
    ReportWrite(notifier, result, id, texts::kGatewayWritten, texts::kGatewayWriteFailed);
}

}  // namespace

void Gateway::WriteName(const std::string& text) {
    writeText(kIdWifiName, texts::kGatewayName, text);
}

void Gateway::WritePassword(const std::string& text) {
    writeText(kIdWifiPassword, texts::kGatewayPassword, text);
}

void Gateway::writeText(int id, const char* what, const std::string& text) {
    std::string refusal;
    const ExchangeResult result = RunExchange(
        link_,
        [&]() -> std::optional<std::string> {
            std::string bytes;
            char message[160];
            if (!ToLocaleBytes(text, bytes)) {
                std::snprintf(message, sizeof message, texts::kGatewayTextNotConvertible, what);
                refusal = message;
                return std::nullopt;
            }
            if (bytes.size() > kTextBytes) {
                std::snprintf(message, sizeof message, texts::kGatewayTextTooLong, what,
                              static_cast<int>(bytes.size()));
                refusal = message;
                return std::nullopt;
            }
            return FormatSetData(id, PackTextBytes(bytes));
        },
        Await::Status);
    // Told once the receive thread runs again, so a message box left open holds up nothing.
    if (!refusal.empty()) {
        notifier_.show(refusal, texts::kCaptionNotice, MessageIcon::Warning);
        return;
    }
    Report(notifier_, result, id);
}

void Gateway::ClearToDefaults() {
    Report(notifier_, RunExchange(link_, FormatSetDataEmpty(kIdGatewayDefaults), Await::Status),
           kIdGatewayDefaults);
}

}  // namespace ketrel::iot
