#include "app/dialog_add_card.h"

#include <QLabel>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/card_widgets.h"
#include "common/notifier.h"
#include "common/texts.h"
#include "platform/text_util.h"
#include "widgets/my_edit.h"
#include "widgets/qt_text.h"

namespace ketrel {

CDialogAddCard::CDialogAddCard(const std::string& databasePath, Notifier& notifier, QWidget* parent)
    : QDialog(parent), store_(databasePath, notifier), notifier_(notifier) {
    setObjectName("CDialogAddCard");
    setWindowTitle(QStringLiteral("添加卡"));
    number_ = new CMyEdit(this);
    number_->setObjectName("edit1048");
    number_->setMinimumWidth(200);
    // The field takes hexadecimal digits for codes elsewhere; a card number is decimal, so
    // letters and blanks are refused as they are typed or pasted. A swiped number is set by the
    // program and not checked here; OnOK checks whatever the field holds.
    number_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), number_));
    hint_ = new QLabel(QStringLiteral("请刷一次IC卡,自动获取卡号"), this);
    hint_->setObjectName("static1053");
    hint_->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    enter_ = NewCardActionBox(this);
    enter_->setObjectName("combo1249");
    leave_ = NewCardActionBox(this);
    leave_->setObjectName("combo1095");
    ok_ = LayOutCardForm(this, number_, hint_, enter_, leave_);
    connect(ok_, &QPushButton::clicked, this, &CDialogAddCard::OnOK);
}

void CDialogAddCard::OnOK() {
    const std::string number = Trim(FromQ(number_->text()));
    if (number.empty()) {
        notifier_.show(kEmptyNumber, texts::kCaptionError, MessageIcon::Error);
        return;
    }
    // Letters, blanks or a number past 32 bits would be written to the unit as another card.
    if (!IsWritableCardNumber(number)) {
        notifier_.show(kNotDecimal, texts::kCaptionError, MessageIcon::Error);
        return;
    }
    const auto exists = store_.CardExists(number);
    // Unknown when the table could not be read: adding then could store the number twice.
    if (!exists) return;
    if (*exists) {
        notifier_.show(kNumberExists, texts::kCaptionError, MessageIcon::Error);
        return;
    }
    if (!store_.InsertCard(number, enter_->currentIndex(), leave_->currentIndex())) {
        notifier_.show(kAddFailed, texts::kCaptionError, MessageIcon::Error);
        return;
    }
    accept();
}

}  // namespace ketrel
