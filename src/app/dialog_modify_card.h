#pragma once

#include <QDialog>
#include <string>

#include "config/card_store.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace ketrel {

class Notifier;

// "编辑卡": the two actions of a stored card; its number is shown but not edited.
class CDialogModifyCard : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kModifyFailed = "修改出错，无法执行!";

    // card: the number and the actions as stored; an action outside the list selects nothing.
    CDialogModifyCard(const std::string& databasePath, Notifier& notifier, const CardRow& card,
                      QWidget* parent = nullptr);

    QLineEdit* numberField() const { return number_; }
    QComboBox* enterBox() const { return enter_; }
    QComboBox* leaveBox() const { return leave_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button: stores the actions and closes, or says why not and stays open.
    void OnOK();

  private:
    CardStore store_;
    Notifier& notifier_;
    CardRow card_;
    QLineEdit* number_;
    QComboBox* enter_;
    QComboBox* leave_;
    QPushButton* ok_;
};

}  // namespace ketrel
