#include "app/dialog_modify_card.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/card_widgets.h"
#include "common/notifier.h"
#include "common/texts.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
// The stored action's entry; none for a value the list does not hold.
int EntryFor(int action) {
    return action >= 0 && action < static_cast<int>(kCardActions.size()) ? action : -1;
}
}  // namespace

CDialogModifyCard::CDialogModifyCard(const std::string& databasePath, Notifier& notifier,
                                     const CardRow& card, QWidget* parent)
    : QDialog(parent), store_(databasePath, notifier), notifier_(notifier), card_(card) {
    setObjectName("CDialogModifyCard");
    setWindowTitle(QStringLiteral("编辑卡"));
    number_ = new QLineEdit(ToQ(card.number), this);
    number_->setObjectName("edit1052");
    number_->setReadOnly(true);
    number_->setMinimumWidth(200);
    enter_ = NewCardActionBox(this);
    enter_->setObjectName("combo1249");
    enter_->setCurrentIndex(EntryFor(card.enter));
    leave_ = NewCardActionBox(this);
    leave_->setObjectName("combo1095");
    leave_->setCurrentIndex(EntryFor(card.leave));
    ok_ = LayOutCardForm(this, number_, nullptr, enter_, leave_);
    connect(ok_, &QPushButton::clicked, this, &CDialogModifyCard::OnOK);
}

void CDialogModifyCard::OnOK() {
    // A list with nothing chosen keeps what is stored rather than storing "no entry" (-1).
    const int enter = enter_->currentIndex() >= 0 ? enter_->currentIndex() : card_.enter;
    const int leave = leave_->currentIndex() >= 0 ? leave_->currentIndex() : card_.leave;
    if (!store_.UpdateCard(card_.number, enter, leave)) {
        notifier_.show(kModifyFailed, texts::kCaptionError, MessageIcon::Error);
        return;
    }
    accept();
}

}  // namespace ketrel
