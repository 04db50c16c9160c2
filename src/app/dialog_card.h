#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <string>

class QTreeWidget;

namespace ketrel {

// The "本地IC卡管理" page: the unit's local IC cards.
class CDialogCard : public QWidget {
    Q_OBJECT
  public:
    explicit CDialogCard(QWidget* parent = nullptr);

    QTreeWidget* cardList() const { return cards_; }

    // The add-card dialog registers its card-number field while it is open; a card swiped at the
    // unit then fills it in. The field is forgotten when it is destroyed.
    void setCardNumberField(QLineEdit* field) { cardNumberField_ = field; }
    QLineEdit* cardNumberField() const { return cardNumberField_.data(); }
    // A card number reported by the unit: replaces the field's text while the field is open,
    // otherwise it is dropped. True when it was shown.
    bool ReceiveCardNumber(const std::string& number);

  private:
    QTreeWidget* cards_;
    QPointer<QLineEdit> cardNumberField_;
};

}  // namespace ketrel
