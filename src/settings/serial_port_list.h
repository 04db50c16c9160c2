#pragma once

#include <string>
#include <vector>

namespace ketrel {

// The serial ports the system knows, named as the link opens them: /dev/ttyS<n> is COM<n+1>,
// other devices under /dev/ by their file name (ttyUSB0, ttyACM0), anything else by its path.
std::vector<std::string> ListSystemSerialPorts();
std::string PortNameForDevice(const std::string& devicePath);

struct PortChoice {
    std::vector<std::string> names;
    int selected = -1;  // -1 only when there is nothing to choose
};

// The entries of the port list: the system's ports, and the current port when the system does
// not list it (a pseudo-terminal, an adapter that is unplugged right now), so the dialog never
// hides the port in use. The current port is preselected, its name compared without regard to
// case or by the device it names.
PortChoice BuildPortChoice(const std::vector<std::string>& systemPorts,
                           const std::string& currentName);

}  // namespace ketrel
