#pragma once

#include <QDialog>
#include <string>

#include "config/card_store.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace ketrel {

class CMyEdit;
class Notifier;

// "添加卡": a new card's number, typed or filled in by a card swiped at the unit, and its two
// actions.
class CDialogAddCard : public QDialog {
    Q_OBJECT
  public:
    static constexpr const char* kEmptyNumber = "请输入卡号或者通过刷卡自动获取卡号!";
    static constexpr const char* kNumberExists = "此ID已存在,无法添加!";
    static constexpr const char* kNotDecimal = "卡号只能是0到4294967295之间的十进制数字!";
    static constexpr const char* kAddFailed = "添加卡号出错，无法执行!";

    CDialogAddCard(const std::string& databasePath, Notifier& notifier, QWidget* parent = nullptr);

    CMyEdit* numberField() const { return number_; }
    QComboBox* enterBox() const { return enter_; }
    QComboBox* leaveBox() const { return leave_; }
    QLabel* hint() const { return hint_; }
    QPushButton* okButton() const { return ok_; }

    // The "确定" button: stores the card and closes, or says why not and stays open.
    void OnOK();

  private:
    CardStore store_;
    Notifier& notifier_;
    CMyEdit* number_;
    QComboBox* enter_;
    QComboBox* leave_;
    QLabel* hint_;
    QPushButton* ok_;
};

}  // namespace ketrel
