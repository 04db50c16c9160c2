#pragma once

class QWidget;

namespace ketrel {

class AppState;
class DialogRunner;
class Notifier;

// The settings password gate in front of the settings dialogs and the card list changes: goes on
// at once when the password entered earlier in this run matches (always, when no password is
// set); otherwise asks with CDialogPassword. True to go on, false when the user cancelled.
bool PassPasswordGate(AppState& state, Notifier& notifier, DialogRunner& dialogs,
                      QWidget* parent = nullptr);

}  // namespace ketrel
