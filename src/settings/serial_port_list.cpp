#include "settings/serial_port_list.h"

#include <QSerialPortInfo>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "link/serial_port.h"
#include "platform/text_util.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {

namespace fs = std::filesystem;

// ttyS2 before ttyS10: the name without its trailing number, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto key = [](const std::string& s) {
        const std::size_t digits = s.find_last_not_of("0123456789") + 1;
        return std::make_tuple(s.substr(0, digits), s.size() - digits, s.substr(digits));
    };
    return key(a) < key(b);
}

std::string AdapterDetails(const SerialDevice& d) {
    std::string text;
    for (const std::string* part : {&d.description, &d.manufacturer, &d.serialNumber}) {
        const std::string p = Trim(*part);
        if (p.empty() || text.find(p) != std::string::npos) continue;
        text += (text.empty() ? "" : ", ") + p;
    }
    return text;
}

}  // namespace

std::string PortDevice(const std::string& name) {
    const std::string path = SerialPort::DevicePath(name);
    std::error_code ec;
    const fs::path resolved = fs::weakly_canonical(path, ec);
    return ec ? path : resolved.string();
}

std::vector<SerialDevice> ListSystemSerialPorts() {
    std::vector<SerialDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        devices.push_back({FromQ(info.systemLocation()), FromQ(info.description()),
                           FromQ(info.manufacturer()), FromQ(info.serialNumber())});
    }
    std::sort(devices.begin(), devices.end(),
              [](const auto& a, const auto& b) { return NaturalLess(a.path, b.path); });
    devices.erase(std::unique(devices.begin(), devices.end(),
                              [](const auto& a, const auto& b) { return a.path == b.path; }),
                  devices.end());
    return devices;
}

std::vector<PortEntry> ListPorts(const PortLister& lister) {
    struct Link {
        std::string path;
        std::string device;
    };
    std::vector<Link> links;
    std::error_code ec;
    for (fs::directory_iterator it(lister.byIdDir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const fs::path device = fs::canonical(it->path(), linkError);
        if (!linkError) links.push_back({it->path().string(), device.string()});
    }
    std::sort(links.begin(), links.end(),
              [](const Link& a, const Link& b) { return NaturalLess(a.path, b.path); });

    std::vector<PortEntry> entries;
    const auto addLinksTo = [&](const std::string& device) {
        for (auto it = links.begin(); it != links.end();) {
            if (device.empty() || it->device == device) {
                entries.push_back({it->path, "→ " + it->device});
                it = links.erase(it);
            } else {
                ++it;
            }
        }
    };
    for (const SerialDevice& d : lister.devices ? lister.devices() : std::vector<SerialDevice>{}) {
        entries.push_back({d.path, AdapterDetails(d)});
        addLinksTo(PortDevice(d.path));
    }
    addLinksTo("");
    return entries;
}

PortChoice BuildPortChoice(std::vector<PortEntry> listed, const std::string& currentName) {
    PortChoice choice;
    choice.entries = std::move(listed);
    const std::string current = Trim(currentName);
    if (!current.empty()) {
        const std::string device = SerialPort::DevicePath(current);
        auto& entries = choice.entries;
        const auto same = std::find_if(entries.begin(), entries.end(), [&](const PortEntry& e) {
            return SerialPort::DevicePath(e.path) == device;
        });
        choice.selected = static_cast<int>(same - entries.begin());
        if (same == entries.end()) entries.push_back({current, ""});
    }
    if (choice.selected < 0 && !choice.entries.empty()) choice.selected = 0;
    return choice;
}

}  // namespace ketrel
