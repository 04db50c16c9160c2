#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "link_harness.h"
#include "platform/desktop_actions.h"
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

void Write(const fs::path& p, const std::string& text, fs::perms perms) {
    std::ofstream(p) << text;
    fs::permissions(p, perms);
}

constexpr auto kExecutable = fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read;
constexpr auto kPlain = fs::perms::owner_read | fs::perms::owner_write;

// Started programs are adopted by this process (a subreaper), so a test can wait for exactly
// the one it started and see that nothing else was left behind. A stand-in opener on PATH
// records the arguments it is given. The working directory is the temporary directory, so a
// command smuggled into a path would leave its files there.
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
              kExecutable);
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
        Write(p, "#!/bin/sh\necho ran >> '" + (dir / "marker").string() + "'\n", kExecutable);
    }
    static int waitFor(pid_t pid) {
        int status = -1;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return status;
    }
    // Nothing else was started, and no exited child is left unreaped.
    static bool noOtherProcess() { return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD; }
    bool injected() const {
        for (const char* name : {"pwned", "pwned2", "pwned3"}) {
            if (fs::exists(dir / name)) return true;
        }
        return false;
    }

    fs::path dir;
    fs::path oldCwd;
    std::string oldPath;
    std::ostringstream err;
    ProgramLauncher launcher{err};
};

// An executable runs directly, whatever its name holds; any other file goes to the opener as one
// absolute path. Either way exactly one program starts and no part of the name runs.
TEST_F(LauncherTest, EachPathStartsExactlyOneProgram) {
    fs::create_directory(dir / "camera app");
    fs::create_directory(dir / "folder");
    Write(dir / "notes; $(touch pwned).txt", "text", kPlain);
    Write(dir / "-slides.odp", "text", kPlain);
    // Marked executable but no program, as on a drive that marks every file executable.
    Write(dir / "scan.pdf", "%PDF-1.4 not a program", kExecutable);
    const std::vector<std::pair<fs::path, bool>> cases = {
        // path, runs directly
        {dir / "camera app" / "run camera.sh", true},
        {dir / "a; touch pwned $(touch pwned2) `touch pwned3` & | > x.sh", true},
        {dir / "-n", true},
        {"relative name.sh", true},
        {dir / "notes; $(touch pwned).txt", false},
        {"-slides.odp", false},
        {dir / "scan.pdf", false},
        {dir / "folder", false},
    };
    for (const auto& [path, direct] : cases) {
        if (direct) script(dir / path);
        fs::remove(dir / "marker");
        fs::remove(dir / "opened");
        const auto started = launcher.open(path.string());
        ASSERT_GT(started.pid, 0) << path;
        EXPECT_TRUE(!direct || !started.opened) << path;
        EXPECT_EQ(waitFor(started.pid), 0) << path;
        EXPECT_EQ(Read(dir / "marker"), direct ? "ran\n" : "") << path;
        EXPECT_EQ(Read(dir / "opened"), direct ? "" : "1\n" + (dir / path).string() + "\n") << path;
        EXPECT_TRUE(noOtherProcess()) << path;
        EXPECT_FALSE(injected()) << path;
    }
    EXPECT_EQ(err.str(), "");
}

TEST_F(LauncherTest, AnEmptyOrWrongPathStartsNothing) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {(dir / "missing; touch pwned").string(), "does not exist"},
        {"$(touch pwned)", "does not exist"},
        {"C:\\Program Files\\Camera\\camera.exe", "does not exist"},
    };
    for (const auto& [path, said] : cases) {
        err.str("");
        EXPECT_EQ(launcher.open(path).pid, -1) << path;
        EXPECT_TRUE(noOtherProcess()) << path;
        EXPECT_FALSE(injected()) << path;
        if (said.empty()) {
            EXPECT_EQ(err.str(), "") << path;
        } else {
            EXPECT_NE(err.str().find(said), std::string::npos) << path << ": " << err.str();
        }
    }
}

TEST_F(LauncherTest, WithoutAnOpenerADocumentIsSaidOnceAndNothingStarts) {
    setenv("PATH", "/nonexistent", 1);
    Write(dir / "notes.txt", "text", kPlain);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(launcher.open((dir / "notes.txt").string()).pid, -1);
    const std::string said = err.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("xdg-open"), std::string::npos) << said;
    EXPECT_TRUE(noOtherProcess());
}

TEST_F(LauncherTest, TheCameraFrameStartsTheTrimmedPathOnce) {
    fs::create_directory(dir / "camera app");
    script(dir / "camera app" / "run camera.sh");
    DesktopOptions options;
    options.err = &err;
    DesktopPcActions actions(options);
    test::LinkHarness link(actions, "  " + (dir / "camera app" / "run camera.sh").string() + " \t");
    std::string error;
    ASSERT_TRUE(link.start(&error)) << error;
    link.unit.sendFrame("ComputerOpenCamera");
    for (int i = 0; i < 1000 && !fs::exists(dir / "marker"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    link.receiver.waitForPass();
    // Every program started has ended once none is left to reap.
    while (waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
    }
    EXPECT_EQ(Read(dir / "marker"), "ran\n");
    EXPECT_EQ(err.str(), "");
}

}  // namespace
}  // namespace ketrel
