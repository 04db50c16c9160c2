// ketrel-unitsim: a simulated control unit on a pseudo-terminal.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>

#include "unitsim/unit_simulator.h"

namespace {

volatile sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

int Usage(const char* argv0) {
    std::cerr << "usage: " << argv0
              << " [--link PATH] [--state FILE] [--baud N] [--model TEXT] [--deviceid TEXT]\n"
                 "       [--dhcp 0|1] [--cip ADDR] [--netmask ADDR] [--gateway ADDR]"
                 " [--dnsaddr ADDR] [--serverip ADDR]\n"
                 "       [--ok-after MS] [--status-after MS] [--readback-after MS]"
                 " [--init-after MS] [--iot-after MS]\n"
                 "Prints the path of the program's end of the line, then reads commands on\n"
                 "standard input (type help). --baud paces the line (default 115200; 0: bytes\n"
                 "move at once); the -after options are the unit's own time to answer.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Started with a standard descriptor closed, the pseudo-terminal would take its number and
    // the program's command lines would be read as console commands.
    for (int fd = 0; fd < 3; ++fd) {
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) != fd) return 1;
    }
    ketrel::sim::UnitSimulator unit;
    ketrel::sim::Faults timing;
    std::string linkPath, statePath;
    // A number of milliseconds or baud; false for anything else.
    auto number = [](const std::string& text, int& out) {
        if (text.empty() || text.size() > 9 ||
            text.find_first_not_of("0123456789") != std::string::npos)
            return false;
        out = std::stoi(text);
        return true;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") return Usage(argv[0]);
        if (i + 1 >= argc) return Usage(argv[0]);
        const std::string v = argv[++i];
        if (a == "--link")
            linkPath = v;
        else if (a == "--state")
            statePath = v;
        else if (a == "--model")
            unit.setInfo("Model", v);
        else if (a == "--baud" || a == "--ok-after" || a == "--status-after" ||
                 a == "--readback-after" || a == "--init-after" || a == "--iot-after") {
            int n = 0;
            if (!number(v, n)) return Usage(argv[0]);
            if (a == "--baud") unit.setBaud(n);
            if (a == "--ok-after") timing.okAfterMs = n;
            if (a == "--status-after") timing.statusAfterMs = n;
            if (a == "--readback-after") timing.readbackAfterMs = n;
            if (a == "--init-after") timing.initAfterMs = n;
            if (a == "--iot-after") timing.iotAfterMs = n;
        } else if (a == "--deviceid" || a == "--dhcp" || a == "--cip" || a == "--netmask" ||
                   a == "--gateway" || a == "--dnsaddr" || a == "--serverip") {
            unit.setInfo(a.substr(2), v);
        } else {
            return Usage(argv[0]);
        }
    }
    unit.setFaults(timing);
    if (!statePath.empty()) {
        if (std::filesystem::exists(statePath) && !unit.loadState(statePath)) {
            std::cerr << "ketrel-unitsim: cannot read the state file " << statePath << "\n";
            return 1;
        }
        unit.setStatePath(statePath);
    }
    std::string error;
    if (!unit.start(&error)) {
        std::cerr << "ketrel-unitsim: " << error << "\n";
        return 1;
    }
    if (!linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(linkPath, ec);
        std::filesystem::create_symlink(unit.portPath(), linkPath, ec);
        if (ec) {
            std::cerr << "ketrel-unitsim: cannot link " << linkPath << ": " << ec.message() << "\n";
            return 1;
        }
    }
    std::cout << unit.portPath() << std::endl;

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    signal(SIGPIPE, SIG_IGN);

    bool stdinOpen = true;
    std::string buffered;
    while (!g_stop) {
        if (!stdinOpen) {
            pause();  // run on until told to stop
            continue;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char chunk[1024];
        const ssize_t n = read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0) {
            stdinOpen = false;
            continue;
        }
        buffered.append(chunk, static_cast<std::size_t>(n));
        std::size_t nl;
        while ((nl = buffered.find('\n')) != std::string::npos) {
            std::string line = buffered.substr(0, nl);
            buffered.erase(0, nl + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line == "quit" || line == "exit") {
                g_stop = 1;
                break;
            }
            const std::string out = unit.control(line);
            if (!out.empty()) std::cout << out << std::endl;
        }
    }
    unit.stop();
    if (!linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(linkPath, ec);
    }
    return 0;
}
