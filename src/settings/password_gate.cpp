#include "password_gate.h"

#include "app_state.h"
#include "dialog_password.h"
#include "dialog_runner.h"
#include "text_util.h"

namespace ketrel {

bool PassPasswordGate(AppState& state, Notifier& notifier, DialogRunner& dialogs, QWidget* parent) {
    const std::string entered = Trim(state.EnteredPassword());
    state.SetEnteredPassword(entered);
    if (Trim(state.SettingsPassword()) == entered) return true;
    CDialogPassword dialog(state, notifier, parent);
    return dialogs.run(dialog) == QDialog::Accepted;
}

}  // namespace ketrel
