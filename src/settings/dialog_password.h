#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace ketrel {

class AppState;
class Notifier;

// "密码": asks for the settings password. Accepted only with the right one, which is then
// remembered for the rest of the run.
class CDialogPassword : public QDialog {
    Q_OBJECT
  public:
    CDialogPassword(AppState& state, Notifier& notifier, QWidget* parent = nullptr);

    QLineEdit* passwordField() const { return field_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button.
    void OnOK();

  private:
    AppState& state_;
    Notifier& notifier_;
    QLineEdit* field_;
    QPushButton* ok_;
};

}  // namespace ketrel
