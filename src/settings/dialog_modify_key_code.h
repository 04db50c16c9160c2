#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "settings/dialog_key_code.h"

class QComboBox;
class QLineEdit;

namespace ketrel {

class Notifier;

// "修改键码": the five code groups of one key. Every change of a choice writes the whole row at
// once; there is no OK button, the dialog is closed with its close box. A group whose channel is
// "无" keeps its code digit, so choosing a channel again brings the old code back.
class CDialogModifyKeyCode : public QDialog {
    Q_OBJECT
  public:
    CDialogModifyKeyCode(std::string databasePath, Notifier& notifier, int keyNumber,
                         QWidget* parent = nullptr);

    int keyNumber() const { return keyNumber_; }
    // False when the key's row could not be read: the choices then stay empty and disabled.
    bool loaded() const { return loaded_; }
    KeyCodeGroup group(int k) const { return groups_[k]; }

    QLineEdit* numberField() const { return number_; }
    QLineEdit* nameField() const { return name_; }
    QComboBox* channelChoice(int k) const { return channels_[k]; }
    QComboBox* codeChoice(int k) const { return codes_[k]; }

    // The user chose another entry in group k's (0..4) channel or code choice.
    void OnChannelSelected(int k);
    void OnCodeSelected(int k);

  private:
    void ShowGroup(int k);
    void Save();

    std::string databasePath_;
    Notifier& notifier_;
    int keyNumber_;
    bool loaded_ = false;
    std::array<KeyCodeGroup, keycode::kGroupCount> groups_{};
    QLineEdit* number_;
    QLineEdit* name_;
    std::array<QComboBox*, keycode::kGroupCount> channels_{};
    std::array<QComboBox*, keycode::kGroupCount> codes_{};
};

}  // namespace ketrel
