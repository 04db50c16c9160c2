#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/window_clock.h"
#include "common/pc_actions.h"
#include "link/info_lines.h"
#include "link/unit_session.h"

class QMenu;

namespace ketrel {

class AppState;
class ConfigFileCommands;
class COutlookBar;
class CVardoView;
class DialogRunner;
class Notifier;
class RibbonBar;
class StatusPanes;

// The steps of the start-up, in their fixed order.
enum class StartupStep {
    ReceiveThread,
    Displays,
    TrayIcon,
    Port,
    FirstRun,
    AutoRunState,
    InfoTimer
};

struct FrameOptions {
    // The PC actions of this desktop; created at the displays step.
    std::function<std::unique_ptr<PcActions>()> makeActions;
    // The executable the auto-start entry starts; empty for this process's executable.
    std::string executablePath;
    // Whether the desktop has a system tray; unset to ask the desktop.
    std::optional<bool> trayAvailable;
    int infoTimerIntervalMs = 1000;
    // How long 获取信息 waits for the unit's first line before the status bar says it is silent.
    int infoAnswerMs = 2000;
    // Called after each start-up step.
    std::function<void(StartupStep)> onStartupStep;
};

// The main window: ribbon, navigation bar, the two pages, the status bar and the tray icon. It
// owns the session with the unit (the serial link and the receive thread) for the whole run.
class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 700;
    static constexpr int kMinWidth = 760;
    static constexpr int kMinHeight = 520;
    // The title bar and the borders the window manager adds around the window.
    static constexpr int kFrameAllowance = 40;

    CMainFrame(AppState& state, Notifier& notifier, DialogRunner& dialogs,
               FrameOptions options = {});
    ~CMainFrame() override;

    // The start-up: receive thread, PC actions, tray icon, port, first-run marker and auto-start,
    // information timer; then the window is hidden in the tray (or shown where there is none).
    void StartUp();

    QAction* command(int id) const;
    StatusPanes& statusPanes() const { return *panes_; }
    RibbonBar* ribbon() const { return ribbon_; }
    COutlookBar* outlookBar() const { return outlook_; }
    CVardoView* view() const { return view_; }
    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QMenu* styleMenu() const { return styleMenu_; }
    SerialLink& link() { return session_.link(); }
    ConfigFileCommands* fileCommands() const { return fileCommands_.get(); }
    ReceiveThread& receiver() { return session_.receiver(); }
    bool trayAvailable() const { return trayAvailable_; }
    bool autoRunChecked() const { return autoRunChecked_; }
    int infoTimerTicks() const { return infoTicks_; }
    bool infoTimerActive() const { return infoTimer_.isActive(); }
    int applicationLook() const { return applicationLook_; }
    bool exiting() const { return exiting_; }

    // Command handlers.
    void RequestUnitInfo();
    void OnWriteConfiguration();
    void OnWriteCards();
    void OnPortSetup();
    void OnTogglePort();
    void OnIotCommand(int commandId);
    void OnAutoRun();
    void OnAppLook(int id);
    void OnNavigate(int commandId);
    void OnAbout();
    void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
    // 显示主窗口 in the tray menu, and a click on the icon.
    void ShowMainWindow();
    // 退出程序 and 退出(&X): close the port, remove the tray icon, end the event loop.
    void ExitProgram();

    // An information line from the unit, on this thread.
    void OnInfoLine(const QString& key, const QString& value);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // Hands the unit's information lines to the window's thread without waiting for it.
    class WindowSink : public FrameSink {
      public:
        explicit WindowSink(CMainFrame* frame) : frame_(frame) {}
        void infoLine(const std::string& key, const std::string& value) override;

      private:
        CMainFrame* frame_;
    };

    void createCommands();
    void createTray();
    void step(StartupStep s);
    void OnInfoTimerTick();
    void OnPortLost();
    void showNotYetAvailable();
    void placeOnScreen();
    // Runs a transfer with the window's commands greyed out while it holds the line.
    void runTransfer(const std::function<void()>& transfer);

    AppState& state_;
    Notifier& notifier_;
    DialogRunner& dialogs_;
    FrameOptions options_;
    std::string executablePath_;
    bool trayAvailable_;

    std::map<int, QAction*> commands_;
    QMenu* styleMenu_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    RibbonBar* ribbon_ = nullptr;
    COutlookBar* outlook_ = nullptr;
    CVardoView* view_ = nullptr;
    StatusPanes* panes_ = nullptr;
    QSystemTrayIcon* tray_ = nullptr;
    QTimer infoTimer_;
    QTimer infoAnswerTimer_;
    int infoTicks_ = 0;
    bool autoRunChecked_ = false;
    int applicationLook_ = 0;
    bool exiting_ = false;
    bool started_ = false;

    std::unique_ptr<PcActions> actions_;
    WindowSink sink_{this};
    WindowClock clock_;
    UnitSession session_;
    // Last, so it goes first: its log window lets go of the link while the link is still there.
    std::unique_ptr<ConfigFileCommands> fileCommands_;
};

}  // namespace ketrel
