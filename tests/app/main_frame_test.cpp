#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <fstream>

#include "about_dialog.h"
#include "app_state.h"
#include "app_test_support.h"
#include "autostart.h"
#include "command_ids.h"
#include "dialog_card.h"
#include "dialog_gateway.h"
#include "dialog_ii_plug.h"
#include "dialog_serial_port_setup.h"
#include "dialog_sys_setting.h"
#include "first_run.h"
#include "ini_file.h"
#include "main_frame.h"
#include "my_edit.h"
#include "outlook_bar.h"
#include "ribbon_bar.h"
#include "status_panes.h"
#include "supplied_database.h"
#include "texts.h"
#include "unit_simulator.h"
#include "vardo_view.h"
#include "visual_style.h"

namespace ketrel {
namespace {

using test::PumpFor;
using test::PumpUntil;
using test::RecordingNotifier;
using test::ScriptedDialogRunner;
using test::TempDir;
using test::UserDirs;
using test::WaitUntil;

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
        EXPECT_TRUE(PumpUntil([&] { return !f.infoTimerActive(); }));
        EXPECT_TRUE(PumpUntil([&] { return model() == "KT-M4"; }));
        return f;
    }

    int getInfoCount() const {
        const auto lines = unit.receivedLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), "GetInfo"));
    }
    std::string pane(int id) const { return frame->statusPanes().label(id)->text().toStdString(); }
    std::string model() const { return pane(StatusPanes::kModel); }
    std::string field(int id) const {
        return frame->view()->sysSettingPage()->terminalField(id)->text().toStdString();
    }

    UserDirs dirs;
    TempDir dir;
    sim::UnitSimulator unit;
    std::unique_ptr<AppState> state;
    RecordingNotifier notifier;
    ScriptedDialogRunner runner;
    std::unique_ptr<CMainFrame> frame;
    std::string exe = "/opt/ketrel/ketrel";
    bool actionsMade = false;
};

TEST_F(MainFrameTest, StartUpStepsComeInTheirOrder) {
    struct Snapshot {
        StartupStep step;
        bool receiver, actions, tray, port, marker, autoRun, timer;
        bool operator==(const Snapshot&) const = default;
    };
    std::vector<Snapshot> seen;
    FrameOptions o = options();
    o.onStartupStep = [&](StartupStep s) {
        seen.push_back({s, frame->receiver().running(), actionsMade, frame->trayIcon() != nullptr,
                        frame->link().CommHandle().isOpen(), HasFirstRunMarker(),
                        frame->autoRunChecked(), frame->infoTimerActive()});
    };
    start(std::move(o));
    using S = StartupStep;
    const std::vector<Snapshot> expected = {
        {S::ReceiveThread, true, false, false, false, false, false, false},
        {S::Displays, true, true, false, false, false, false, false},
        {S::TrayIcon, true, true, true, false, false, false, false},
        {S::Port, true, true, true, true, false, false, false},
        {S::FirstRun, true, true, true, true, true, false, false},
        {S::AutoRunState, true, true, true, true, true, true, false},
        {S::InfoTimer, true, true, true, true, true, true, true},
    };
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_TRUE(seen[i] == expected[i]) << "step " << i;
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(MainFrameTest, PortOpenAtStartUpAsksForInformationExactlyTwice) {
    CMainFrame& f = start();
    ASSERT_TRUE(PumpUntil([&] { return !f.infoTimerActive(); }));
    EXPECT_EQ(f.infoTimerTicks(), 3);
    ASSERT_TRUE(WaitUntil([&] { return getInfoCount() >= 2; }));
    PumpFor(150);  // several more periods: nothing else is sent
    EXPECT_EQ(getInfoCount(), 2);
    EXPECT_EQ(unit.receivedLines().size(), 2u);

    // The answers reach the status bar and the terminal information fields.
    ASSERT_TRUE(PumpUntil([&] { return model() == "KT-M4"; }));
    ASSERT_TRUE(PumpUntil([&] { return field(CDialogSysSetting::kServerIp) == "192.168.1.10"; }));
    EXPECT_EQ(field(CDialogSysSetting::kDeviceId), "0123456789ABCDEF");
    EXPECT_EQ(field(CDialogSysSetting::kDhcp), "启用");
    EXPECT_EQ(field(CDialogSysSetting::kTerminalIp), "192.168.1.50");
    EXPECT_EQ(field(CDialogSysSetting::kNetmask), "255.255.255.0");
    EXPECT_EQ(field(CDialogSysSetting::kGateway), "192.168.1.1");
    EXPECT_EQ(field(CDialogSysSetting::kDns), "192.168.1.1");

    // Only 获取信息 asks again.
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_TRUE(WaitUntil([&] { return getInfoCount() == 3; }));
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(MainFrameTest, PortClosedBeforeTheTimerFiresStaysQuiet) {
    CMainFrame& f = start();
    f.command(cmd::ID_BUTTON_PORT_OPEN_CLOSE)->trigger();  // before the first tick
    ASSERT_TRUE(PumpUntil([&] { return !f.infoTimerActive(); }));
    PumpFor(50);
    EXPECT_EQ(getInfoCount(), 0);
    EXPECT_TRUE(notifier.messages().empty()) << notifier.texts()[0];
}

TEST_F(MainFrameTest, UnpluggedPortShowsInTheStatusBar) {
    CMainFrame& f = startAndSettle();
    unit.stop();  // the other end goes away, as an unplugged adapter
    EXPECT_TRUE(PumpUntil([&] { return pane(StatusPanes::kPortName) == texts::kPortPaneFailed; }));
    EXPECT_EQ(f.statusPanes().portAnimation(), StatusPanes::PortAnimation::Failed);
    EXPECT_FALSE(f.link().IsOpen());
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kPortInvalid});
}

TEST_F(MainFrameTest, PortFailingAtStartUpSendsNothing) {
    setPort(dir.file("no-such-port"));
    CMainFrame& f = start();
    EXPECT_FALSE(f.infoTimerActive());
    EXPECT_EQ(pane(StatusPanes::kPortName), texts::kPortPaneFailed);
    EXPECT_EQ(f.statusPanes().portAnimation(), StatusPanes::PortAnimation::Failed);
    ASSERT_EQ(notifier.messages().size(), 1u);
    EXPECT_EQ(notifier.messages()[0].caption, "错误");
    EXPECT_EQ(notifier.messages()[0].text.rfind(texts::kPortOpenFailed, 0), 0u);
    EXPECT_TRUE(f.receiver().running());
    PumpFor(100);
    EXPECT_TRUE(unit.receivedLines().empty());

    // Every command that talks to the unit now says so, and nothing is sent.
    notifier.clear();
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kPortInvalid});
}

TEST_F(MainFrameTest, FirstRunSetsAutoStartAndTheCheckBoxMirrorsIt) {
    CMainFrame& f = start();
    QAction* autorun = f.command(cmd::ID_CHECK_AUTORUN);
    EXPECT_TRUE(HasFirstRunMarker());
    EXPECT_TRUE(IsAutoStartSet(exe));
    EXPECT_TRUE(autorun->isChecked());

    autorun->trigger();  // unchecking removes the entry at once
    EXPECT_FALSE(autorun->isChecked());
    EXPECT_FALSE(std::filesystem::exists(AutoStartFilePath()));

    start();  // a later run leaves the choice alone
    EXPECT_FALSE(frame->command(cmd::ID_CHECK_AUTORUN)->isChecked());
    EXPECT_FALSE(std::filesystem::exists(AutoStartFilePath()));

    // The ribbon's check box is the same command.
    auto* box = frame->ribbon()->findChild<QCheckBox*>("ID_CHECK_AUTORUN");
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(frame->command(cmd::ID_CHECK_AUTORUN)->isChecked());
    EXPECT_TRUE(IsAutoStartSet(exe));

    // The program was moved: the entry starts the old place, so the box shows unchecked, and
    // checking it stores the new place.
    exe = "/home/user/apps/ketrel";
    start();
    QAction* moved = frame->command(cmd::ID_CHECK_AUTORUN);
    EXPECT_FALSE(moved->isChecked());
    moved->trigger();
    EXPECT_TRUE(moved->isChecked());
    EXPECT_TRUE(IsAutoStartSet("/home/user/apps/ketrel"));

    // An entry whose Exec value has surrounding spaces counts as set.
    std::ofstream(AutoStartFilePath(), std::ios::trunc)
        << "[Desktop Entry]\nType=Application\nExec=   " << exe << "  \n";
    start();
    EXPECT_TRUE(frame->command(cmd::ID_CHECK_AUTORUN)->isChecked());
}

TEST_F(MainFrameTest, HiddenInTheTrayUntilDoubleClicked) {
    CMainFrame& f = startAndSettle();
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(f.windowTitle().toStdString(), "KetrelV4.0");
    EXPECT_EQ(f.size(), QSize(1024, 700));
    EXPECT_FALSE(f.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    ASSERT_NE(f.trayIcon(), nullptr);
    EXPECT_TRUE(f.trayIcon()->isVisible());
    EXPECT_EQ(f.trayIcon()->toolTip().toStdString(), "Ketrel");
    QStringList menu;
    for (QAction* a : f.trayMenu()->actions()) menu << a->text();
    EXPECT_EQ(menu, QStringList({"关于", "退出程序"}));

    emit f.trayIcon()->activated(QSystemTrayIcon::Context);
    EXPECT_FALSE(f.isVisible());
    emit f.trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.view()->currentPage(), CVardoView::kSysSettingPage);

    // The close box hides; the program keeps serving the unit.
    f.close();
    EXPECT_FALSE(f.isVisible());
    EXPECT_TRUE(f.trayIcon()->isVisible());
    EXPECT_TRUE(f.link().IsOpen());
    unit.sendFrame("Model=while-hidden");
    EXPECT_TRUE(PumpUntil([&] { return model() == "while-hidden"; }));
}

TEST_F(MainFrameTest, WithoutATrayTheWindowIsShownAndCloseMinimises) {
    FrameOptions o = options();
    o.trayAvailable = false;
    CMainFrame& f = start(std::move(o));
    EXPECT_TRUE(f.isVisible());
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

TEST_F(MainFrameTest, NavigationButtonsAndTabsShowTheSamePage) {
    CMainFrame& f = start();
    CVardoView* view = f.view();
    const struct {
        const char* what;
        std::function<void()> act;
        int page;
    } steps[] = {
        {"nav 本地IC卡管理", [&] { f.outlookBar()->button(cmd::ID_NAV_CARD)->click(); }, 1},
        {"tab 0", [&] { view->tabs()->setCurrentIndex(0); }, 0},
        {"tab 1", [&] { view->tabs()->setCurrentIndex(1); }, 1},
        {"nav 系统设置", [&] { f.OnNavigate(cmd::ID_NAV_SYS_SETTING); }, 0},
        {"nav 系统设置 again", [&] { f.outlookBar()->button(cmd::ID_NAV_SYS_SETTING)->click(); },
         0},
    };
    EXPECT_EQ(view->tabs()->tabText(0).toStdString(), "系统配置");
    EXPECT_EQ(view->tabs()->tabText(1).toStdString(), "本地IC卡管理");
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(view->currentPage(), s.page) << s.what;
        EXPECT_EQ(view->sysSettingPage()->isVisibleTo(&f), s.page == 0) << s.what;
        EXPECT_EQ(view->cardPage()->isVisibleTo(&f), s.page == 1) << s.what;
        const int nav = s.page == 0 ? cmd::ID_NAV_SYS_SETTING : cmd::ID_NAV_CARD;
        EXPECT_TRUE(f.outlookBar()->button(nav)->isChecked()) << s.what;
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
    EXPECT_FALSE(second.command(kDefaultApplicationLook)->isChecked());
    EXPECT_EQ(QApplication::style()->name().toLower(), "windows");

    second.command(cmd::ID_VIEW_APPLOOK_OFF_2007_AQUA)->trigger();
    EXPECT_EQ(start().applicationLook(), cmd::ID_VIEW_APPLOOK_OFF_2007_AQUA);
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
}

TEST_F(MainFrameTest, RibbonHoldsEveryCommandInItsPanel) {
    CMainFrame& f = start();
    const struct {
        int id;
        const char* caption;
        const char* panel;
    } commands[] = {
        {cmd::ID_BUTTON_INFO, "获取信息", "联机测试"},
        {cmd::ID_BUTTON_WRITE_SYS, "写配置", "传输数据"},
        {cmd::ID_BUTTON_WRITE_CARD, "写卡", "传输数据"},
        {cmd::ID_BUTTON_PORT, "端口设置", "通信端口"},
        {cmd::ID_BUTTON_PORT_OPEN_CLOSE, "端口开关", "通信端口"},
        {cmd::ID_BUTTON_GATEWAY, "网关", "物联配置"},
        {cmd::ID_BUTTON_II_PLUG, "空调控制器", "物联配置"},
        {cmd::ID_BUTTON_LIGHT, "灯光控制器", "物联配置"},
        {cmd::ID_BUTTON_FAN, "风扇控制器", "物联配置"},
        {cmd::ID_BUTTON_CURTAIN, "窗帘控制器", "物联配置"},
        {cmd::ID_CHECK_AUTORUN, "开机自动运行", "选项"},
        {cmd::ID_VIEW_STATUS_BAR, "状态栏", "选项"},
    };
    for (const auto& c : commands) {
        ASSERT_NE(f.command(c.id), nullptr) << c.caption;
        EXPECT_EQ(f.command(c.id)->text().toStdString(), c.caption);
        EXPECT_EQ(f.ribbon()->panelOf(c.id).toStdString(), c.panel) << c.caption;
    }
    EXPECT_EQ(f.ribbon()->panelCaptions(),
              QStringList({"联机测试", "传输数据", "配置维护", "通信端口", "物联配置", "选项"}));
    QStringList looks;
    for (QAction* a : f.styleMenu()->actions()) looks << a->text();
    EXPECT_EQ(looks, QStringList({"Office 2007 (蓝色样式)(&B)", "Office 2007 (黑色样式)(&L)",
                                  "Office 2007 (银色样式)(&S)", "Office 2007 (水绿色样式)(&A)",
                                  "Windows 7(&D)"}));
    ASSERT_EQ(f.ribbon()->mainMenu()->actions().size(), 1);
    EXPECT_EQ(f.ribbon()->mainMenu()->actions()[0]->text().toStdString(), "退出(&X)");

    f.command(cmd::ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(f.statusBar()->isVisibleTo(&f));
    f.command(cmd::ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_TRUE(f.statusBar()->isVisibleTo(&f));

    runner.answer = [](QDialog& d) {
        auto* about = dynamic_cast<CAboutDlg*>(&d);
        EXPECT_NE(about, nullptr);
        EXPECT_EQ(d.windowTitle().toStdString(), "关于 Vardo");
        EXPECT_NE(d.findChild<QLabel*>("aboutText"), nullptr);
        EXPECT_EQ(d.findChild<QLabel*>("aboutText")->text().toStdString(), "KetrelV2.5");
        return int(QDialog::Accepted);
    };
    f.command(cmd::ID_APP_ABOUT)->trigger();
    f.command(cmd::ID_TRAY_ABOUT)->trigger();
    EXPECT_EQ(runner.runs, 2);
}

TEST_F(MainFrameTest, ControllerCommands) {
    CMainFrame& f = start();
    for (int id : {cmd::ID_BUTTON_LIGHT, cmd::ID_BUTTON_FAN, cmd::ID_BUTTON_CURTAIN}) {
        notifier.clear();
        f.command(id)->trigger();
        ASSERT_EQ(notifier.messages().size(), 1u) << id;
        EXPECT_EQ(notifier.messages()[0].text, "待完善");
        EXPECT_EQ(notifier.messages()[0].caption, "提示");
        EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Information);
    }
    std::vector<std::string> opened;
    runner.answer = [&](QDialog& d) {
        EXPECT_EQ(d.parentWidget(), &f);
        if (dynamic_cast<CDialogGateway*>(&d)) opened.push_back("gateway");
        if (auto* plug = dynamic_cast<CDialogIIPlug*>(&d)) {
            EXPECT_TRUE(plug->ready());
            opened.push_back("socket");
        }
        return int(QDialog::Rejected);
    };
    notifier.clear();
    f.command(cmd::ID_BUTTON_GATEWAY)->trigger();
    f.command(cmd::ID_BUTTON_II_PLUG)->trigger();
    EXPECT_EQ(opened, (std::vector<std::string>{"gateway", "socket"}));
    EXPECT_TRUE(notifier.messages().empty()) << notifier.texts()[0];
}

TEST_F(MainFrameTest, StatusBarElementsInOrder) {
    CMainFrame& f = startAndSettle();
    StatusPanes& panes = f.statusPanes();
    f.show();
    const int order[] = {StatusPanes::kStatus,   StatusPanes::kPortIcon,   StatusPanes::kPortName,
                         StatusPanes::kSignal,   StatusPanes::kModel,      StatusPanes::kModelSpare,
                         StatusPanes::kStepText, StatusPanes::kProgressBar};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        EXPECT_LT(panes.element(order[i - 1])->geometry().x(),
                  panes.element(order[i])->geometry().x())
            << order[i];
    }
    EXPECT_EQ(pane(StatusPanes::kStatus), "状态");
    EXPECT_EQ(pane(StatusPanes::kStepText), "处理进度");
    EXPECT_EQ(pane(StatusPanes::kPortName), unit.portPath());
    EXPECT_EQ(panes.progressBar()->size(), QSize(200, 22));
    EXPECT_EQ(panes.portAnimation(), StatusPanes::PortAnimation::Open);
    const int firstFrame = panes.animationFrame();
    EXPECT_TRUE(PumpUntil([&] { return panes.animationFrame() != firstFrame; }, 3000));
}

TEST_F(MainFrameTest, ModelPaneWaitsForTheFirstModel) {
    setPort(dir.file("no-such-port"));
    CMainFrame& f = start();
    EXPECT_EQ(pane(StatusPanes::kModel), std::string(30, 'x'));
    f.OnInfoLine("Model", "KT-9");
    EXPECT_EQ(pane(StatusPanes::kModel), "KT-9");
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

TEST_F(MainFrameTest, SwipedCardReachesTheOpenCardNumberFieldOnly) {
    CMainFrame& f = startAndSettle();
    CDialogCard* cards = f.view()->cardPage();
    unit.swipeCard("1111");
    unit.sendFrame("serverip=marker-1");
    ASSERT_TRUE(PumpUntil([&] { return field(CDialogSysSetting::kServerIp) == "marker-1"; }));

    auto numberField = std::make_unique<CMyEdit>();
    cards->setCardNumberField(numberField.get());
    unit.swipeCard("0012AB-z");  // shown as sent: the hex filter is for typing only
    ASSERT_TRUE(PumpUntil([&] { return numberField->text() == "0012AB-z"; }));

    numberField.reset();  // the add-card dialog closed
    EXPECT_EQ(cards->cardNumberField(), nullptr);
    unit.swipeCard("2222");
    unit.sendFrame("serverip=marker-2");
    EXPECT_TRUE(PumpUntil([&] { return field(CDialogSysSetting::kServerIp) == "marker-2"; }));
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
    EXPECT_EQ(f.statusPanes().portAnimation(), StatusPanes::PortAnimation::Open);
    EXPECT_FALSE(f.link().IsOpen());
    unit.sendFrame("Model=while-closed");
    PumpFor(100);
    EXPECT_EQ(model(), "KT-M4");
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kPortInvalid});

    f.command(cmd::ID_BUTTON_PORT_OPEN_CLOSE)->trigger();
    EXPECT_EQ(pane(StatusPanes::kPortName), unit.portPath());
    unit.sendFrame("Model=reopened");
    EXPECT_TRUE(PumpUntil([&] { return model() == "reopened"; }));
    EXPECT_EQ(f.receiver().pauseCount(), 0);
}

TEST_F(MainFrameTest, PortSettingsReopenOnTheChosenPort) {
    setPort(dir.file("no-such-port"));
    CMainFrame& f = start();
    notifier.clear();
    runner.answer = [&](QDialog& d) {
        auto* dialog = dynamic_cast<CDialogSerialPortSetup*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog) return int(QDialog::Rejected);
        dialog->portList()->addItem(QString::fromStdString(unit.portPath()));
        dialog->portList()->setCurrentIndex(dialog->portList()->count() - 1);
        dialog->OnOK();
        return dialog->result();
    };
    f.command(cmd::ID_BUTTON_PORT)->trigger();
    EXPECT_EQ(runner.runs, 1);
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(pane(StatusPanes::kPortName), unit.portPath());
    EXPECT_EQ(IniFile::read(dir.file("config.ini"), "Setup", "PortName", ""), unit.portPath());
    unit.sendFrame("Model=after-setup");
    EXPECT_TRUE(PumpUntil([&] { return model() == "after-setup"; }));
}

TEST_F(MainFrameTest, ViewOffersTheEditMenu) {
    CMainFrame& f = start();
    f.show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 200),
                            f.view()->mapToGlobal(QPoint(20, 200)));
    QApplication::sendEvent(f.view(), &event);
    QMenu* menu = f.view()->editMenu();
    EXPECT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->title().toStdString(), "编辑");
    QStringList items;
    for (QAction* a : menu->actions()) items << a->text();
    EXPECT_EQ(items, QStringList({"剪切(&T)\tCtrl+X", "复制(&C)\tCtrl+C", "粘贴(&P)\tCtrl+V"}));
    menu->hide();
}

TEST_F(MainFrameTest, WriteConfigurationFromTheRibbon) {
    CMainFrame& f = startAndSettle();
    StatusPanes& panes = f.statusPanes();
    std::vector<std::pair<int, std::string>> shown;  // progress as it was painted
    QObject::connect(panes.progressBar(), &QProgressBar::valueChanged, [&](int v) {
        shown.emplace_back(v, panes.label(StatusPanes::kStepText)->text().toStdString());
    });
    f.command(cmd::ID_BUTTON_WRITE_SYS)->trigger();
    ASSERT_EQ(notifier.messages().size(), 1u) << notifier.texts()[0];
    EXPECT_EQ(notifier.messages()[0].text, "写配置成功，校验成功！");
    EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Information);
    EXPECT_EQ(panes.progressBar()->maximum(), 7);
    EXPECT_EQ(panes.progressBar()->value(), 7);
    EXPECT_EQ(pane(StatusPanes::kStepText), "写入100%");
    EXPECT_EQ(f.receiver().pauseCount(), 0);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().first, 7);
}

TEST_F(MainFrameTest, WriteConfigurationFailingAtBlock3) {
    CMainFrame& f = startAndSettle();
    sim::Faults faults;
    faults.errorAtBlock = 3;
    unit.setFaults(faults);
    f.command(cmd::ID_BUTTON_WRITE_SYS)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"写配置失败1！"});
    EXPECT_EQ(f.statusPanes().progressBar()->value(), 2);
    EXPECT_EQ(pane(StatusPanes::kStepText), "写入28%");
    // The receive thread runs again: the unit's frames are handled.
    EXPECT_EQ(f.receiver().pauseCount(), 0);
    unit.setFaults({});
    unit.sendFrame("Model=after-failure");
    EXPECT_TRUE(PumpUntil([&] { return model() == "after-failure"; }));
}

TEST_F(MainFrameTest, WriteCardsFromTheRibbon) {
    CMainFrame& f = startAndSettle();
    f.command(cmd::ID_BUTTON_WRITE_CARD)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"写卡成功，校验成功！"});
    EXPECT_EQ(pane(StatusPanes::kStepText), "写入100%");
    EXPECT_EQ(f.receiver().pauseCount(), 0);
}

}  // namespace
}  // namespace ketrel
