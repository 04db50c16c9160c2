#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/system_settings.h"
#include "iot/iot_line.h"

namespace ketrel {

class Notifier;
class SerialLink;

namespace iot {

// What lives for the whole run and is never stored: the air conditioner's temperature and fan
// steps as this program last set them, and the factory password once accepted.
struct IoTProcessState {
    std::uint8_t AirConTempStep = 9;  // 0..14
    std::uint8_t AirConFanStep = 3;   // 0..5
    std::string FactoryPasswordOK;
};
IoTProcessState& ProcessState();

inline constexpr const char* kFactoryPassword = "19955501234";
// Whether the factory password was accepted earlier in this run.
bool FactoryPasswordAccepted();
// Takes the typed text (trimmed) as the factory password; true and remembered when it is one.
bool AcceptFactoryPassword(std::string_view typed);

// The air-conditioner brands, each with the one remote model offered for it.
struct AirConBrand {
    const char* brand;
    const char* model;
};
inline constexpr std::array<AirConBrand, 7> kAirConBrands{{
    {"格力", "格力通用遥控"},
    {"美的", "美的通用遥控"},
    {"奥克斯", "奥克斯通用遥控"},
    {"TCL", "TCL通用遥控"},
    {"长虹", "长虹通用遥控"},
    {"志高", "志高通用遥控"},
    {"小米", "小米通用遥控"},
}};

enum class AirConButton {
    On,
    Off,
    Auto,
    Cool,
    Dry,
    FanOnly,
    Heat,
    Swing,
    TemperatureDown,
    TemperatureUp,
    FanSpeedDown,
    FanSpeedUp,
};
// The code a button sends. The four step buttons move their process-wide step first (within
// its range) and send the new step.
int AirConCode(AirConButton button);

// The SystemConfig rows of the socket and the edits that show them.
inline constexpr const char* kKeyCarrierDly = setting::kCarrierDly.name;
inline constexpr const char* kKeyLowDly = setting::kLowDly.name;
inline constexpr const char* kKeyHighDly = setting::kHighDly.name;
inline constexpr const char* kKeyBrand = setting::kACIRBrand.name;
inline constexpr const char* kKeyModel = setting::kACIRModel.name;

struct TimingField {
    const char* key;
    int maxLength;  // characters the edit takes
    int maximum;    // spin range 0..maximum
};
inline constexpr TimingField kCarrierField{kKeyCarrierDly, 3,
                                           static_cast<int>(setting::kCarrierDly.max)};
inline constexpr TimingField kLowField{kKeyLowDly, 3, static_cast<int>(setting::kLowDly.max)};
inline constexpr TimingField kHighField{kKeyHighDly, 4, static_cast<int>(setting::kHighDly.max)};

// A number as the edits and the database hold it: leading white space, an optional sign,
// decimal digits; anything else ends it, and text without a number is 0.
long long DecimalValue(std::string_view text);
// For an edit that changed: the text to put into it instead when its value is above the
// field's maximum, or nothing when the text may be stored.
std::optional<std::string> ReplacementForEdit(const TimingField& field, std::string_view text);

// The socket's settings as the database holds them. A missing timing row is left unset; a
// missing brand or model counts as 0. Brand and model keep their low 8 bits.
struct StoredSocketSettings {
    std::optional<long long> carrier, low, high;
    std::uint8_t brand = 0;
    std::uint8_t model = 0;
};
StoredSocketSettings LoadSocketSettings(const std::string& databasePath, Notifier& notifier);

// What the smart socket dialog shows of an exchange.
class SocketView {
  public:
    virtual ~SocketView() = default;
    virtual void setStatus(const std::string& text) = 0;       // the status line
    virtual void setCodeDisplay(const std::string& text) = 0;  // the NEC code bytes
    virtual void setWidthsLine(const std::string& text) = 0;   // the start bit's widths
};

// The exchanges of the smart socket dialog.
class SmartSocket {
  public:
    SmartSocket(SerialLink& link, Notifier& notifier, SocketView& view)
        : link_(link), notifier_(notifier), view_(view) {}

    // "写入配置": the values as the dialog shows them; a brand or model of 65535 means none is
    // selected. Reported by message box.
    struct Settings {
        Word carrier = 0, low = 0, high = 0, brand = 0, model = 0;
    };
    void WriteSettings(const Settings& settings);

    // The twelve air-conditioner buttons: no reply is awaited.
    void PressAirCon(AirConButton button);

    // NEC infrared codes of group g (0..31).
    void Learn(int group);
    void Read(int group);
    void Test(int group);

    // Factory calibration; the caller has checked the factory password.
    void PowerCalibration();
    void EnergyCalibration();
    void EnergyZeroing();

  private:
    void learnOrRead(int code, int group, const char* done, const char* timeout);
    void calibrate(int code, const char* done, const char* timeout, const char* failed);

    SerialLink& link_;
    Notifier& notifier_;
    SocketView& view_;
};

}  // namespace iot
}  // namespace ketrel
