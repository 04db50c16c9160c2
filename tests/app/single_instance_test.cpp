#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QSysInfo>

#include "app/single_instance.h"
#include "app_test_support.h"

namespace ketrel {
namespace {

using test::TempDir;
using test::UserDirs;

TEST(SingleInstance, LockOfADeadCopyIsTakenOver) {
    UserDirs dirs;
    // A process id that belonged to a copy that has ended.
    const pid_t dead = fork();
    if (dead == 0) _exit(0);
    ASSERT_GT(dead, 0);
    waitpid(dead, nullptr, 0);
    QFile file(SingleInstance::DefaultLockPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QString("%1\nketrel\n%2\n").arg(dead).arg(QSysInfo::machineHostName()).toUtf8());
    file.close();

    SingleInstance instance;
    EXPECT_TRUE(instance.acquire());
}

// The program as started by the user, with the per-user directories of the test.
bool RunProgram(QProcess& process, const UserDirs& dirs, const TempDir& appDir, bool display) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dirs.runtime()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dirs.config()));
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    if (display) env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(KETREL_EXE, {"--dir", QString::fromStdString(appDir.path())});
    return process.waitForFinished(10000);
}

// A second start ends at once, silently, after asking the running copy to show its window.
TEST(SingleInstance, SecondCopyWakesTheFirstAndEndsWithoutAWord) {
    UserDirs dirs;
    TempDir appDir;
    SingleInstance first;
    ASSERT_TRUE(first.acquire());
    int woken = 0;
    ASSERT_TRUE(first.listen([&] { ++woken; }));
    QProcess second;
    ASSERT_TRUE(RunProgram(second, dirs, appDir, true));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    EXPECT_TRUE(test::PumpUntil([&] { return woken == 1; }));
}

// Without any display the tray program says so rather than failing inside the toolkit.
TEST(SingleInstance, FirstCopyWithoutADisplaySaysSo) {
    UserDirs dirs;
    TempDir appDir;
    QProcess program;
    ASSERT_TRUE(RunProgram(program, dirs, appDir, false));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(program.exitCode(), 0);
    EXPECT_TRUE(
        program.readAllStandardError().startsWith("ketrel: no display for the tray program"));
}

}  // namespace
}  // namespace ketrel
