#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace ketrel {

class Notifier;

// "请输入工厂密码": in front of the factory calibration. Ends with OK only for the factory
// password, which is then remembered for the rest of the run; the close box cancels.
class CDialogCalPwd : public QDialog {
    Q_OBJECT
  public:
    explicit CDialogCalPwd(Notifier& notifier, QWidget* parent = nullptr);

    QLineEdit* passwordField() const { return field_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button.
    void OnOK();

  private:
    Notifier& notifier_;
    QLineEdit* field_;
    QPushButton* ok_;
};

}  // namespace ketrel
