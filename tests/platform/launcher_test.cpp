#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/program_launcher.h"

namespace ketrel {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void Write(const fs::path& p, const std::string& text, bool executable) {
    std::ofstream(p) << text;
    fs::permissions(p, executable ? fs::perms::owner_all : fs::perms::owner_read);
}

// Started programs are adopted by this process (a subreaper), so a test sees that nothing else
// was left behind. A stand-in opener on PATH records its arguments. The working directory is
// the temporary directory, so a command smuggled into a path would leave its files there.
class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "ketrel-launch-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        fs::create_directory(dir / "bin");
        Write(dir / "bin" / "xdg-open",
              "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" +
                  (dir / "opened").string() + "'\n",
              true);
        oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", ((dir / "bin").string() + ":" + oldPath).c_str(), 1);
        oldCwd = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(oldCwd);
        setenv("PATH", oldPath.c_str(), 1);
        fs::remove_all(dir);
    }

    // A script that appends one line to the marker each time it runs.
    void script(const fs::path& p) {
        Write(p, "#!/bin/sh\necho ran >> '" + (dir / "marker").string() + "'\n", true);
    }
    // Nothing else was started, and no exited child is left unreaped.
    static bool noOtherProcess() { return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }

    fs::path dir;
    fs::path oldCwd;
    std::string oldPath;
    std::ostringstream err;
    ProgramLauncher launcher{err};
};

// An executable runs directly, whatever its name holds; any other file goes to the opener as one
// absolute path; a wrong path starts nothing. No part of a name ever runs.
TEST_F(LauncherTest, EachPathStartsExactlyOneProgramOrNone) {
    fs::create_directory(dir / "camera app");
    Write(dir / "notes; $(touch pwned).txt", "text", false);
    Write(dir / "-slides.odp", "text", false);
    // Marked executable but no program, as on a drive that marks every file executable.
    Write(dir / "scan.pdf", "%PDF-1.4 not a program", true);
    enum How { Runs, Opened, Nothing };
    const std::vector<std::tuple<fs::path, How, std::string>> cases = {
        {dir / "camera app" / "run camera.sh", Runs, ""},
        {dir / "a; touch pwned $(touch pwned2) `touch pwned3` & | > x.sh", Runs, ""},
        {"-n", Runs, ""},
        {dir / "notes; $(touch pwned).txt", Opened, ""},
        {"-slides.odp", Opened, ""},
        {dir / "scan.pdf", Opened, ""},
        {"", Nothing, ""},
        {dir / "missing; touch pwned", Nothing, "does not exist"},
        {"C:\\Program Files\\Camera\\camera.exe", Nothing, "does not exist"},
    };
    for (const auto& [path, how, said] : cases) {
        SCOPED_TRACE(path);
        if (how == Runs) script(dir / path);
        fs::remove(dir / "marker");
        fs::remove(dir / "opened");
        err.str("");
        const auto started = launcher.open(path.string());
        if (how == Nothing) {
            EXPECT_EQ(started.pid, -1);
        } else {
            ASSERT_GT(started.pid, 0);
            EXPECT_TRUE(how != Runs || !started.opened);
            int status = -1;
            while (waitpid(started.pid, &status, 0) < 0 && errno == EINTR) {
            }
            EXPECT_EQ(status, 0);
        }
        EXPECT_EQ(Read(dir / "marker"), how == Runs ? "ran\n" : "");
        EXPECT_EQ(Read(dir / "opened"), how == Opened ? "1\n" + (dir / path).string() + "\n" : "");
        EXPECT_TRUE(noOtherProcess());
        for (const char* name : {"pwned", "pwned2", "pwned3"}) EXPECT_FALSE(fs::exists(dir / name));
        EXPECT_EQ(err.str().empty(), said.empty()) << err.str();
        EXPECT_NE(err.str().find(said), std::string::npos) << err.str();
    }
    // No opener: the program's own failure comes back, and nothing counts as started.
    setenv("PATH", "/nonexistent", 1);
    EXPECT_EQ(launcher.open((dir / "scan.pdf").string()).pid, -1);
    EXPECT_NE(err.str().find("cannot start " + (dir / "scan.pdf").string()), std::string::npos);
}

}  // namespace
}  // namespace ketrel
