#pragma once

#include <string>

namespace ketrel::projector {

// What the import needs of the serial channel being edited. The channel editor implements it
// (its send-code list and fields are what LoadCodes and LoadChannel redisplay);
// ConfigSerialChannel implements the database part for a window-less caller.
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

}  // namespace ketrel::projector
