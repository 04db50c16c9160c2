#include "dialog_add_card.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "card_widgets.h"
#include "my_edit.h"
#include "notifier.h"
#include "qt_text.h"
#include "text_util.h"
#include "texts.h"

namespace ketrel {

CDialogAddCard::CDialogAddCard(const std::string& databasePath, Notifier& notifier, QWidget* parent)
    : QDialog(parent), store_(databasePath, notifier), notifier_(notifier) {
    setObjectName("CDialogAddCard");
    setWindowTitle(QStringLiteral("添加卡"));
    number_ = new CMyEdit(this);
    number_->setObjectName("edit1048");
    number_->setMinimumWidth(200);
    hint_ = new QLabel(QStringLiteral("请刷一次IC卡,自动获取卡号"), this);
    hint_->setObjectName("static1053");
    hint_->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    enter_ = NewCardActionBox(this);
    enter_->setObjectName("combo1249");
    leave_ = NewCardActionBox(this);
    leave_->setObjectName("combo1095");
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setObjectName("button1003");
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CDialogAddCard::OnOK);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("卡号"), this), 0, 0);
    grid->addWidget(number_, 0, 1);
    grid->addWidget(hint_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("插卡执行"), this), 2, 0);
    grid->addWidget(enter_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("拔卡执行"), this), 3, 0);
    grid->addWidget(leave_, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
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
