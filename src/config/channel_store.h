#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "common/notifier.h"

namespace ketrel {

// The serial channels (SPChannel, SPTxCode) or the infrared channel (IRChannel, IRTxCode).
enum class ChannelKind { Serial, Infrared };

struct ChannelRow {
    int number = 0;
    std::string name;
    std::string protocol;  // "9600,None,8,1" for a serial channel, "NEC" for the infrared one
    std::string model;
};

struct SendCodeRow {
    int id = 0;
    int channel = 0;
    std::string name;
    std::string code;
};

// A serial channel's protocol text in its four parts (baud rate, parity, data bits, stop bits),
// or nothing when it does not have exactly four comma-separated parts.
std::optional<std::array<std::string, 4>> SplitSerialProtocol(const std::string& protocol);

// The channel tables of one kind in the configuration database. Every call opens the file for
// one statement. Reads are quiet (a window redisplaying what it can); writes show the editors'
// failure messages.
class ChannelStore {
  public:
    ChannelStore(ChannelKind kind, std::string databasePath, Notifier& notifier)
        : kind_(kind), path_(std::move(databasePath)), notifier_(notifier) {}

    // Every channel in table order.
    std::optional<std::vector<ChannelRow>> LoadChannels() const;
    // The one channel of that number; nothing when there is not exactly one.
    std::optional<ChannelRow> LoadChannel(int number) const;
    // A channel's send codes in table order.
    std::optional<std::vector<SendCodeRow>> LoadCodes(int channel) const;

    bool SaveChannel(int number, const std::string& protocol, const std::string& model) const;
    bool SetCode(int id, const std::string& code) const;

    // By code name, as the projector import fills a serial channel: whether the channel has
    // exactly one code of that name, and setting its text.
    bool HasCode(int channel, const std::string& codeName) const;
    bool SetCodeByName(int channel, const std::string& codeName, const std::string& code) const;

  private:
    ChannelKind kind_;
    std::string path_;
    Notifier& notifier_;
};

// What the projector import needs of the serial channel it fills. The channel editor implements
// it (its send-code list and fields are what LoadCodes and LoadChannel redisplay);
// StoredSerialChannel implements it on the database alone, for a caller without the editor's
// window.
class SerialChannelOperations {
  public:
    virtual ~SerialChannelOperations() = default;

    // True when the edited channel has exactly one send code of that name. Failures are
    // silent (false).
    virtual bool HasCode(const std::string& codeName) = 0;
    // Sets the code text of the edited channel's send code of that name; shows the editor's
    // messages on a failure.
    virtual bool SetCodeByName(const std::string& codeName, const std::string& code) = 0;
    // Sets a channel's line settings and device name; shows the editor's messages on a failure.
    virtual bool SaveChannelSettings(int spNumber, const std::string& protocol,
                                     const std::string& model) = 0;
    // Redisplay the channel's send codes and its fields.
    virtual void LoadCodes(int spNumber) = 0;
    virtual void LoadChannel(int spNumber) = 0;
};

class StoredSerialChannel : public SerialChannelOperations {
  public:
    StoredSerialChannel(std::string databasePath, int spNumber, Notifier& notifier)
        : store_(ChannelKind::Serial, std::move(databasePath), notifier), spNumber_(spNumber) {}

    bool HasCode(const std::string& codeName) override {
        return store_.HasCode(spNumber_, codeName);
    }
    bool SetCodeByName(const std::string& codeName, const std::string& code) override {
        return store_.SetCodeByName(spNumber_, codeName, code);
    }
    bool SaveChannelSettings(int spNumber, const std::string& protocol,
                             const std::string& model) override {
        return store_.SaveChannel(spNumber, protocol, model);
    }
    void LoadCodes(int) override {}
    void LoadChannel(int) override {}

  private:
    ChannelStore store_;
    int spNumber_;
};

}  // namespace ketrel
