#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <vector>

class QAction;
class QWidget;

namespace ketrel {

class AppState;
class CDialogTrafficLog;
class DialogRunner;
class Notifier;
class SerialLink;

// The window's commands for the configuration file, the read-back comparison and the traffic
// log. The main frame adds their actions to its commands and the ribbon shows them.
class ConfigFileCommands : public QObject {
    Q_OBJECT
  public:
    ConfigFileCommands(QWidget* window, AppState& state, Notifier& notifier, DialogRunner& dialogs,
                       SerialLink& link);
    ~ConfigFileCommands() override;  // closes the log window while the link is still there

    // ID_BUTTON_EXPORT, ID_BUTTON_IMPORT, ID_BUTTON_COMPARE and ID_BUTTON_TRAFFIC_LOG, each with
    // its id as data.
    const std::vector<QAction*>& actions() const { return actions_; }

    void OnExport();
    void OnImport();
    void OnCompare();
    void OnTrafficLog();

    // The open log window, or nullptr.
    CDialogTrafficLog* trafficLogWindow() const;

  signals:
    // The database now holds another configuration: pages that show it should read it again.
    void configurationImported();

  private:
    // The file the user picks, or empty when the chooser was cancelled.
    QString chooseFile(bool save);

    QWidget* window_;
    AppState& state_;
    Notifier& notifier_;
    DialogRunner& dialogs_;
    SerialLink& link_;
    std::vector<QAction*> actions_;
    QPointer<CDialogTrafficLog> trafficLog_;
};

}  // namespace ketrel
