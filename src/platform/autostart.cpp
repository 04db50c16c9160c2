#include "platform/autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/safe_file.h"
#include "platform/text_util.h"

namespace ketrel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The characters that keep their special meaning inside double quotes of an Exec value.
bool EscapedInQuotes(char c) { return c == '"' || c == '`' || c == '$' || c == '\\'; }

// Undoes the escapes of a desktop file string value.
std::string UnescapeValue(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (value[++i]) {
            case 's':
                out += ' ';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '\\':
                out += '\\';
                break;
            default:
                out += '\\';
                out += value[i];
                break;
        }
    }
    return out;
}

std::string EscapeValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

// The entry is written whole or not at all (a session starting meanwhile never reads half).
bool ReplaceFile(const fs::path& path, const std::string& data) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::string reason;
    return WriteFileWhole(path.string(), data, reason);
}

struct DesktopEntry {
    bool found = false;
    bool hidden = false;
    std::string exec;  // raw value, escapes not undone
};

DesktopEntry ReadEntry(const std::string& path) {
    DesktopEntry entry;
    std::ifstream in(path, std::ios::binary);
    if (!in) return entry;
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (trimmed[0] == '[') {
            inGroup = trimmed == kGroup;
            continue;
        }
        if (!inGroup) continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Trim(std::string_view(line).substr(0, eq));
        const std::string value = line.substr(eq + 1);
        if (key == "Exec" && !entry.found) {
            entry.found = true;
            entry.exec = value;
        } else if (key == "Hidden") {
            entry.hidden = Trim(value) == "true";
        }
    }
    return entry;
}

}  // namespace

std::string UserConfigHome() {
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && x[0] == '/') {
        std::string dir = x;
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        return dir;
    }
    const char* home = std::getenv("HOME");
    std::string dir = home && *home ? home : "/tmp";
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir + "/.config";
}

std::string CurrentExecutablePath() {
    std::error_code ec;
    std::string path = fs::read_symlink("/proc/self/exe", ec).string();
    if (ec) return {};
    // A rebuilt or replaced executable still starts from the same place at the next log-on.
    constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() &&
        std::string_view(path).substr(path.size() - kDeleted.size()) == kDeleted) {
        path.resize(path.size() - kDeleted.size());
    }
    return path;
}

std::string AutoStartFilePath() { return UserConfigHome() + "/autostart/Pelmar.desktop"; }

std::string DesktopExecValue(const std::string& path) {
    if (path.empty() || path.find_first_of("\r\n") != std::string::npos) return {};
    std::string exec;
    if (path.find_first_of(kReserved) == std::string::npos) {
        exec = path;
    } else {
        exec = "\"";
        for (char c : path) {
            if (EscapedInQuotes(c)) exec += '\\';
            exec += c;
        }
        exec += '"';
    }
    // Field codes start with a percent sign; a literal one is doubled.
    std::string withPercent;
    for (char c : exec) {
        withPercent += c;
        if (c == '%') withPercent += '%';
    }
    return EscapeValue(withPercent);
}

std::string DesktopExecProgram(const std::string& value) {
    const std::string text = Trim(UnescapeValue(value));
    std::vector<std::string> args;
    std::string current;
    bool inArg = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            inArg = true;
            bool closed = false;
            for (++i; i < text.size(); ++i) {
                if (text[i] == '\\' && i + 1 < text.size() && EscapedInQuotes(text[i + 1])) {
                    current += text[++i];
                } else if (text[i] == '"') {
                    closed = true;
                    break;
                } else if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == '%') {
                    current += text[++i];
                } else {
                    current += text[i];
                }
            }
            if (!closed) return {};
        } else if (c == ' ' || c == '\t') {
            if (inArg) args.push_back(current);
            current.clear();
            inArg = false;
        } else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
            current += text[++i];
            inArg = true;
        } else {
            current += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(current);
    return args.size() == 1 ? args[0] : std::string();
}

void SetAutoStart(bool enable) { SetAutoStart(enable, CurrentExecutablePath()); }

void SetAutoStart(bool enable, const std::string& executablePath) {
    const std::string file = AutoStartFilePath();
    std::error_code ec;
    if (!enable) {
        fs::remove(file, ec);
        return;
    }
    const std::string exec = DesktopExecValue(executablePath);
    if (exec.empty()) return;
    std::ostringstream entry;
    entry << kGroup << "\n"
          << "Type=Application\n"
          << "Name=Ketrel\n"
          << "Exec=" << exec
          << "\n"
          // The icon the package installs in the hicolor theme, as the menu entry names it.
          << "Icon=ketrel\n"
          << "Terminal=false\n"
          << "X-GNOME-Autostart-enabled=true\n";
    ReplaceFile(file, entry.str());
}

bool IsAutoStartSet() { return IsAutoStartSet(CurrentExecutablePath()); }

bool IsAutoStartSet(const std::string& executablePath) {
    const DesktopEntry entry = ReadEntry(AutoStartFilePath());
    if (!entry.found || entry.hidden) return false;
    const std::string program = DesktopExecProgram(entry.exec);
    return !program.empty() && Trim(program) == Trim(executablePath);
}

}  // namespace ketrel
