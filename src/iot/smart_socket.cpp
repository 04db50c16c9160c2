#include "iot/smart_socket.h"

#include <climits>
#include <cstdio>

#include "common/notifier.h"
#include "common/texts.h"
#include "config/config_db.h"
#include "iot/iot_texts.h"
#include "iot/iot_transaction.h"
#include "platform/text_util.h"

namespace ketrel::iot {

namespace {

using Outcome = ExchangeResult::Outcome;

std::string WithNumber(const char* format, int number) {
    char text[160];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

std::optional<std::string> LineFor(int code) { return FormatSetCmd(code); }

// The status line of an exchange that brought no reply: true when it ended there, false when
// there is a reply to read.
bool ShowNoReply(SocketView& view, const ExchangeResult& result, const std::string& timeout) {
    switch (result.outcome) {
        case Outcome::Replied:
            return false;
        case Outcome::SendFailed:
            view.setStatus(texts::kIoTSendFailed);
            return true;
        case Outcome::NoReply:
            view.setStatus(timeout);
            return true;
        case Outcome::PortInvalid:
        case Outcome::Stopped:
        case Outcome::Sent:
            return true;
    }
    return true;
}

}  // namespace

IoTProcessState& ProcessState() {
    static IoTProcessState state;
    return state;
}

bool FactoryPasswordAccepted() {
    return Trim(ProcessState().FactoryPasswordOK) == kFactoryPassword;
}

bool AcceptFactoryPassword(std::string_view typed) {
    const std::string text = Trim(typed);
    if (text != kFactoryPassword) return false;
    ProcessState().FactoryPasswordOK = text;
    return true;
}

int AirConCode(AirConButton button) {
    IoTProcessState& state = ProcessState();
    switch (button) {
        case AirConButton::On:
            return kCmdAirConOn;
        case AirConButton::Off:
            return kCmdAirConOff;
        case AirConButton::Auto:
            return kCmdModeAuto;
        case AirConButton::Cool:
            return kCmdModeCool;
        case AirConButton::Dry:
            return kCmdModeDry;
        case AirConButton::FanOnly:
            return kCmdModeFan;
        case AirConButton::Heat:
            return kCmdModeHeat;
        case AirConButton::Swing:
            return kCmdSwing;
        case AirConButton::TemperatureDown:
            if (state.AirConTempStep > 0) --state.AirConTempStep;
            return kCmdTemperatureBase + state.AirConTempStep;
        case AirConButton::TemperatureUp:
            if (state.AirConTempStep < kTemperatureSteps - 1) ++state.AirConTempStep;
            return kCmdTemperatureBase + state.AirConTempStep;
        case AirConButton::FanSpeedDown:
            if (state.AirConFanStep > 0) --state.AirConFanStep;
            return kCmdFanSpeedBase + state.AirConFanStep;
        case AirConButton::FanSpeedUp:
            if (state.AirConFanStep < kFanSpeedSteps - 1) ++state.AirConFanStep;
            return kCmdFanSpeedBase + state.AirConFanStep;
    }
    return kCmdAirConOn;
}

long long DecimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // Far beyond every range in use; saturating keeps a long row of digits harmless.
        if (value < LLONG_MAX / 100) value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::optional<std::string> ReplacementForEdit(const TimingField& field, std::string_view text) {
    if (DecimalValue(text) <= field.maximum) return std::nullopt;
    return std::to_string(field.maximum);
}

StoredSocketSettings LoadSocketSettings(const std::string& databasePath, Notifier& notifier) {
    StoredSocketSettings out;
    std::string value;
    if (GetConfigValue(databasePath, notifier, kKeyBrand, value)) {
        out.brand = static_cast<std::uint8_t>(DecimalValue(value));
    }
    value.clear();
    if (GetConfigValue(databasePath, notifier, kKeyModel, value)) {
        out.model = static_cast<std::uint8_t>(DecimalValue(value));
    }
    const std::pair<const char*, std::optional<long long>*> timings[] = {
        {kKeyCarrierDly, &out.carrier}, {kKeyLowDly, &out.low}, {kKeyHighDly, &out.high}};
    for (const auto& [key, target] : timings) {
        value.clear();
        if (GetConfigValue(databasePath, notifier, key, value)) *target = DecimalValue(value);
    }
    return out;
}

void SmartSocket::WriteSettings(const Settings& s) {
    const ExchangeResult result = RunExchange(
        link_, FormatSetDataFive(kIdSocketSettings, s.carrier, s.low, s.high, s.brand, s.model),
        Await::Status);
    ReportWrite(notifier_, result, kIdSocketSettings, texts::kSocketSetDone,
                texts::kSocketSetFailed);
}

void SmartSocket::PressAirCon(AirConButton button) {
    // The step moves even when nothing can be sent: the user pressed the button.
    const int code = AirConCode(button);
    const ExchangeResult result = RunExchange(
        link_,
        [&] {
            view_.setStatus({});
            return LineFor(code);
        },
        Await::Nothing);
    if (result.outcome == Outcome::Sent) view_.setStatus(WithNumber(texts::kAirConSent, code));
    if (result.outcome == Outcome::SendFailed) view_.setStatus(texts::kIoTSendFailed);
}

void SmartSocket::Learn(int group) {
    learnOrRead(kCmdLearnBase, group, texts::kNecLearned, texts::kNecLearnTimeout);
}

void SmartSocket::Read(int group) {
    learnOrRead(kCmdReadBase, group, texts::kNecRead, texts::kNecReadTimeout);
}

void SmartSocket::learnOrRead(int base, int group, const char* done, const char* timeout) {
    const ExchangeResult result = RunExchange(
        link_,
        [&] {
            view_.setCodeDisplay({});
            view_.setWidthsLine({});
            view_.setStatus({});
            return LineFor(base + group);
        },
        Await::Data);
    if (ShowNoReply(view_, result, WithNumber(timeout, group + 1))) return;
    const auto& f = result.fields;
    if (f[0] != 0 || f[9] != kDataWordCount) {
        view_.setStatus(texts::kNecWrongId);
        return;
    }
    char code[32];
    std::snprintf(code, sizeof code, "%02X %02X %02X %02X %02X %02X %02X %02X", f[1] & 0xFF,
                  f[1] >> 8, f[2] & 0xFF, f[2] >> 8, f[3] & 0xFF, f[3] >> 8, f[4] & 0xFF,
                  f[4] >> 8);
    char widths[128];
    std::snprintf(widths, sizeof widths, texts::kNecWidths, f[1], f[2]);
    view_.setCodeDisplay(code);
    view_.setWidthsLine(widths);
    view_.setStatus(WithNumber(done, group + 1));
}

void SmartSocket::Test(int group) {
    const ExchangeResult result = RunExchange(
        link_,
        [&] {
            view_.setStatus({});
            return LineFor(kCmdTestBase + group);
        },
        Await::Nothing);
    if (result.outcome == Outcome::Sent) view_.setStatus(WithNumber(texts::kNecSent, group + 1));
    if (result.outcome == Outcome::SendFailed) view_.setStatus(texts::kIoTSendFailed);
}

void SmartSocket::PowerCalibration() {
    calibrate(kCmdPowerCalibration, texts::kPowerCalSent, texts::kPowerCalTimeout,
              texts::kPowerCalFailed);
}

void SmartSocket::EnergyZeroing() {
    calibrate(kCmdEnergyZeroing, texts::kEnergyZeroSent, texts::kEnergyZeroTimeout,
              texts::kEnergyZeroFailed);
}

void SmartSocket::calibrate(int code, const char* done, const char* timeout, const char* failed) {
    const ExchangeResult result = RunExchange(
        link_,
        [&] {
            view_.setStatus({});
            return LineFor(code);
        },
        Await::Status);
    if (ShowNoReply(view_, result, timeout)) return;
    view_.setStatus(result.succeeded(0) ? done : failed);
}

void SmartSocket::EnergyCalibration() {
    // The calibration takes minutes; nothing waits for it, the words only tell the user.
    const ExchangeResult result =
        RunExchange(link_, FormatSetCmd(kCmdEnergyCalibration), Await::Nothing);
    if (result.outcome == Outcome::Sent) view_.setStatus(texts::kEnergyCalSent);
    if (result.outcome == Outcome::SendFailed) view_.setStatus(texts::kIoTSendFailed);
}

}  // namespace ketrel::iot
