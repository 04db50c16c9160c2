#include "unitsim/iot_device.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <sstream>
#include <thread>

namespace ketrel::sim {

namespace {

constexpr std::string_view kSetData = "IoTSetData:";
constexpr std::string_view kSetCmd = "IoTSetCmd:";
constexpr std::size_t kSetDataNumbers = 10;
constexpr long kWordCount = 8;

// Comma-separated decimal numbers, every one present and nothing else.
bool ParseNumbers(std::string_view text, std::vector<long>& out) {
    out.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = std::min(text.find(',', start), text.size());
        long value = 0;
        const char* first = text.data() + start;
        const char* last = text.data() + end;
        const auto [ptr, ec] = std::from_chars(first, last, value);
        if (first == last || ec != std::errc() || ptr != last || value < 0) return false;
        out.push_back(value);
        if (end == text.size()) return true;
        start = end + 1;
    }
}

std::string Bytes(const std::array<std::uint16_t, 8>& words) {
    std::string s;
    for (std::uint16_t w : words) {
        s += static_cast<char>(w & 0xFF);
        s += static_cast<char>(w >> 8);
    }
    return s.substr(0, s.find('\0'));
}

}  // namespace

IotDevice::IotDevice()
    : name_(kDefaultName), password_(kDefaultPassword), toLearn_{0x1234, 0x5678, 0x9ABC, 0xDEF0} {}

bool IotDevice::IsIotLine(std::string_view line) {
    return line.starts_with(kSetData) || line.starts_with(kSetCmd);
}

void IotDevice::handleLine(std::string_view line, const Writer& write) {
    std::vector<long> numbers;
    if (line.starts_with(kSetData)) {
        if (!ParseNumbers(line.substr(kSetData.size()), numbers)) return;
        if (numbers.size() != kSetDataNumbers || numbers.back() != kWordCount) return;
        for (std::size_t i = 1; i + 1 < numbers.size(); ++i) {
            if (numbers[i] > 0xFFFF) return;
        }
        onSetData(numbers, write);
    } else if (line.starts_with(kSetCmd)) {
        if (!ParseNumbers(line.substr(kSetCmd.size()), numbers)) return;
        if (numbers.size() != 2 || numbers[0] != 0) return;
        onSetCmd(static_cast<int>(numbers[1]), write);
    }
}

void IotDevice::onSetData(const std::vector<long>& n, const Writer& write) {
    const int id = static_cast<int>(n[0]);
    std::array<std::uint16_t, 8> words{};
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = static_cast<std::uint16_t>(n[i + 1]);
    bool known = true;
    {
        std::lock_guard lock(mutex_);
        switch (id) {
            case 250:
                name_ = Bytes(words);
                break;
            case 251:
                password_ = Bytes(words);
                break;
            case 252:
                name_ = kDefaultName;
                password_ = kDefaultPassword;
                break;
            case 0:
                infrared_.carrier = words[0];
                infrared_.low = words[1];
                infrared_.high = words[2];
                infrared_.brand = words[3];
                infrared_.model = words[4];
                ++infrared_.writes;
                break;
            default:
                known = false;  // neither the gateway's nor the socket's: refused
                break;
        }
    }
    replyStatus(id, known, write);
}

void IotDevice::onSetCmd(int code, const Writer& write) {
    std::optional<NecCode> reply;
    bool status = false;
    {
        std::lock_guard lock(mutex_);
        if (code == 0 || code == 1) {
            airCon_.power = code == 0 ? 1 : 0;
        } else if (code >= 3 && code <= 7) {
            airCon_.mode = code;
        } else if (code >= 8 && code <= 22) {
            airCon_.temperatureStep = code - 8;
        } else if (code == 23) {
            ++airCon_.swings;
        } else if (code >= 24 && code <= 29) {
            airCon_.fanSpeedStep = code - 24;
        } else if (code >= 32 && code <= 63) {
            codes_[code - 32] = toLearn_;
            reply = toLearn_;
        } else if (code >= 64 && code <= 95) {
            const auto it = codes_.find(code - 64);
            reply = it != codes_.end() ? it->second : NecCode{};
        } else if (code >= 96 && code <= 127) {
            tested_.push_back(code - 96);
        } else if (code == 128) {
            ++powerCalibrations_;
            status = true;
        } else if (code == 129) {
            ++energyCalibrations_;
        } else if (code == 130) {
            ++energyZeroings_;
            status = true;
        }
    }
    if (status) replyStatus(0, true, write);
    if (reply) {
        std::array<std::uint16_t, 10> fields{};
        for (std::size_t i = 0; i < reply->size(); ++i) fields[i + 1] = (*reply)[i];
        fields[9] = kWordCount;
        replyData(fields, write);
    }
}

void IotDevice::replyStatus(int id, bool done, const Writer& write) {
    const IotFaults f = faults();
    const int echoed = f.wrongId ? id + 1 : id;
    const char* status = done ? ",1" : ",0";
    std::string text = "IoTAckData:" + std::to_string(echoed) + status;
    if (!f.twoFields) text += status;
    send(text + "\r\n", write);
}

void IotDevice::replyData(const std::array<std::uint16_t, 10>& fields, const Writer& write) {
    const IotFaults f = faults();
    std::string text = "IoTAckData:";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) text += ",";
        text += std::to_string(i == 0 && f.wrongId ? 1 : fields[i]);
    }
    send(text + "\r\n", write);
}

void IotDevice::send(std::string text, const Writer& write) {
    const IotFaults f = faults();
    if (f.noReply) return;
    if (!f.replyText.empty()) text = f.replyText;
    text = f.textBefore + text;
    if (f.trailingByte) text += ">";
    if (f.twoPieces && text.size() > 1) {
        const std::size_t half = text.size() / 2;
        write(std::string_view(text).substr(0, half));
        std::this_thread::sleep_for(std::chrono::milliseconds(kPiecePauseMs));
        write(std::string_view(text).substr(half));
        return;
    }
    write(text);
}

void IotDevice::setFaults(const IotFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_ = faults;
}

IotFaults IotDevice::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

std::string IotDevice::wifiName() const {
    std::lock_guard lock(mutex_);
    return name_;
}

std::string IotDevice::wifiPassword() const {
    std::lock_guard lock(mutex_);
    return password_;
}

IotDevice::InfraredSettings IotDevice::infrared() const {
    std::lock_guard lock(mutex_);
    return infrared_;
}

IotDevice::AirCon IotDevice::airCon() const {
    std::lock_guard lock(mutex_);
    return airCon_;
}

void IotDevice::setCodeToLearn(const NecCode& code) {
    std::lock_guard lock(mutex_);
    toLearn_ = code;
}

void IotDevice::storeCode(int group, const NecCode& code) {
    std::lock_guard lock(mutex_);
    codes_[group] = code;
}

std::optional<IotDevice::NecCode> IotDevice::storedCode(int group) const {
    std::lock_guard lock(mutex_);
    const auto it = codes_.find(group);
    if (it == codes_.end()) return std::nullopt;
    return it->second;
}

std::vector<int> IotDevice::testedGroups() const {
    std::lock_guard lock(mutex_);
    return tested_;
}

int IotDevice::powerCalibrations() const {
    std::lock_guard lock(mutex_);
    return powerCalibrations_;
}

int IotDevice::energyCalibrations() const {
    std::lock_guard lock(mutex_);
    return energyCalibrations_;
}

int IotDevice::energyZeroings() const {
    std::lock_guard lock(mutex_);
    return energyZeroings_;
}

std::string IotDevice::control(const std::string& args) {
    std::istringstream in(args);
    std::string cmd;
    in >> cmd;
    std::string rest;
    std::getline(in >> std::ws, rest);
    if (cmd == "name") return wifiName();
    if (cmd == "password") return wifiPassword();
    if (cmd == "learn-code") {
        std::istringstream words(rest);
        NecCode code{};
        for (auto& w : code) {
            long v = -1;
            if (!(words >> v) || v < 0 || v > 0xFFFF)
                return "error: learn-code W1 W2 W3 W4 (0..65535)";
            w = static_cast<std::uint16_t>(v);
        }
        setCodeToLearn(code);
        return {};
    }
    if (cmd == "faults" && rest == "clear") {
        setFaults(IotFaults{});
        return {};
    }
    if (cmd == "fault") {
        std::istringstream kv(rest);
        std::string name, value;
        kv >> name;
        std::getline(kv >> std::ws, value);
        const bool on = value.empty() || value != "0";
        IotFaults f = faults();
        if (name == "no-reply")
            f.noReply = on;
        else if (name == "wrong-id")
            f.wrongId = on;
        else if (name == "two-pieces")
            f.twoPieces = on;
        else if (name == "text-before")
            f.textBefore = value;
        else if (name == "trailing-byte")
            f.trailingByte = on;
        else if (name == "two-fields")
            f.twoFields = on;
        else if (name == "reply")
            f.replyText = value.empty() ? std::string() : value + "\r\n";
        else
            return "error: unknown iot fault " + name;
        setFaults(f);
        return {};
    }
    if (cmd == "state") {
        const InfraredSettings ir = infrared();
        const AirCon ac = airCon();
        std::ostringstream s;
        s << "name=" << wifiName() << " password=" << wifiPassword() << " carrier=" << ir.carrier
          << " low=" << ir.low << " high=" << ir.high << " brand=" << ir.brand
          << " model=" << ir.model << " power=" << ac.power << " mode=" << ac.mode
          << " temperature=" << ac.temperatureStep << " fan=" << ac.fanSpeedStep
          << " power-calibrations=" << powerCalibrations()
          << " energy-calibrations=" << energyCalibrations()
          << " energy-zeroings=" << energyZeroings();
        return s.str();
    }
    return "iot name | iot password | iot state | iot learn-code W1 W2 W3 W4 | "
           "iot fault no-reply|wrong-id|two-pieces|text-before TEXT|trailing-byte|two-fields|"
           "reply TEXT | iot faults clear";
}

}  // namespace ketrel::sim
