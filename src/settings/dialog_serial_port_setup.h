#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QPushButton;

namespace ketrel {

class AppState;
class Notifier;
class SerialLink;

// "通信端口设置": picks the serial port, stores it as PortName in config.ini and reopens the link
// on it.
class CDialogSerialPortSetup : public QDialog {
    Q_OBJECT
  public:
    using PortLister = std::function<std::vector<std::string>()>;

    CDialogSerialPortSetup(AppState& state, SerialLink& link, Notifier& notifier,
                           QWidget* parent = nullptr, PortLister lister = {});

    QComboBox* portList() const { return ports_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button.
    void OnOK();

  private:
    void fillPortList(const PortLister& lister);

    AppState& state_;
    SerialLink& link_;
    Notifier& notifier_;
    QComboBox* ports_;
    QPushButton* ok_;
};

}  // namespace ketrel
