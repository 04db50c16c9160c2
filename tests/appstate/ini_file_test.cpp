#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "test_support.h"

namespace ketrel {
namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteAll(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(IniRead, FollowsThePrivateProfileRules) {
    test::TempDir dir;
    const std::string ini = dir.file("config.ini");
    const std::string chinese260 = [] {
        std::string s;
        for (int i = 0; i < 260; ++i) s += "端";
        return s;
    }();
    struct Case {
        std::string file;
        std::string key;
        std::optional<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"[Setup]\nPortName=COM3\n", "PortName", "COM3"},
        {"[setup]\r\nportname = COM4  \r\n", "PortName", "COM4"},
        {"[ SETUP ]\nPORTNAME=COM5\n", "portName", "COM5"},
        {"[Other]\nPortName=COM6\n", "PortName", std::nullopt},
        {"[Setup]\nOpenAppPath=/opt/a=b c\n", "OpenAppPath", "/opt/a=b c"},
        {"[Setup]\nAuthor=\"  secret \"\n", "Author", "  secret "},
        {"[Setup]\n;PortName=COM7\n", "PortName", std::nullopt},
        {"[Setup]\nPortName=\n", "PortName", ""},
        {"[Setup]\nPortName=" + std::string(300, 'p') + "\n", "PortName", std::string(259, 'p')},
        {"[Setup]\nPortName=" + std::string(259, 'p') + "\n", "PortName", std::string(259, 'p')},
        {"[Setup]\nOpenAppPath=" + chinese260 + "\n", "OpenAppPath", chinese260.substr(0, 259 * 3)},
        {"[Setup]\nPortName=COM1\n[Setup2]\nPortName=COM2\n", "PortName", "COM1"},
    };
    for (const auto& c : cases) {
        WriteAll(ini, c.file);
        EXPECT_EQ(IniFile::read(ini, "Setup", c.key), c.expected) << c.file.substr(0, 60);
    }
    EXPECT_EQ(IniFile::read(dir.file("missing.ini"), "Setup", "PortName"), std::nullopt);
}

TEST(IniWrite, ChangesOneLineAndKeepsEveryOther) {
    test::TempDir dir;
    const std::string ini = dir.file("config.ini");
    WriteAll(ini, "; room 101\r\n[Setup]\r\nportname=COM1\r\nAuthor=pw\r\n\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(IniFile::write(ini, "SETUP", "PortName", "/dev/ttyUSB0"));
    EXPECT_EQ(
        ReadAll(ini),
        "; room 101\r\n[Setup]\r\nPortName=/dev/ttyUSB0\r\nAuthor=pw\r\n\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(IniFile::write(ini, "Setup", "OpenAppPath", "/opt/cam era/run"));
    EXPECT_EQ(ReadAll(ini),
              "; room 101\r\n[Setup]\r\nPortName=/dev/ttyUSB0\r\nAuthor=pw\r\n"
              "OpenAppPath=/opt/cam era/run\r\n\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(IniFile::read(ini, "Setup", "OpenAppPath"), "/opt/cam era/run");
}

TEST(IniWrite, CreatesTheFileAndTheSection) {
    test::TempDir dir;
    const std::string ini = dir.file("config.ini");
    ASSERT_TRUE(IniFile::write(ini, "Setup", "PortName", "COM2"));
    EXPECT_EQ(ReadAll(ini), "[Setup]\r\nPortName=COM2\r\n");
    WriteAll(ini, "[Other]\nx=1\n");
    ASSERT_TRUE(IniFile::write(ini, "Setup", "PortName", "COM3"));
    EXPECT_EQ(ReadAll(ini), "[Other]\nx=1\n[Setup]\nPortName=COM3\n");
}

TEST(IniWrite, RefusesWhatWouldCorruptTheFileAndLeavesItWhole) {
    test::TempDir dir;
    const std::string ini = dir.file("config.ini");
    WriteAll(ini, "[Setup]\nPortName=COM1\n");
    std::string error;
    EXPECT_FALSE(IniFile::write(ini, "Setup", "PortName", "COM2\nAuthor=", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(IniFile::write(dir.file("no/such/dir/config.ini"), "Setup", "PortName", "x"));
    EXPECT_EQ(ReadAll(ini), "[Setup]\nPortName=COM1\n");
}

// Saving and reading back are the option pages' tests; here the defaults, the trimmed path,
// a password that is never written, and a port for one run that is never saved.
TEST(AppStateTest, DefaultsValuesAndWhatIsNeverWritten) {
    test::TempDir dir;
    EXPECT_EQ(AppState(dir.path()).PortName(), "COM1");
    WriteAll(dir.file("config.ini"),
             "[Setup]\nPortName=COM4\nOpenAppPath= /opt/cam/run \nAuthor=1234\n");
    AppState state(dir.path());
    EXPECT_EQ(state.PortName(), "COM4");
    EXPECT_EQ(state.OpenAppPath(), "/opt/cam/run");
    EXPECT_EQ(state.SettingsPassword(), "1234");
    ASSERT_TRUE(state.SavePortName("ttyUSB1"));
    state.SetPortNameForRun("/tmp/unit");
    EXPECT_EQ(state.PortName(), "/tmp/unit");
    EXPECT_EQ(ReadAll(dir.file("config.ini")),
              "[Setup]\nPortName=ttyUSB1\nOpenAppPath= /opt/cam/run \nAuthor=1234\n");
}

// The data folder holds the program the unit may start: it must be the user's alone.
TEST(AppStateTest, TheDataFolderIsTheUsersOwn) {
    test::TempDir dir;
    setenv("XDG_DATA_HOME", dir.path().c_str(), 1);
    std::string problem;
    const std::string fresh = AppState::PrivateDataDir(&problem);
    EXPECT_EQ(fresh, dir.file("ketrel/")) << problem;
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    chmod(fresh.c_str(), 0777);
    EXPECT_EQ(AppState::PrivateDataDir(&problem), "");
    EXPECT_NE(problem.find("writable by every user"), std::string::npos) << problem;
    if (getuid() == 0) {
        chmod(fresh.c_str(), 0700);
        ASSERT_EQ(chown(fresh.c_str(), 65534, 65534), 0);
        EXPECT_EQ(AppState::PrivateDataDir(&problem), "");
        EXPECT_NE(problem.find("owned by another user"), std::string::npos) << problem;
    }
    unsetenv("XDG_DATA_HOME");
}

// Installed as <prefix>/bin/ketrel, the user's files live in the data folder, seeded once from
// <prefix>/share/ketrel, even where the program's folder could be written (root); a build tree
// keeps them beside the executable.
TEST(AppStateTest, AnInstalledProgramSeedsTheDataFolderFromItsSharedFiles) {
    test::TempDir dir;
    const std::string bin = dir.file("usr/bin/"), shared = dir.file("usr/share/ketrel/");
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(shared);
    WriteAll(shared + "DEVICES", "library");
    EXPECT_EQ(AppState::AppDirFor(bin), bin) << "no supplied CONFIG: not an installed layout";
    WriteAll(shared + "CONFIG", "supplied");
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    const std::string data = dir.file("data/ketrel/");
    std::string problem;
    for (const char* userConfig : {"supplied", "the user's"}) {
        EXPECT_EQ(AppState::AppDirFor(dir.file("usr/bin"), &problem), data) << problem;
        EXPECT_EQ(ReadAll(data + "CONFIG"), userConfig) << "a user's file is never replaced";
        EXPECT_EQ(ReadAll(data + "DEVICES"), "library");
        WriteAll(data + "CONFIG", "the user's");
    }
    unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace ketrel
