#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

namespace ketrel {

class Notifier;

// A password prompt: "请输入密码：", a hidden field and "确定". OK with an empty field or a
// password the check refuses shows why and keeps the dialog open; the close box cancels.
class PasswordDialog : public QDialog {
    Q_OBJECT
  public:
    // Whether the trimmed text is the password; it may remember it for the rest of the run.
    using Check = std::function<bool(const std::string& typed)>;

    PasswordDialog(const QString& title, const char* fieldName, Notifier& notifier, Check check,
                   QWidget* parent = nullptr);

    QLineEdit* passwordField() const { return field_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button.
    void OnOK();

  private:
    Notifier& notifier_;
    Check check_;
    QLineEdit* field_;
    QPushButton* ok_;
};

}  // namespace ketrel
