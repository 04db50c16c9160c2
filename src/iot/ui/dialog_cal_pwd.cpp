#include "iot/ui/dialog_cal_pwd.h"

#include "iot/smart_socket.h"

namespace ketrel {

CDialogCalPwd::CDialogCalPwd(Notifier& notifier, QWidget* parent)
    : PasswordDialog(QStringLiteral("请输入工厂密码"), "factoryPasswordField", notifier,
                     iot::AcceptFactoryPassword, parent) {}

}  // namespace ketrel
