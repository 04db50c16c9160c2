#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ketrel {

// A serial device the system knows, with what it says about the adapter (empty where it says
// nothing).
struct SerialDevice {
    std::string path;  // /dev/ttyUSB0
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
};

// The system's serial devices by their paths, in natural order (ttyS2 before ttyS10).
std::vector<SerialDevice> ListSystemSerialPorts();

// The device a port name opens: COMn and names under /dev/ as the link maps them, links
// followed; the mapped path itself where it leads nowhere.
std::string PortDevice(const std::string& name);

// Where the port list comes from: the system's devices and the folder of the stable names that
// udev gives them. Tests point both elsewhere.
struct PortLister {
    std::function<std::vector<SerialDevice>()> devices = ListSystemSerialPorts;
    std::string byIdDir = "/dev/serial/by-id";
};

// One entry of the port list: the path shown, stored and opened, and what is known about it.
struct PortEntry {
    std::string path;
    std::string details;  // the adapter; for a stable name, the device it is now

    bool operator==(const PortEntry&) const = default;
};

// Each device followed by the stable names that lead to it; stable names of devices the system
// does not list (a pseudo-terminal) come last. A name leading nowhere is left out.
std::vector<PortEntry> ListPorts(const PortLister& lister);

struct PortChoice {
    std::vector<PortEntry> entries;
    int selected = -1;  // -1 only when there is nothing to choose
};

// The entries of the port list: the listed ports, and the current port when it is not among
// them (a pseudo-terminal, an adapter that is unplugged right now), so the dialog never hides
// the port in use. The current port is preselected: the entry of that name, else the entry of
// the device it names (COM1 is /dev/ttyS0, ttyUSB0 is /dev/ttyUSB0). Links are not followed
// here: a link the user typed stays in the list as typed.
PortChoice BuildPortChoice(std::vector<PortEntry> listed, const std::string& currentName);

}  // namespace ketrel
