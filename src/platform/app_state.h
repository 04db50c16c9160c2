#pragma once

#include <memory>
#include <mutex>
#include <string>

namespace ketrel {

// A text that one thread may replace while another reads it: readers get a complete value,
// never a half-written one.
class SharedText {
  public:
    explicit SharedText(std::string initial = {});
    std::string get() const;
    void set(std::string value);

  private:
    mutable std::mutex mutex_;
    std::shared_ptr<const std::string> value_;
};

// The program's paths and the settings of config.ini, formed once at start.
class AppState {
  public:
    static constexpr const char* kSection = "Setup";
    static constexpr const char* kDefaultPort = "COM1";

    // appDir: the directory that holds config.ini, CONFIG and DEVICES.
    explicit AppState(std::string appDir);

    // The executable's directory, or the per-user data directory when that one cannot be
    // written or the program is installed. overrideDir (from --dir) wins when given. Empty,
    // with the reason in *problem, when the data directory is not the user's own.
    static std::string ResolveAppDir(const std::string& overrideDir,
                                     std::string* problem = nullptr);
    // The same for an executable in exeDir: a program installed as <prefix>/bin/ketrel (with
    // <prefix>/share/ketrel/CONFIG) always uses the data directory, seeded from that folder.
    static std::string AppDirFor(const std::string& exeDir, std::string* problem = nullptr);
    // $XDG_DATA_HOME/ketrel/, else ~/.local/share/ketrel/ with the home from HOME or, where
    // that is unset, from the system's user database; empty when there is no home.
    static std::string DataDirPath();
    // DataDirPath(), made if missing (for the user alone); empty with the reason when it is not
    // the user's own or others may write to it.
    static std::string PrivateDataDir(std::string* problem);

    const std::string& AppDir() const { return appDir_; }  // ends with "/"
    const std::string& IniPath() const { return iniPath_; }
    const std::string& DatabasePath() const { return databasePath_; }
    std::string DevicesPath() const { return appDir_ + "DEVICES"; }

    const std::string& PortName() const { return portName_; }
    // For this run only (--port); config.ini is not written.
    void SetPortNameForRun(std::string name) { portName_ = std::move(name); }
    // Chosen by the user: written to config.ini, then taken into use. False when the file could
    // not be written; the value in use is left unchanged then.
    bool SavePortName(const std::string& name, std::string* error = nullptr);

    std::string OpenAppPath() const { return openAppPath_.get(); }
    const SharedText& OpenAppPathShared() const { return openAppPath_; }
    bool SaveOpenAppPath(const std::string& path, std::string* error = nullptr);
    // For this run only, when config.ini could not be written.
    void SetOpenAppPathForRun(std::string path) { openAppPath_.set(std::move(path)); }

    const std::string& SettingsPassword() const { return settingsPassword_; }
    const std::string& EnteredPassword() const { return enteredPassword_; }
    void SetEnteredPassword(std::string value) { enteredPassword_ = std::move(value); }

  private:
    std::string appDir_;
    std::string iniPath_;
    std::string databasePath_;
    std::string portName_;
    SharedText openAppPath_;
    std::string settingsPassword_;
    std::string enteredPassword_;
};

}  // namespace ketrel
