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

TEST(SingleInstance, OneHolderPerUser) {
    UserDirs dirs;
    EXPECT_EQ(SingleInstance::DefaultLockPath().toStdString(), dirs.runtime() + "/HDMIVardo.lock");
    {
        SingleInstance first;
        ASSERT_TRUE(first.acquire());
        SingleInstance second;
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.acquire());
    }
    SingleInstance afterFirstEnded;
    EXPECT_TRUE(afterFirstEnded.acquire());
}

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

// A second start ends at once, silently, after asking the running copy to show its window.
TEST(SingleInstance, SecondCopyWakesTheFirstAndEndsWithoutAWord) {
    UserDirs dirs;
    TempDir appDir;
    SingleInstance first;
    ASSERT_TRUE(first.acquire());
    int woken = 0;
    ASSERT_TRUE(first.listen([&] { ++woken; }));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dirs.runtime()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dirs.config()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(KETREL_EXE, {"--dir", QString::fromStdString(appDir.path())});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    EXPECT_TRUE(test::PumpUntil([&] { return woken == 1; }));
}

}  // namespace
}  // namespace ketrel
