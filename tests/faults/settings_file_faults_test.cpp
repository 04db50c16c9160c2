// config.ini missing or unreadable: the program starts with its defaults, says so when it cannot
// save, and runs on.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "fault_fixture.h"

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

}  // namespace
}  // namespace ketrel::test
