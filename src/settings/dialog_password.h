#pragma once

#include "widgets/password_dialog.h"

namespace ketrel {

class AppState;

// "密码": asks for the settings password. Accepted only with the right one, which is then
// remembered for the rest of the run.
class CDialogPassword : public PasswordDialog {
    Q_OBJECT
  public:
    CDialogPassword(AppState& state, Notifier& notifier, QWidget* parent = nullptr);
};

}  // namespace ketrel
