#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QSysInfo>

#include "app_test_support.h"
#include "single_instance.h"

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

TEST(SingleInstance, SecondCopyEndsAtOnceWithoutAWord) {
    UserDirs dirs;
    TempDir appDir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dirs.runtime()));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dirs.config()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    const QStringList args = {"--dir", QString::fromStdString(appDir.path()), "--port",
                              QString::fromStdString(appDir.file("no-port"))};

    // The first copy keeps running (it waits in its message about the missing port).
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(KETREL_EXE, args);
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(test::WaitUntil([&] { return QFile::exists(SingleInstance::DefaultLockPath()); },
                                std::chrono::milliseconds(10000)));

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(KETREL_EXE, args);
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(second.readAllStandardError().isEmpty());

    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

}  // namespace
}  // namespace ketrel
