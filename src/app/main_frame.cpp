#include "app/main_frame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <algorithm>

#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/config_file_commands.h"
#include "app/dialog_card.h"
#include "app/outlook_bar.h"
#include "app/ribbon_bar.h"
#include "app/status_panes.h"
#include "app/vardo_view.h"
#include "app/visual_style.h"
#include "common/notifier.h"
#include "common/texts.h"
#include "config/config_transfer.h"
#include "iot/ui/dialog_gateway.h"
#include "iot/ui/dialog_ii_plug.h"
#include "link/frame.h"
#include "platform/app_state.h"
#include "platform/autostart.h"
#include "platform/desktop_actions.h"
#include "platform/first_run.h"
#include "settings/dialog_network_config.h"
#include "settings/dialog_option.h"
#include "settings/dialog_serial_port_setup.h"
#include "settings/dialog_sys_setting.h"
#include "widgets/dialog_runner.h"
#include "widgets/icons.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
constexpr const char* kCaption = "KetrelV4.0";
constexpr const char* kTrayTip = "Ketrel";
constexpr const char* kNotYet = "待完善";
}  // namespace

void CMainFrame::WindowSink::infoLine(const std::string& key, const std::string& value) {
    // Runs on the receive thread: queue the update and return at once.
    CMainFrame* frame = frame_;
    QMetaObject::invokeMethod(
        frame, [frame, k = ToQ(key), v = ToQ(value)] { frame->OnInfoLine(k, v); },
        Qt::QueuedConnection);
}

CMainFrame::CMainFrame(AppState& state, Notifier& notifier, DialogRunner& dialogs,
                       FrameOptions options)
    : state_(state),
      notifier_(notifier),
      dialogs_(dialogs),
      options_(std::move(options)),
      executablePath_(options_.executablePath.empty() ? CurrentExecutablePath()
                                                      : options_.executablePath),
      trayAvailable_(options_.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable())),
      session_(notifier,
               {.sink = &sink_, .openAppPath = &state.OpenAppPathShared(), .onPortLost = [this] {
                    QMetaObject::invokeMethod(
                        this, [this] { OnPortLost(); }, Qt::QueuedConnection);
                }}) {
    setObjectName("CMainFrame");
    setWindowTitle(QString::fromUtf8(kCaption));
    setWindowIcon(icons::AppIcon());
    // Caption, system menu and minimise box; no maximise box. The window opens at its usual
    // size but may be made smaller, down to what a small or scaled screen leaves free: the
    // ribbon and the pages scroll where they do not fit.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setMinimumSize(kMinWidth, kMinHeight);
    const QRect room = screen()->availableGeometry();
    resize(std::clamp(room.width() - kFrameAllowance, kMinWidth, kWidth),
           std::clamp(room.height() - kFrameAllowance, kMinHeight, kHeight));

    createCommands();
    ribbon_ = new RibbonBar([this](int id) { return command(id); }, styleMenu_, this);
    setMenuWidget(ribbon_);

    panes_ = new StatusPanes(statusBar());
    link().SetStatusView(panes_);
    connect(panes_, &StatusPanes::portChanged, this, [this] {
        panes_->setModel(QString());
        view_->sysSettingPage()->ClearTerminalInfo();
    });
    link().SetClock(clock_);

    outlook_ = new COutlookBar(this);
    addDockWidget(Qt::LeftDockWidgetArea, outlook_);
    resizeDocks({outlook_}, {COutlookBar::kInitialWidth}, Qt::Horizontal);
    connect(outlook_, &COutlookBar::commandTriggered, this, &CMainFrame::OnNavigate);

    view_ = new CVardoView;
    auto* pages = new QScrollArea(this);
    pages->setObjectName("pageScroll");
    pages->setFrameShape(QFrame::NoFrame);
    pages->setWidgetResizable(true);
    pages->setWidget(view_);
    setCentralWidget(pages);
    view_->cardPage()->Attach(state_, notifier_, dialogs_);
    view_->sysSettingPage()->Attach(state_, notifier_, dialogs_);
    view_->sysSettingPage()->SetOptionsOpener([this] {
        CDialogOption dialog(state_, link(), notifier_, this);
        dialog.SetStatusReporter(
            [this](const std::string& text) { panes_->setStatusText(ToQ(text)); });
        dialogs_.run(dialog);
    });
    view_->sysSettingPage()->SetNetworkOpener([this] {
        CDialogNetworkConfig dialog(state_.DatabasePath(), notifier_, this);
        dialogs_.run(dialog);
    });
    connect(view_, &CVardoView::pageChanged, this, [this](int index) {
        outlook_->setCurrent(index == CVardoView::kCardPage ? cmd::ID_NAV_CARD
                                                            : cmd::ID_NAV_SYS_SETTING);
    });
    outlook_->setCurrent(cmd::ID_NAV_SYS_SETTING);
    // An import replaces every table: the pages show what the database now holds.
    connect(fileCommands_.get(), &ConfigFileCommands::configurationImported, this, [this] {
        view_->cardPage()->LoadCardList();
        view_->sysSettingPage()->ReloadSerialList();
        view_->sysSettingPage()->ReloadInfraredList();
    });

    applicationLook_ = StoredApplicationLook();
    ApplyVisualStyle(this, applicationLook_);
    for (QAction* a : styleMenu_->actions()) a->setChecked(a->data().toInt() == applicationLook_);

    infoAnswerTimer_.setSingleShot(true);
    infoAnswerTimer_.setInterval(options_.infoAnswerMs);
    connect(&infoAnswerTimer_, &QTimer::timeout, this,
            [this] { panes_->setStatusText(QString::fromUtf8(texts::kInfoNoAnswer)); });
    infoTimer_.setInterval(options_.infoTimerIntervalMs);
    connect(&infoTimer_, &QTimer::timeout, this, &CMainFrame::OnInfoTimerTick);
}

CMainFrame::~CMainFrame() {
    // Nothing may reach this window from the receive thread once it starts going away.
    link().SetStatusView(nullptr);
    session_.stop();
}

QAction* CMainFrame::command(int id) const {
    const auto it = commands_.find(id);
    return it == commands_.end() ? nullptr : it->second;
}

void CMainFrame::createCommands() {
    auto add = [this](int id, const QString& text, const char* name, const char* icon,
                      std::function<void()> handler) {
        auto* a = new QAction(text, this);
        a->setObjectName(QString::fromUtf8(name));
        a->setData(id);
        if (icon) a->setIcon(icons::Icon(icon));
        connect(a, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
        commands_[id] = a;
        return a;
    };
    using namespace cmd;
    add(ID_BUTTON_INFO, QStringLiteral("获取信息"), "ID_BUTTON_INFO", "info",
        [this] { RequestUnitInfo(); });
    add(ID_BUTTON_WRITE_SYS, QStringLiteral("写配置"), "ID_BUTTON_WRITE_SYS", "write-config",
        [this] { OnWriteConfiguration(); });
    add(ID_BUTTON_WRITE_CARD, QStringLiteral("写卡"), "ID_BUTTON_WRITE_CARD", "write-card",
        [this] { OnWriteCards(); });
    add(ID_BUTTON_PORT, QStringLiteral("端口设置"), "ID_BUTTON_PORT", "port-setup",
        [this] { OnPortSetup(); });
    add(ID_BUTTON_PORT_OPEN_CLOSE, QStringLiteral("端口开关"), "ID_BUTTON_PORT_OPEN_CLOSE",
        "port-toggle", [this] { OnTogglePort(); });
    add(ID_BUTTON_GATEWAY, QStringLiteral("网关"), "ID_BUTTON_GATEWAY", "gateway",
        [this] { OnIotCommand(ID_BUTTON_GATEWAY); });
    add(ID_BUTTON_II_PLUG, QStringLiteral("空调控制器"), "ID_BUTTON_II_PLUG", "aircon",
        [this] { OnIotCommand(ID_BUTTON_II_PLUG); });
    add(ID_BUTTON_LIGHT, QStringLiteral("灯光控制器"), "ID_BUTTON_LIGHT", "light",
        [this] { OnIotCommand(ID_BUTTON_LIGHT); });
    add(ID_BUTTON_FAN, QStringLiteral("风扇控制器"), "ID_BUTTON_FAN", "fan",
        [this] { OnIotCommand(ID_BUTTON_FAN); });
    add(ID_BUTTON_CURTAIN, QStringLiteral("窗帘控制器"), "ID_BUTTON_CURTAIN", "curtain",
        [this] { OnIotCommand(ID_BUTTON_CURTAIN); });
    add(ID_CHECK_AUTORUN, QStringLiteral("开机自动运行"), "ID_CHECK_AUTORUN", nullptr, [this] {
        OnAutoRun();
    })->setCheckable(true);
    QAction* statusBarCommand =
        add(ID_VIEW_STATUS_BAR, QStringLiteral("状态栏"), "ID_VIEW_STATUS_BAR", nullptr, [] {});
    statusBarCommand->setCheckable(true);
    statusBarCommand->setChecked(true);
    connect(statusBarCommand, &QAction::toggled, this,
            [this](bool on) { statusBar()->setVisible(on); });
    add(ID_APP_EXIT, QStringLiteral("退出(&X)"), "ID_APP_EXIT", nullptr, [this] { ExitProgram(); });
    add(ID_APP_ABOUT, QStringLiteral("关于"), "ID_APP_ABOUT", "about", [this] { OnAbout(); });
    add(ID_TRAY_SHOW, QStringLiteral("显示主窗口"), "ID_TRAY_SHOW", nullptr,
        [this] { ShowMainWindow(); });
    add(ID_TRAY_ABOUT, QStringLiteral("关于"), "ID_TRAY_ABOUT", nullptr, [this] { OnAbout(); });
    add(ID_TRAY_EXIT, QStringLiteral("退出程序"), "ID_TRAY_EXIT", nullptr,
        [this] { ExitProgram(); });
    fileCommands_ = std::make_unique<ConfigFileCommands>(this, state_, notifier_, dialogs_, link());
    for (QAction* a : fileCommands_->actions()) commands_[a->data().toInt()] = a;

    styleMenu_ = new QMenu(QStringLiteral("样式"), this);
    styleMenu_->setObjectName("styleMenu");
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    for (const VisualStyle& s : VisualStyles()) {
        const int id = s.id;
        QAction* a = add(id, s.menuText, "ID_VIEW_APPLOOK", nullptr, [this, id] { OnAppLook(id); });
        a->setObjectName(QString("ID_VIEW_APPLOOK_%1").arg(id));
        a->setCheckable(true);
        group->addAction(a);
        styleMenu_->addAction(a);
    }
}

void CMainFrame::createTray() {
    tray_ = new QSystemTrayIcon(icons::AppIcon(), this);
    tray_->setToolTip(QString::fromUtf8(kTrayTip));
    trayMenu_ = new QMenu(QStringLiteral("Ketrel"), this);
    trayMenu_->setObjectName("trayMenu");
    trayMenu_->addAction(command(cmd::ID_TRAY_SHOW));
    trayMenu_->addAction(command(cmd::ID_TRAY_ABOUT));
    trayMenu_->addAction(command(cmd::ID_TRAY_EXIT));
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this, &CMainFrame::OnTrayActivated);
    tray_->show();
}

void CMainFrame::step(StartupStep s) {
    if (options_.onStartupStep) options_.onStartupStep(s);
}

void CMainFrame::StartUp() {
    if (started_) return;
    started_ = true;

    session_.startReceiver();
    step(StartupStep::ReceiveThread);

    actions_ = options_.makeActions ? options_.makeActions() : CreateDesktopPcActions();
    session_.setActions(actions_.get());
    step(StartupStep::Displays);

    createTray();
    step(StartupStep::TrayIcon);

    const bool portOpen = link().ConnectCommPort(state_.PortName());
    step(StartupStep::Port);

    if (!HasFirstRunMarker()) {
        SetAutoStart(true, executablePath_);
        WriteFirstRunMarker();
    }
    step(StartupStep::FirstRun);

    autoRunChecked_ = IsAutoStartSet(executablePath_);
    command(cmd::ID_CHECK_AUTORUN)->setChecked(autoRunChecked_);
    step(StartupStep::AutoRunState);

    if (portOpen) {
        infoTicks_ = 0;
        infoTimer_.start();
    }
    step(StartupStep::InfoTimer);

    placeOnScreen();
    if (trayAvailable_) {
        hide();
    } else {
        // Without a tray there would be no way back to a hidden window.
        show();
    }
}

void CMainFrame::placeOnScreen() {
    if (QScreen* screen = QApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
}

void CMainFrame::OnInfoTimerTick() {
    ++infoTicks_;
    if (infoTicks_ > 2) {
        infoTimer_.stop();
        return;
    }
    // The user may have closed the port since start-up; an automatic request then stays quiet.
    if (link().IsOpen()) link().SendCommand(frame::kGetInfo);
}

void CMainFrame::OnPortLost() { link().IsOpen(); }

void CMainFrame::OnInfoLine(const QString& key, const QString& value) {
    const std::string k = FromQ(key);
    const std::string v = FromQ(value);
    const QString noAnswer = QString::fromUtf8(texts::kInfoNoAnswer);
    if (infoAnswerTimer_.isActive() || panes_->label(StatusPanes::kStatus)->text() == noAnswer) {
        infoAnswerTimer_.stop();
        panes_->setStatusText(QString::fromUtf8(texts::kInfoAnswered));
    }
    if (k == "IDNumber") {
        view_->cardPage()->ReceiveCardNumber(v);
    } else if (k == "Model") {
        panes_->setModel(value);
    } else {
        view_->sysSettingPage()->SetTerminalInfo(k, v);
    }
}

void CMainFrame::RequestUnitInfo() {
    if (link().PostCommand(frame::kGetInfo)) infoAnswerTimer_.start();
}

void CMainFrame::showNotYetAvailable() {
    notifier_.show(kNotYet, texts::kCaptionNotice, MessageIcon::Information);
}

void CMainFrame::runTransfer(const std::function<void()>& transfer) {
    // The window paints while the transfer waits for the unit (see WindowClock); greyed out, it
    // also shows that its commands wait for the transfer.
    QWidget* parts[] = {ribbon_, outlook_, view_};
    for (QWidget* w : parts) w->setEnabled(false);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    transfer();
    QApplication::restoreOverrideCursor();
    for (QWidget* w : parts) w->setEnabled(true);
}

void CMainFrame::OnWriteConfiguration() {
    runTransfer([this] { WriteConfiguration(link(), state_.DatabasePath(), notifier_, *panes_); });
}

void CMainFrame::OnWriteCards() {
    runTransfer([this] { WriteCards(link(), state_.DatabasePath(), notifier_, *panes_); });
}

void CMainFrame::OnPortSetup() {
    CDialogSerialPortSetup dialog(state_, link(), notifier_, this);
    dialogs_.run(dialog);
}

void CMainFrame::OnTogglePort() { link().ToggleCommPort(state_.PortName()); }

void CMainFrame::OnIotCommand(int commandId) {
    if (commandId == cmd::ID_BUTTON_GATEWAY) {
        CDialogGateway dialog(link(), notifier_, this);
        dialogs_.run(dialog);
    } else if (commandId == cmd::ID_BUTTON_II_PLUG) {
        // The dialog starts not ready, so filling its controls writes nothing.
        CDialogIIPlug dialog(link(), state_.DatabasePath(), notifier_, dialogs_, this);
        dialogs_.run(dialog);
    } else {
        showNotYetAvailable();
    }
}

void CMainFrame::OnAutoRun() {
    if (autoRunChecked_) {
        SetAutoStart(false, executablePath_);
    } else {
        SetAutoStart(true, executablePath_);
    }
    // The box shows what is really stored, also when the file could not be written.
    autoRunChecked_ = IsAutoStartSet(executablePath_);
    command(cmd::ID_CHECK_AUTORUN)->setChecked(autoRunChecked_);
}

void CMainFrame::OnAppLook(int id) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    applicationLook_ = VisualStyleFor(id).id;
    ApplyVisualStyle(this, applicationLook_);
    for (QAction* a : styleMenu_->actions()) a->setChecked(a->data().toInt() == applicationLook_);
    StoreApplicationLook(applicationLook_);
    QApplication::restoreOverrideCursor();
}

void CMainFrame::OnNavigate(int commandId) {
    view_->ShowPage(commandId == cmd::ID_NAV_CARD ? CVardoView::kCardPage
                                                  : CVardoView::kSysSettingPage);
    outlook_->setCurrent(commandId);
}

void CMainFrame::OnAbout() {
    CAboutDlg dialog(this);
    dialogs_.run(dialog);
}

void CMainFrame::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    // Trays that speak the StatusNotifier protocol report a click as Trigger and never a
    // double click, so both show the window.
    if (reason != QSystemTrayIcon::DoubleClick && reason != QSystemTrayIcon::Trigger) return;
    ShowMainWindow();
}

void CMainFrame::ShowMainWindow() {
    showNormal();
    raise();
    activateWindow();
}

void CMainFrame::ExitProgram() {
    if (link().exchangeActive()) {
        // A menu that reaches the program over D-Bus can ask while an exchange holds the line:
        // end once it is over, not in the middle of it.
        QTimer::singleShot(100, this, &CMainFrame::ExitProgram);
        return;
    }
    exiting_ = true;
    link().ClosePort();
    if (tray_) tray_->hide();
    QCoreApplication::quit();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    // The close box only hides the window: the program keeps serving the unit from the tray.
    event->ignore();
    if (trayAvailable_) {
        hide();
    } else {
        showMinimized();
    }
}

}  // namespace ketrel
