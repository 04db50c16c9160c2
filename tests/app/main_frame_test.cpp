#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/status_panes.h"
#include "app/vardo_view.h"
#include "app/visual_style.h"
#include "app_test_support.h"
#include "common/texts.h"
#include "config/supplied_database.h"
#include "platform/app_state.h"
#include "platform/first_run.h"
#include "platform/ini_file.h"
#include "settings/dialog_sys_setting.h"
#include "unitsim/unit_simulator.h"

namespace ketrel {
namespace {

using test::PumpFor;
using test::PumpUntil;
using test::WaitUntil;
using Strings = std::vector<std::string>;

class MainFrameTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        setPort(unit.portPath());
        ASSERT_TRUE(CreateSuppliedDatabase(dir.file("CONFIG"), &error)) << error;
    }

    void setPort(const std::string& name) {
        IniFile::write(dir.file("config.ini"), "Setup", "PortName", name);
    }

    FrameOptions options() {
        FrameOptions o;
        o.makeActions = [this] {
            actionsMade = true;
            return std::make_unique<NoPcActions>();
        };
        o.executablePath = exe;
        o.trayAvailable = true;
        o.infoTimerIntervalMs = 20;
        o.infoAnswerMs = 300;
        return o;
    }

    // A program start: the application state read from config.ini, then the window.
    CMainFrame& start(FrameOptions o) {
        frame.reset();
        state = std::make_unique<AppState>(dir.path());
        frame = std::make_unique<CMainFrame>(*state, notifier, runner, std::move(o));
        frame->StartUp();
        return *frame;
    }
    CMainFrame& start() { return start(options()); }

    // Start-up with the port open, after its two information requests were answered.
    CMainFrame& startAndSettle() {
        CMainFrame& f = start();
        EXPECT_TRUE(PumpUntil([&] { return !f.infoTimerActive() && model() == "KT-M4"; }));
        PumpFor(100);  // the rest of the answers: eight frames take 44 ms on the line
        return f;
    }

    int sent(const std::string& line) const {
        const auto lines = unit.receivedLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    std::string pane(int id) const { return frame->statusPanes().label(id)->text().toStdString(); }
    std::string model() const { return pane(StatusPanes::kModel); }
    std::string field(int id) const {
        return frame->view()->sysSettingPage()->terminalField(id)->text().toStdString();
    }
    // The unit says something: once the window shows it, every earlier line was handled.
    bool shownAfter(const std::string& marker) {
        unit.sendFrame("Model=" + marker);
        return PumpUntil([&] { return model() == marker; });
    }

    test::UserDirs dirs;
    test::TempDir dir;
    sim::UnitSimulator unit;
    std::unique_ptr<AppState> state;
    test::RecordingNotifier notifier;
    test::ScriptedDialogRunner runner;
    std::unique_ptr<CMainFrame> frame;
    std::string exe = "/opt/ketrel/ketrel";
    bool actionsMade = false;
};

// Each step, then what is in place after it: receive thread, displays, tray icon, open port,
// first-run marker, auto-run check box, information timer.
TEST_F(MainFrameTest, StartUpStepsComeInTheirOrder) {
    Strings seen;
    FrameOptions o = options();
    o.onStartupStep = [&](StartupStep s) {
        std::string bits = std::to_string(static_cast<int>(s)) + ":";
        for (bool b : {frame->receiver().running(), actionsMade, frame->trayIcon() != nullptr,
                       frame->link().CommHandle().isOpen(), HasFirstRunMarker(),
                       frame->autoRunChecked(), frame->infoTimerActive()}) {
            bits += b ? '1' : '0';
        }
        seen.push_back(bits);
    };
    start(std::move(o));
    EXPECT_EQ(seen, (Strings{"0:1000000", "1:1100000", "2:1110000", "3:1111000", "4:1111100",
                             "5:1111110", "6:1111111"}));
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(MainFrameTest, PortOpenAtStartUpAsksForInformationExactlyTwice) {
    CMainFrame& f = start();
    ASSERT_TRUE(PumpUntil([&] { return !f.infoTimerActive(); }));
    EXPECT_EQ(f.infoTimerTicks(), 3);
    ASSERT_TRUE(WaitUntil([&] { return sent("GetInfo") >= 2; }));
    PumpFor(150);  // several more periods: nothing else is sent
    EXPECT_EQ(unit.receivedLines(), (Strings{"GetInfo", "GetInfo"}));

    // The answers reach the status bar and the terminal information fields.
    ASSERT_TRUE(PumpUntil([&] { return model() == "KT-M4"; }));
    ASSERT_TRUE(PumpUntil([&] { return field(CDialogSysSetting::kServerIp) == "192.168.1.10"; }));

    // Only 获取信息 asks again, and the answer is said so.
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_TRUE(WaitUntil([&] { return sent("GetInfo") == 3; }));
    EXPECT_TRUE(PumpUntil([&] { return pane(StatusPanes::kStatus) == texts::kInfoAnswered; }));
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(MainFrameTest, WithoutATrayTheWindowIsShownCentredAndCloseMinimises) {
    FrameOptions o = options();
    o.trayAvailable = false;
    CMainFrame& f = start(std::move(o));
    EXPECT_TRUE(f.isVisible());
    const QPoint off =
        f.frameGeometry().center() - QApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(off.manhattanLength(), 2) << off.x() << "," << off.y();
    f.close();
    EXPECT_TRUE(f.isVisible());
    EXPECT_TRUE(f.isMinimized());
}

TEST_F(MainFrameTest, TrayExitAndRibbonExitEndTheProgram) {
    for (int id : {cmd::ID_TRAY_EXIT, cmd::ID_APP_EXIT}) {
        CMainFrame& f = start();
        QTimer::singleShot(0, &f, [&f, id] { f.command(id)->trigger(); });
        EXPECT_EQ(QCoreApplication::exec(), 0) << id;
        EXPECT_FALSE(f.link().IsOpen()) << id;
        EXPECT_FALSE(f.trayIcon()->isVisible()) << id;
    }
}

TEST_F(MainFrameTest, ChosenStyleIsInForceAtTheNextStart) {
    CMainFrame& first = start();
    EXPECT_EQ(first.applicationLook(), kDefaultApplicationLook);
    EXPECT_TRUE(first.command(kDefaultApplicationLook)->isChecked());
    first.command(cmd::ID_VIEW_APPLOOK_WINDOWS_7)->trigger();
    EXPECT_EQ(QApplication::style()->name().toLower(), "windows");

    CMainFrame& second = start();
    EXPECT_EQ(second.applicationLook(), cmd::ID_VIEW_APPLOOK_WINDOWS_7);
    EXPECT_TRUE(second.command(cmd::ID_VIEW_APPLOOK_WINDOWS_7)->isChecked());
    EXPECT_EQ(QApplication::style()->name().toLower(), "windows");

    second.command(cmd::ID_VIEW_APPLOOK_OFF_2007_AQUA)->trigger();
    EXPECT_EQ(start().applicationLook(), cmd::ID_VIEW_APPLOOK_OFF_2007_AQUA);
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
}

TEST_F(MainFrameTest, InformationLinesReachTheirFields) {
    startAndSettle();
    const struct {
        const char* frame;
        int field;  // 0: the model pane
        const char* shown;
    } cases[] = {
        {"dhcp=0", CDialogSysSetting::kDhcp, "禁用"},
        {"dhcp=", CDialogSysSetting::kDhcp, "禁用"},
        {"dhcp=1", CDialogSysSetting::kDhcp, "启用"},
        {"dhcp=01", CDialogSysSetting::kDhcp, "禁用"},  // enabled for exactly "1" only
        {"dhcp=1", CDialogSysSetting::kDhcp, "启用"},
        {"dhcp=2", CDialogSysSetting::kDhcp, "禁用"},
        {"  Model=KT-M5  ", 0, "KT-M5"},
        {"Model =ignored", 0, "KT-M5"},
        {"cip=10.0.0.1=2", CDialogSysSetting::kTerminalIp, "192.168.1.50"},
        {"cip=10.0.0.7", CDialogSysSetting::kTerminalIp, "10.0.0.7"},
        {"deviceid=ABC", CDialogSysSetting::kDeviceId, "ABC"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string before = c.field == 0 ? model() : field(c.field);
        unit.sendFrame(c.frame);
        if (before == c.shown) {
            // Nothing may change: a marker line after it shows when the line was handled.
            const std::string marker = "marker-" + std::to_string(++n);
            unit.sendFrame("serverip=" + marker);
            ASSERT_TRUE(PumpUntil([&] { return field(CDialogSysSetting::kServerIp) == marker; }))
                << c.frame;
        }
        EXPECT_TRUE(PumpUntil([&] { return (c.field == 0 ? model() : field(c.field)) == c.shown; }))
            << c.frame;
    }
}

TEST_F(MainFrameTest, ReceiveThreadNeverWaitsForTheWindow) {
    CMainFrame& f = startAndSettle();
    ReceiveThread& receiver = f.receiver();
    const auto before = receiver.bytesReceived();
    // The window's thread does not run its event loop while the unit sends two lines: the
    // second one is still read, so the first one's hand-over did not wait for the window.
    unit.sendFrame("Model=first");
    ASSERT_TRUE(WaitUntil([&] { return receiver.bytesReceived() >= before + 64; }));
    receiver.waitForPass();
    unit.sendFrame("Model=second");
    ASSERT_TRUE(WaitUntil([&] { return receiver.bytesReceived() >= before + 128; }));
    EXPECT_TRUE(PumpUntil([&] { return model() == "second"; }));
}

TEST_F(MainFrameTest, PortToggleClosesAndReopens) {
    CMainFrame& f = startAndSettle();
    f.command(cmd::ID_BUTTON_PORT_OPEN_CLOSE)->trigger();
    EXPECT_EQ(pane(StatusPanes::kPortName), texts::kPortPaneClosed);
    EXPECT_EQ(f.statusPanes().portAnimation(), StatusPanes::PortAnimation::Closed);
    EXPECT_FALSE(f.link().IsOpen());
    // What the window knew of the unit is no longer current.
    EXPECT_EQ(model() + field(CDialogSysSetting::kTerminalIp), "");
    unit.sendFrame("Model=while-closed");
    PumpFor(100);
    EXPECT_EQ(model(), "");
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_EQ(notifier.texts(), Strings{texts::kPortInvalid});

    f.command(cmd::ID_BUTTON_PORT_OPEN_CLOSE)->trigger();
    EXPECT_EQ(pane(StatusPanes::kPortName), unit.portPath());
    EXPECT_EQ(f.statusPanes().portAnimation(), StatusPanes::PortAnimation::Open);
    EXPECT_TRUE(shownAfter("reopened"));
    EXPECT_EQ(f.receiver().pauseCount(), 0);

    // 获取信息 to a unit that stays silent says so, and an answer later takes it back.
    sim::Faults silent;
    silent.noAnswer = true;
    unit.setFaults(silent);
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_TRUE(PumpUntil([&] { return pane(StatusPanes::kStatus) == texts::kInfoNoAnswer; }));
    unit.setFaults({});
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_TRUE(PumpUntil([&] { return pane(StatusPanes::kStatus) == texts::kInfoAnswered; }));
}

// A port failing at start-up is said once, and nothing is sent.
TEST_F(MainFrameTest, PortFailingAtStartUpSendsNothing) {
    setPort(dir.file("no-such-port"));
    CMainFrame& f = start();
    EXPECT_FALSE(f.infoTimerActive());
    EXPECT_EQ(pane(StatusPanes::kPortName), texts::kPortPaneFailed);
    ASSERT_EQ(notifier.messages().size(), 1u);
    EXPECT_EQ(notifier.messages()[0].caption, "错误");
    EXPECT_EQ(notifier.messages()[0].text.rfind(texts::kPortOpenFailed, 0), 0u);
    PumpFor(100);
    EXPECT_TRUE(unit.receivedLines().empty());

    // Every command that talks to the unit now says so, and nothing is sent.
    notifier.clear();
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_EQ(notifier.texts(), Strings{texts::kPortInvalid});
}

// Whatever the outcome, a write ends with one message and the receive thread running again;
// meanwhile the window's own timers keep running.
TEST_F(MainFrameTest, WritesFromTheRibbon) {
    CMainFrame& f = startAndSettle();
    int ticks = 0;
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&] { ++ticks; });
    ticking.start(5);
    const struct {
        int id;
        int errorAtBlock;
        const char* message;
        int progress;
        const char* step;
    } cases[] = {
        {cmd::ID_BUTTON_WRITE_SYS, -1, "写配置成功，校验成功！", 7, "写入100%"},
        {cmd::ID_BUTTON_WRITE_CARD, -1, "写卡成功，校验成功！", -1, "写入100%"},
        {cmd::ID_BUTTON_WRITE_SYS, 3, "写配置失败1！", 2, "写入28%"},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        notifier.clear();
        sim::Faults faults;
        faults.errorAtBlock = c.errorAtBlock;
        unit.setFaults(faults);
        ticks = 0;
        f.command(c.id)->trigger();
        EXPECT_GT(ticks, 0) << "the window stood still";
        EXPECT_EQ(notifier.headlines(), Strings{c.message});
        if (c.progress >= 0) {
            EXPECT_EQ(f.statusPanes().progressBar()->value(), c.progress);
        }
        EXPECT_EQ(pane(StatusPanes::kStepText), c.step);
        EXPECT_EQ(f.receiver().pauseCount(), 0);
        unit.setFaults({});
        EXPECT_TRUE(shownAfter("after-" + std::to_string(++n)));
    }
}

}  // namespace
}  // namespace ketrel
