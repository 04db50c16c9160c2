#include "app/dialog_card.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/dialog_add_card.h"
#include "app/dialog_modify_card.h"
#include "common/card_actions.h"
#include "common/notifier.h"
#include "common/texts.h"
#include "config/card_store.h"
#include "platform/app_state.h"
#include "settings/password_gate.h"
#include "widgets/dialog_runner.h"
#include "widgets/list_keys.h"
#include "widgets/my_edit.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
constexpr int kColumnWidth = 300;
// The number exactly as stored, so a row is found again even when its text has blanks around it.
constexpr int kStoredNumberRole = Qt::UserRole;

std::string StoredNumber(const QTreeWidgetItem* item) {
    return FromQ(item->data(0, kStoredNumberRole).toString());
}
}  // namespace

CDialogCard::CDialogCard(QWidget* parent) : QWidget(parent) {
    setObjectName("CDialogCard");
    auto* group = new QGroupBox(QStringLiteral("IC卡列表"), this);
    cards_ = new QTreeWidget(group);
    cards_->setObjectName("list1041");
    cards_->setRootIsDecorated(false);
    cards_->setAllColumnsShowFocus(true);
    cards_->setSelectionMode(QAbstractItemView::SingleSelection);
    cards_->setSelectionBehavior(QAbstractItemView::SelectRows);
    cards_->setUniformRowHeights(true);
    cards_->setHeaderLabels(
        {QStringLiteral("卡号"), QStringLiteral("插卡执行"), QStringLiteral("拔卡执行")});
    for (int c = 0; c < 3; ++c) cards_->setColumnWidth(c, kColumnWidth);
    cards_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // until rows are shown
    // Grid lines between the cells, as a report list draws them.
    cards_->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid palette(mid); border-bottom: 1px solid "
        "palette(mid); }"
        "QTreeView::item:selected { background: palette(highlight); color: "
        "palette(highlighted-text); }"));

    add_ = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogNewFolder),
                           QStringLiteral("添加卡"), this);
    add_->setObjectName("button1038");
    delete_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogDiscardButton),
                              QStringLiteral("删除选中"), this);
    delete_->setObjectName("button1039");
    delete_->setEnabled(false);
    deleteAll_ = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon),
                                 QStringLiteral("删除全部"), this);
    deleteAll_->setObjectName("button1040");
    connect(add_, &QPushButton::clicked, this, &CDialogCard::OnAddCard);
    connect(delete_, &QPushButton::clicked, this, &CDialogCard::OnDeleteSelected);
    connect(deleteAll_, &QPushButton::clicked, this, &CDialogCard::OnDeleteAll);
    // Any change of the selection counts, so a row chosen with the keyboard is the one deleted
    // and a list rebuilt under a stale number forgets it.
    connect(cards_, &QTreeWidget::itemSelectionChanged, this, &CDialogCard::OnListClick);
    connect(cards_, &QTreeWidget::itemDoubleClicked, this, &CDialogCard::OnListDoubleClick);
    OpenRowOnEnter(cards_, [this] { OnListDoubleClick(); });

    (new QVBoxLayout(group))->addWidget(cards_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(add_);
    buttons->addWidget(delete_);
    buttons->addWidget(deleteAll_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void CDialogCard::Attach(AppState& state, Notifier& notifier, DialogRunner& dialogs) {
    state_ = &state;
    notifier_ = &notifier;
    dialogs_ = &dialogs;
    LoadCardList();
}

std::string CDialogCard::databasePath() const { return state_->DatabasePath(); }

void CDialogCard::LoadCardList() {
    if (!attached()) return;
    cards_->setUpdatesEnabled(false);
    cards_->clear();
    if (const auto cards = CardStore(databasePath(), *notifier_).LoadCards()) {
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(cards->size()));
        for (const CardRow& card : *cards) {
            auto* item =
                new QTreeWidgetItem(QStringList{ToQ(card.number), ToQ(CardActionText(card.enter)),
                                                ToQ(CardActionText(card.leave))});
            item->setData(0, kStoredNumberRole, ToQ(card.number));
            items.append(item);
        }
        cards_->addTopLevelItems(items);
    }
    cards_->setUpdatesEnabled(true);
    // The columns are wider than the page; with no rows there is nothing to scroll to.
    cards_->setHorizontalScrollBarPolicy(cards_->topLevelItemCount() == 0 ? Qt::ScrollBarAlwaysOff
                                                                          : Qt::ScrollBarAsNeeded);
    OnListClick();
}

void CDialogCard::OnListClick() {
    const QList<QTreeWidgetItem*> chosen = cards_->selectedItems();
    selected_ = chosen.isEmpty() ? std::string() : StoredNumber(chosen.front());
    delete_->setEnabled(!chosen.isEmpty());
}

void CDialogCard::OnAddCard() {
    if (!attached() || !PassPasswordGate(*state_, *notifier_, *dialogs_, this)) return;
    CDialogAddCard dialog(databasePath(), *notifier_, this);
    setCardNumberField(dialog.numberField());
    const int result = dialogs_->run(dialog);
    setCardNumberField(nullptr);
    if (result == QDialog::Accepted) LoadCardList();
}

void CDialogCard::OnDeleteSelected() {
    if (!attached() || !PassPasswordGate(*state_, *notifier_, *dialogs_, this)) return;
    if (!notifier_->confirm(kConfirmDelete, kCaptionWarning, MessageIcon::Warning)) return;
    if (selected_.empty()) return;
    CardStore(databasePath(), *notifier_).DeleteCard(selected_);
    LoadCardList();
}

void CDialogCard::OnDeleteAll() {
    if (!attached() || !PassPasswordGate(*state_, *notifier_, *dialogs_, this)) return;
    if (!notifier_->confirm(kConfirmDelete, kCaptionWarning, MessageIcon::Warning)) return;
    if (cards_->topLevelItemCount() == 0) {
        notifier_->show(kNothingToDelete, texts::kCaptionNotice, MessageIcon::Error);
        return;
    }
    if (!notifier_->confirm(kConfirmDeleteAll, texts::kCaptionNotice, MessageIcon::Question)) {
        return;
    }
    CardStore(databasePath(), *notifier_).DeleteAllCards();
    LoadCardList();
}

void CDialogCard::OnListDoubleClick() {
    if (!attached()) return;
    const QList<QTreeWidgetItem*> chosen = cards_->selectedItems();
    if (chosen.isEmpty()) return;
    const auto card = CardStore(databasePath(), *notifier_).FindCard(StoredNumber(chosen.front()));
    if (!card) return;
    CDialogModifyCard dialog(databasePath(), *notifier_, *card, this);
    if (dialogs_->run(dialog) == QDialog::Accepted) LoadCardList();
}

bool CDialogCard::ReceiveCardNumber(const std::string& number) {
    QLineEdit* field = cardNumberField_.data();
    if (!field) return false;
    // Set as the program's own text, so neither the key filter nor the validator of the field
    // applies.
    field->setText(ToQ(number));
    return true;
}

}  // namespace ketrel
