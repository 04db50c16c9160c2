#include "projector/config_serial_channel.h"

#include "common/silent_notifier.h"
#include "config/config_db.h"
#include "config/config_statements.h"
#include "config/config_texts.h"

namespace ketrel::projector {

ConfigSerialChannel::ConfigSerialChannel(std::string configPath, int spNumber, Notifier& notifier)
    : path_(std::move(configPath)), spNumber_(spNumber), notifier_(notifier) {}

bool ConfigSerialChannel::HasCode(const std::string& codeName) {
    SilentNotifier silent;
    const auto rows = ConfigDb(path_, silent, texts::kOpenConfigEditorFailed)
                          .fetch(sql::kSelectSPTxCodeByName, {codeName, spNumber_}, sql::kSPTxCode);
    return rows && rows->size() == 1;
}

bool ConfigSerialChannel::SetCodeByName(const std::string& codeName, const std::string& code) {
    return ConfigDb(path_, notifier_, texts::kOpenConfigEditorFailed)
        .execute(sql::kUpdateSPTxCodeByName, {code, spNumber_, codeName}, sql::kSPTxCode);
}

bool ConfigSerialChannel::SaveChannelSettings(int spNumber, const std::string& protocol,
                                              const std::string& model) {
    return ConfigDb(path_, notifier_, texts::kOpenConfigEditorFailed)
        .execute(sql::kUpdateSPChannel, {protocol, model, spNumber}, sql::kSPChannel);
}

}  // namespace ketrel::projector
