#pragma once

#include <QDialog>

#include "iot/gateway.h"

class QLineEdit;
class QPushButton;

namespace ketrel {

class Notifier;
class SerialLink;

// "网关配置": the Wi-Fi name and password of the IoT gateway. Each button is one exchange with
// the gateway; the dialog stays open after every outcome and stores nothing.
class CDialogGateway : public QDialog {
    Q_OBJECT
  public:
    CDialogGateway(SerialLink& link, Notifier& notifier, QWidget* parent = nullptr);

    QLineEdit* nameEdit() const { return name_; }
    QLineEdit* passwordEdit() const { return password_; }
    QPushButton* writeNameButton() const { return writeName_; }
    QPushButton* writePasswordButton() const { return writePassword_; }
    QPushButton* clearButton() const { return clear_; }

    void OnWriteName();
    void OnWritePassword();
    void OnClearDefaults();

  private:
    iot::Gateway gateway_;
    QLineEdit* name_;
    QLineEdit* password_;
    QPushButton* writeName_;
    QPushButton* writePassword_;
    QPushButton* clear_;
};

}  // namespace ketrel
