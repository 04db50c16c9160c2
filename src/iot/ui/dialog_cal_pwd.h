#pragma once

#include "widgets/password_dialog.h"

namespace ketrel {

// "请输入工厂密码": in front of the factory calibration. Ends with OK only for the factory
// password, which is then remembered for the rest of the run; the close box cancels.
class CDialogCalPwd : public PasswordDialog {
    Q_OBJECT
  public:
    explicit CDialogCalPwd(Notifier& notifier, QWidget* parent = nullptr);
};

}  // namespace ketrel
