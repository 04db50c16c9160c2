#include "app_state.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "ini_file.h"

namespace ketrel {

namespace fs = std::filesystem;

SharedText::SharedText(std::string initial)
    : value_(std::make_shared<const std::string>(std::move(initial))) {}

std::string SharedText::get() const {
    std::shared_ptr<const std::string> v;
    {
        std::lock_guard lock(mutex_);
        v = value_;
    }
    return *v;
}

void SharedText::set(std::string value) {
    auto v = std::make_shared<const std::string>(std::move(value));
    std::lock_guard lock(mutex_);
    value_.swap(v);
}

namespace {
std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

std::string ExecutableDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return WithSlash(fs::current_path(ec).string());
    return WithSlash(exe.parent_path().string());
}

std::string UserDataDir() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x) return WithSlash(x) + "ketrel/";
    const char* home = std::getenv("HOME");
    return WithSlash(home && *home ? home : "/tmp") + ".local/share/ketrel/";
}
}  // namespace

std::string AppState::ResolveAppDir(const std::string& overrideDir) {
    if (!overrideDir.empty()) {
        std::error_code ec;
        const fs::path abs = fs::absolute(overrideDir, ec);
        return WithSlash(ec ? overrideDir : abs.string());
    }
    const std::string exeDir = ExecutableDir();
    if (access(exeDir.c_str(), W_OK) == 0) return exeDir;
    // Installed read-only: keep the user's files in the data directory, seeded from the
    // supplied copies beside the executable.
    const std::string dataDir = UserDataDir();
    std::error_code ec;
    fs::create_directories(dataDir, ec);
    for (const char* name : {"CONFIG", "DEVICES", "config.ini"}) {
        const fs::path from = fs::path(exeDir) / name;
        const fs::path to = fs::path(dataDir) / name;
        if (!fs::exists(to, ec) && fs::exists(from, ec)) fs::copy_file(from, to, ec);
    }
    return dataDir;
}

AppState::AppState(std::string appDir)
    : appDir_(WithSlash(std::move(appDir))),
      iniPath_(appDir_ + "config.ini"),
      databasePath_(appDir_ + "CONFIG"),
      portName_(IniFile::read(iniPath_, kSection, "PortName", kDefaultPort)),
      openAppPath_(IniFile::read(iniPath_, kSection, "OpenAppPath", "")),
      settingsPassword_(IniFile::read(iniPath_, kSection, "Author", "")) {}

bool AppState::SavePortName(const std::string& name, std::string* error) {
    if (!IniFile::write(iniPath_, kSection, "PortName", name, error)) return false;
    portName_ = name;
    return true;
}

bool AppState::SaveOpenAppPath(const std::string& path, std::string* error) {
    if (!IniFile::write(iniPath_, kSection, "OpenAppPath", path, error)) return false;
    openAppPath_.set(path);
    return true;
}

}  // namespace ketrel
