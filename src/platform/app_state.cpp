#include "platform/app_state.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/ini_file.h"

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

}  // namespace

std::string AppState::DataDirPath() {
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && x[0] == '/') {
        return WithSlash(x) + "ketrel/";
    }
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/') {
        home = h;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/') {
        // A service or a login without HOME: the home the system knows for the user.
        home = pw->pw_dir;
    }
    return home.empty() ? std::string() : WithSlash(home) + ".local/share/ketrel/";
}

namespace {

// The directory holds the settings, including the program the unit may have started: it must
// be the user's alone, so nobody else can have put files there.
bool IsPrivateDir(const std::string& dir, std::string& why) {
    struct stat st {};
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        why = "not a directory";
    } else if (st.st_uid != getuid()) {
        why = "owned by another user";
    } else if (st.st_mode & S_IWOTH) {
        why = "writable by every user";
    } else {
        return true;
    }
    return false;
}
}  // namespace

std::string AppState::PrivateDataDir(std::string* problem) {
    const std::string dataDir = DataDirPath();
    std::error_code ec;
    std::string why = "the user has no home directory";
    if (!dataDir.empty() && !fs::exists(dataDir, ec)) {
        // Made for the user alone, whatever the umask.
        if (fs::create_directories(dataDir, ec)) chmod(dataDir.c_str(), 0700);
    }
    if (dataDir.empty() || !IsPrivateDir(dataDir, why)) {
        if (problem)
            *problem = "ketrel: no private folder for the settings (" +
                       (dataDir.empty() ? std::string("~/.local/share/ketrel") : dataDir) + ": " +
                       why + "); use --dir DIR";
        return {};
    }
    return dataDir;
}

std::string AppState::ResolveAppDir(const std::string& overrideDir, std::string* problem) {
    if (!overrideDir.empty()) {
        std::error_code ec;
        const fs::path abs = fs::absolute(overrideDir, ec);
        return WithSlash(ec ? overrideDir : abs.string());
    }
    return AppDirFor(ExecutableDir(), problem);
}

std::string AppState::AppDirFor(const std::string& exeDir, std::string* problem) {
    std::error_code ec;
    // Installed as <prefix>/bin/ketrel, the supplied files are in <prefix>/share/ketrel/, and
    // the program's folder is no place for one user's files even where it could be written.
    const fs::path shared =
        fs::path(WithSlash(exeDir)).parent_path().parent_path() / "share/ketrel";
    const bool installed = fs::is_regular_file(shared / "CONFIG", ec);
    if (!installed && access(exeDir.c_str(), W_OK) == 0) return WithSlash(exeDir);
    // Keep the user's files in the data directory, seeded from the supplied copies.
    const std::string dataDir = PrivateDataDir(problem);
    if (dataDir.empty()) return {};
    const fs::path supplied = installed ? shared : fs::path(exeDir);
    for (const char* name : {"CONFIG", "DEVICES", "config.ini"}) {
        const fs::path from = supplied / name;
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
