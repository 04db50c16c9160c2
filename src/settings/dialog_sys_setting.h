#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <string>

class QLineEdit;
class QPushButton;

namespace ketrel {

class AppState;
class DialogRunner;
class Notifier;
class ReportList;

// The "系统配置" page: the serial and infrared channel lists with their editors, the three
// settings buttons behind the password gate, and the terminal information the unit reports.
class CDialogSysSetting : public QWidget {
    Q_OBJECT
  public:
    // Ids of the terminal information fields.
    static constexpr int kDeviceId = 1174;
    static constexpr int kDhcp = 1175;
    static constexpr int kTerminalIp = 1176;
    static constexpr int kNetmask = 1177;
    static constexpr int kGateway = 1178;
    static constexpr int kDns = 1179;
    static constexpr int kServerIp = 1180;

    // The widths of the four channel list columns.
    static constexpr int kColumnWidths[] = {80, 120, 150, 450};

    explicit CDialogSysSetting(QWidget* parent = nullptr);

    // Gives the page the program's state, message boxes and dialog runner, and fills the two
    // lists. Until then the lists are empty and the buttons do nothing.
    void Attach(AppState& state, Notifier& notifier, DialogRunner& dialogs);

    // Open the function options and the network settings; called once the password gate let
    // the user through. The window that owns those dialogs sets them.
    using Opener = std::function<void()>;
    void SetOptionsOpener(Opener open) { openOptions_ = std::move(open); }
    void SetNetworkOpener(Opener open) { openNetwork_ = std::move(open); }

    // Refill a list from the database; a failure leaves it empty, silently.
    void ReloadSerialList();
    void ReloadInfraredList();

    // A double click on a list: opens the channel editor for the number in the first column of
    // the selected row, if a row is selected.
    void OnSerialListDoubleClick();
    void OnInfraredListDoubleClick();
    // 选项参数, 网络参数, 键码定义.
    void OnOptions();
    void OnNetwork();
    void OnKeyCode();

    // Shows one of the unit's information lines in its field; false for a key this page does
    // not show.
    bool SetTerminalInfo(const std::string& key, const std::string& value);
    // Empties the fields: what they showed came from a unit that may no longer be there.
    void ClearTerminalInfo();
    QLineEdit* terminalField(int id) const;

    ReportList* serialList() const { return serialList_; }
    ReportList* infraredList() const { return infraredList_; }
    QPushButton* optionsButton() const { return options_; }
    QPushButton* networkButton() const { return network_; }
    QPushButton* keyCodeButton() const { return keyCode_; }

  private:
    bool PassGate();

    AppState* state_ = nullptr;
    Notifier* notifier_ = nullptr;
    DialogRunner* dialogs_ = nullptr;
    Opener openOptions_;
    Opener openNetwork_;

    std::map<int, QLineEdit*> fields_;
    ReportList* serialList_;
    ReportList* infraredList_;
    QPushButton* options_;
    QPushButton* network_;
    QPushButton* keyCode_;
};

}  // namespace ketrel
