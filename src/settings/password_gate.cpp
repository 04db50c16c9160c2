#include "settings/password_gate.h"

#include "platform/app_state.h"
#include "platform/text_util.h"
#include "settings/dialog_password.h"
#include "widgets/dialog_runner.h"

namespace ketrel {

bool PassPasswordGate(AppState& state, Notifier& notifier, DialogRunner& dialogs, QWidget* parent) {
    const std::string entered = Trim(state.EnteredPassword());
    state.SetEnteredPassword(entered);
    if (Trim(state.SettingsPassword()) == entered) return true;
    CDialogPassword dialog(state, notifier, parent);
    return dialogs.run(dialog) == QDialog::Accepted;
}

}  // namespace ketrel
