#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "settings/serial_port_list.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace ketrel {

class AppState;
class Notifier;
class SerialLink;

// "通信端口设置": picks the serial port, stores it as PortName in config.ini and reopens the link
// on it. The list holds the devices by path and their stable names; any name may be typed (a
// path, COMn, a name under /dev/).
class CDialogSerialPortSetup : public QDialog {
    Q_OBJECT
  public:
    CDialogSerialPortSetup(AppState& state, SerialLink& link, Notifier& notifier,
                           QWidget* parent = nullptr, PortLister lister = {});

    QComboBox* portList() const { return ports_; }
    // What is known of the port in the list's field: the adapter, or the device it names.
    QLabel* portDetails() const { return details_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button.
    void OnOK();

  private:
    void fillPortList(const PortLister& lister);
    void showDetails(const QString& name);

    AppState& state_;
    SerialLink& link_;
    Notifier& notifier_;
    QComboBox* ports_;
    QLabel* details_;
    QPushButton* ok_;
    std::vector<PortEntry> entries_;
};

}  // namespace ketrel
