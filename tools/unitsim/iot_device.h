#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ketrel::sim {

// Faults the gateway and smart socket behind the unit can be told to show.
struct IotFaults {
    bool noReply = false;       // answers nothing
    bool wrongId = false;       // a status reply echoes the next ID; a data reply starts with 1
    bool twoPieces = false;     // the reply comes in two parts with a pause between them
    std::string textBefore;     // sent just before the reply
    bool trailingByte = false;  // one more byte (">") after the reply's line feed
    bool twoFields = false;     // a status reply with one status field only
    std::string replyText;      // sent instead of the reply the line calls for (when not empty)
};

// The IoT gateway and the smart socket as the unit relays them. Their lines have no line
// ending, so the unit hands a line over once the line has been idle for a moment; replies are
// "IoTAckData:...\r\n" lines.
class IotDevice {
  public:
    using Writer = std::function<void(std::string_view)>;
    using NecCode = std::array<std::uint16_t, 4>;  // eight code bytes, low byte first

    static constexpr const char* kDefaultName = "KT-Gateway";
    static constexpr const char* kDefaultPassword = "12345678";
    static constexpr int kPiecePauseMs = 20;

    IotDevice();

    static bool IsIotLine(std::string_view line);
    // Handles one line; its reply, if any, goes out through write.
    void handleLine(std::string_view line, const Writer& write);

    void setFaults(const IotFaults& faults);
    IotFaults faults() const;

    // The gateway.
    std::string wifiName() const;
    std::string wifiPassword() const;

    // The socket's infrared timing and air-conditioner brand as last written.
    struct InfraredSettings {
        int carrier = 0, low = 0, high = 0, brand = 0, model = 0;
        int writes = 0;
    };
    InfraredSettings infrared() const;

    // The air conditioner as the socket last drove it (-1: never set).
    struct AirCon {
        int power = -1;  // 1 on, 0 off
        int mode = -1;   // the mode command
        int temperatureStep = -1;
        int fanSpeedStep = -1;
        int swings = 0;
    };
    AirCon airCon() const;

    // NEC codes: what the remote in front of the socket sends when it learns, and the groups.
    void setCodeToLearn(const NecCode& code);
    void storeCode(int group, const NecCode& code);
    std::optional<NecCode> storedCode(int group) const;
    std::vector<int> testedGroups() const;

    int powerCalibrations() const;
    int energyCalibrations() const;
    int energyZeroings() const;

    // The executable's "iot ..." commands: name, password, learn-code W1 W2 W3 W4,
    // fault NAME [VALUE], faults clear, state.
    std::string control(const std::string& args);

  private:
    void replyStatus(int id, bool done, const Writer& write);
    void replyData(const std::array<std::uint16_t, 10>& fields, const Writer& write);
    void send(std::string text, const Writer& write);
    void onSetData(const std::vector<long>& numbers, const Writer& write);
    void onSetCmd(int code, const Writer& write);

    mutable std::mutex mutex_;
    IotFaults faults_;
    std::string name_;
    std::string password_;
    InfraredSettings infrared_;
    AirCon airCon_;
    NecCode toLearn_;
    std::map<int, NecCode> codes_;
    std::vector<int> tested_;
    int powerCalibrations_ = 0;
    int energyCalibrations_ = 0;
    int energyZeroings_ = 0;
};

}  // namespace ketrel::sim
