#include <gtest/gtest.h>

#include "app_test_support.h"
#include "platform/autostart.h"
#include "platform/first_run.h"

namespace ketrel {
namespace {

using test::UserDirs;

using test::ReadFile;
using test::WriteFile;

TEST(DesktopExec, EveryPathComesBackFromItsExecValue) {
    for (const std::string path :
         {"/usr/bin/ketrel", "/home/a b/Ketrel 4/ketrel", "/opt/q\"uote/$HOME/`x`/back\\slash",
          "/opt/100%/ketrel", "/opt/100% sure/k", "/opt/tab\there/k", "/opt/semi;colon&amp(1)"}) {
        const std::string exec = DesktopExecValue(path);
        ASSERT_FALSE(exec.empty()) << path;
        EXPECT_EQ(exec.find('\t'), std::string::npos) << "control characters must be escaped";
        EXPECT_EQ(DesktopExecProgram(exec), path) << exec;
    }
    EXPECT_EQ(DesktopExecValue("/opt/new\nline"), "");
}

TEST(DesktopExec, ReadsTheProgramOfAValue) {
    const struct {
        const char* value;
        const char* program;
    } cases[] = {
        {"  /opt/ketrel  ", "/opt/ketrel"},
        {"\"/opt/my apps/ketrel\"", "/opt/my apps/ketrel"},
        {"/opt/ketrel --dir /x", ""},  // more than the program
        {"\"/opt/ketrel", ""},         // unterminated quote
        {"/opt/100%%/k", "/opt/100%/k"},
        {"/opt/ketrel %%", ""},  // a literal percent sign is an argument too
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DesktopExecProgram(c.value), c.program) << c.value;
}

// The window's test follows the check box; here the file itself, written by us or by hand.
TEST(AutoStart, JudgesEntriesWrittenByHand) {
    UserDirs dirs;
    const std::string exe = "/opt/ketrel";
    EXPECT_EQ(AutoStartFilePath(), dirs.config() + "/autostart/Pelmar.desktop");
    SetAutoStart(true, exe);
    EXPECT_NE(ReadFile(AutoStartFilePath()).find("\nExec=/opt/ketrel\n"), std::string::npos);
    SetAutoStart(false, exe);
    SetAutoStart(false, exe);  // removing twice is quiet
    const struct {
        const char* text;
        bool set;
    } cases[] = {
        {"[Desktop Entry]\nExec=   /opt/ketrel   \n", true},
        {"[Desktop Entry]\r\nType=Application\r\nExec = /opt/ketrel\r\n", true},
        {"[Desktop Entry]\nExec=/opt/Ketrel\n", false},  // case-sensitive
        {"[Desktop Entry]\nExec=/opt/ketrel\nHidden=true\n", false},
        {"[Other]\nExec=/opt/ketrel\n", false},
        {"[Desktop Entry]\nName=Ketrel\n", false},
    };
    for (const auto& c : cases) {
        WriteFile(AutoStartFilePath(), c.text);
        EXPECT_EQ(IsAutoStartSet(exe), c.set) << c.text;
    }
}

TEST(AutoStart, RelativeConfigHomeIsIgnored) {
    UserDirs dirs;
    const char* home = std::getenv("HOME");
    setenv("XDG_CONFIG_HOME", "relative/dir", 1);
    EXPECT_EQ(UserConfigHome(), std::string(home) + "/.config");
}

TEST(FirstRun, MarkerHoldsTheAuthorValue) {
    UserDirs dirs;
    EXPECT_EQ(FirstRunMarkerPath(), dirs.config() + "/HDMIVardo/HDMIVardo.conf");
    EXPECT_FALSE(HasFirstRunMarker());
    WriteFirstRunMarker();
    EXPECT_TRUE(HasFirstRunMarker());
    EXPECT_EQ(ReadFile(FirstRunMarkerPath()), "[General]\nAuthor=kovastrine\n");

    WriteFile(FirstRunMarkerPath(), "[General]\nAuthor=someone\nOther=1\n");
    EXPECT_FALSE(HasFirstRunMarker());
    WriteFirstRunMarker();
    EXPECT_TRUE(HasFirstRunMarker());
    EXPECT_NE(ReadFile(FirstRunMarkerPath()).find("Other=1"), std::string::npos);
}

}  // namespace
}  // namespace ketrel
