// config.ini missing, unreadable, or holding values longer than the program keeps: the program
// starts with its defaults or the cut values, says so when it cannot save, and runs on.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/texts.h"
#include "fault_fixture.h"
#include "platform/ini_file.h"

namespace ketrel::test {
namespace {

namespace fs = std::filesystem;

class SettingsFileFaults : public FaultFixture {
  protected:
    TempDir appDir;
    std::string ini = appDir.file("config.ini");
};

// Missing or unreadable, the file gives the defaults. A save creates a missing file; one that
// cannot replace the file says why and leaves the value in use as it was.
TEST_F(SettingsFileFaults, MissingOrUnreadableGivesTheDefaults) {
    std::vector<std::pair<std::string, std::function<void()>>> cases = {
        {"missing", [] {}},
        {"a directory in its place", [&] { fs::create_directory(ini); }},
    };
    // Root reads any file whatever its mode; for everyone else a file without read permission.
    if (geteuid() != 0) {
        cases.push_back({"no read permission", [&] {
                             std::ofstream(ini) << "[Setup]\nPortName=COM7\n";
                             fs::permissions(ini, fs::perms::none);
                         }});
    }
    for (const auto& [name, arrange] : cases) {
        SCOPED_TRACE(name);
        const bool missing = name == "missing";
        fs::remove_all(ini);
        arrange();
        AppState state(appDir.path());
        EXPECT_EQ(state.PortName(), "COM1");
        EXPECT_EQ(state.OpenAppPath(), "");
        EXPECT_EQ(state.SettingsPassword(), "");
        EXPECT_EQ(fs::exists(ini), !missing) << "reading must not create the file";

        std::string error;
        EXPECT_EQ(state.SavePortName(unit.portPath(), &error), missing) << error;
        EXPECT_TRUE(missing || !error.empty()) << "a failed save must say why";
        const std::string port = missing ? unit.portPath() : "COM1";
        EXPECT_EQ(state.PortName(), port) << "the port in use is the one saved";
        EXPECT_EQ(AppState(appDir.path()).PortName(), port);
        EXPECT_EQ(state.SaveOpenAppPath("/opt/camera", &error), missing);
        EXPECT_EQ(state.OpenAppPath(), missing ? "/opt/camera" : "");
        expectReceiverRuns();
        if (!missing) fs::permissions(ini, fs::perms::owner_all, fs::perm_options::add);
    }
}

TEST_F(SettingsFileFaults, ValuesOf300CharactersAreCutTo259) {
    const std::string port(300, 'P');
    std::string camera = "/opt/";
    while (camera.size() < 300 * 3) camera += "摄";  // three bytes a character in UTF-8
    const std::string password(300, '7');
    std::ofstream(ini) << "[Setup]\r\nPortName=" << port << "\r\nOpenAppPath=" << camera
                       << "\r\nAuthor=" << password << "\r\n";

    AppState state(appDir.path());
    EXPECT_EQ(state.PortName(), port.substr(0, 259));
    EXPECT_EQ(state.SettingsPassword(), password.substr(0, 259));
    // Cut after 259 characters, never inside one.
    EXPECT_EQ(state.OpenAppPath(), TruncateUtf8Chars(camera, 259));
    EXPECT_EQ(state.OpenAppPath().size(), 5u + 254u * 3u);

    // The cut port name is refused with the port message; the program runs on.
    notifier.clear();
    EXPECT_FALSE(link.ConnectCommPort(state.PortName()));
    ASSERT_EQ(notifier.texts().size(), 1u);
    EXPECT_EQ(notifier.texts()[0].rfind(texts::kPortOpenFailed, 0), 0u) << notifier.texts()[0];
    EXPECT_EQ(receiver.pauseCount(), 0);

    // With the unit's port, the camera command starts the cut path.
    ASSERT_TRUE(link.OpenCommPort(unit.portPath())) << link.PortFailureHint(unit.portPath());
    openAppPath.set(state.OpenAppPath());
    unit.sendFrame("ComputerOpenCamera");
    EXPECT_TRUE(WaitUntil([&] { return hasEvent("open " + state.OpenAppPath()); }));
    expectReceiverRuns();
}

}  // namespace
}  // namespace ketrel::test
