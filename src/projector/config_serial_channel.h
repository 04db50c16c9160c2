#pragma once

#include <string>

#include "notifier.h"
#include "serial_channel_operations.h"

namespace ketrel::projector {

// The import's channel operations on the configuration database file, one statement per call
// with the file opened and closed around it. Texts are bound as parameters, so a quote in a
// model name or a code is stored as it is. LoadCodes and LoadChannel have nothing to show.
class ConfigSerialChannel : public SerialChannelOperations {
  public:
    // How long a statement waits for a database locked by another program.
    static constexpr int kBusyTimeoutMs = 2000;

    ConfigSerialChannel(std::string configPath, int spNumber, Notifier& notifier);

    bool HasCode(const std::string& codeName) override;
    bool SetCodeByName(const std::string& codeName, const std::string& code) override;
    bool SaveChannelSettings(int spNumber, const std::string& protocol,
                             const std::string& model) override;
    void LoadCodes(int) override {}
    void LoadChannel(int) override {}

    int SPNumber() const { return spNumber_; }

  private:
    std::string path_;
    int spNumber_;
    Notifier& notifier_;
};

}  // namespace ketrel::projector
