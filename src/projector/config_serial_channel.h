#pragma once

#include <string>

#include "common/notifier.h"
#include "projector/serial_channel_operations.h"

namespace ketrel::projector {

// The import's channel operations on the configuration database file through ConfigDb, with
// the serial channel editor's statements and messages, for a caller without the editor's
// window (tests, tools). LoadCodes and LoadChannel have nothing to show.
class ConfigSerialChannel : public SerialChannelOperations {
  public:
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
