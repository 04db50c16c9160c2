#include "dialog_card.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qt_text.h"

namespace ketrel {

CDialogCard::CDialogCard(QWidget* parent) : QWidget(parent) {
    setObjectName("CDialogCard");
    auto* group = new QGroupBox(QStringLiteral("IC卡列表"), this);
    cards_ = new QTreeWidget(group);
    cards_->setRootIsDecorated(false);
    cards_->setAllColumnsShowFocus(true);
    cards_->setHeaderLabels(
        {QStringLiteral("卡号"), QStringLiteral("插卡执行"), QStringLiteral("拔卡执行")});
    (new QVBoxLayout(group))->addWidget(cards_);
    (new QVBoxLayout(this))->addWidget(group);
}

bool CDialogCard::ReceiveCardNumber(const std::string& number) {
    QLineEdit* field = cardNumberField_.data();
    if (!field) return false;
    // Set as the program's own text, so the hex filter of the field does not apply.
    field->setText(ToQ(number));
    return true;
}

}  // namespace ketrel
