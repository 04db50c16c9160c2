#include "settings/dialog_password.h"

#include "platform/app_state.h"
#include "platform/text_util.h"

namespace ketrel {

CDialogPassword::CDialogPassword(AppState& state, Notifier& notifier, QWidget* parent)
    : PasswordDialog(
          QStringLiteral("密码"), "passwordField", notifier,
          [&state](const std::string& typed) {
              if (typed != Trim(state.SettingsPassword())) return false;
              state.SetEnteredPassword(typed);
              return true;
          },
          parent) {}

}  // namespace ketrel
