#include "serial_port_list.h"

#include <QSerialPortInfo>
#include <algorithm>

#include "qt_text.h"
#include "serial_port.h"
#include "text_util.h"

namespace ketrel {

std::string PortNameForDevice(const std::string& devicePath) {
    constexpr std::string_view kDev = "/dev/";
    constexpr std::string_view kTtyS = "/dev/ttyS";
    if (StartsWith(devicePath, kTtyS) && devicePath.size() > kTtyS.size() &&
        devicePath.size() <= kTtyS.size() + 6) {
        const std::string digits = devicePath.substr(kTtyS.size());
        if (std::all_of(digits.begin(), digits.end(),
                        [](char c) { return c >= '0' && c <= '9'; })) {
            return "COM" + std::to_string(std::stol(digits) + 1);
        }
    }
    if (StartsWith(devicePath, kDev) && devicePath.find('/', kDev.size()) == std::string::npos) {
        return devicePath.substr(kDev.size());
    }
    return devicePath;
}

std::vector<std::string> ListSystemSerialPorts() {
    std::vector<std::string> names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names.push_back(PortNameForDevice(FromQ(info.systemLocation())));
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        // COM2 before COM10: shorter names of the same kind first.
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

PortChoice BuildPortChoice(const std::vector<std::string>& systemPorts,
                           const std::string& currentName) {
    PortChoice choice;
    choice.names = systemPorts;
    const std::string current = Trim(currentName);
    if (!current.empty()) {
        const std::string currentDevice = SerialPort::DevicePath(current);
        for (std::size_t i = 0; i < choice.names.size(); ++i) {
            if (EqualsNoCase(choice.names[i], current)) {
                choice.selected = static_cast<int>(i);
                break;
            }
        }
        for (std::size_t i = 0; i < choice.names.size() && choice.selected < 0; ++i) {
            if (SerialPort::DevicePath(choice.names[i]) == currentDevice) {
                choice.selected = static_cast<int>(i);
            }
        }
        if (choice.selected < 0) {
            choice.names.push_back(current);
            choice.selected = static_cast<int>(choice.names.size()) - 1;
        }
    }
    if (choice.selected < 0 && !choice.names.empty()) choice.selected = 0;
    return choice;
}

}  // namespace ketrel
