#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <string>

class QPushButton;
class QTreeWidget;

namespace ketrel {

class AppState;
class DialogRunner;
class Notifier;

// The "本地IC卡管理" page: the unit's local IC cards, added, edited and deleted here and written to
// the unit by 写卡.
class CDialogCard : public QWidget {
    Q_OBJECT
  public:
    static constexpr const char* kConfirmDelete = "确定要删除数据?";
    static constexpr const char* kConfirmDeleteAll = "确定要全部删除？";
    static constexpr const char* kNothingToDelete = "没有可删除的数据！";
    static constexpr const char* kCaptionWarning = "警告";

    explicit CDialogCard(QWidget* parent = nullptr);

    // Gives the page the program it serves and shows the stored cards. Until then the buttons
    // do nothing.
    void Attach(AppState& state, Notifier& notifier, DialogRunner& dialogs);

    QTreeWidget* cardList() const { return cards_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* deleteButton() const { return delete_; }
    QPushButton* deleteAllButton() const { return deleteAll_; }
    // The stored number of the selected row; empty when none is selected.
    const std::string& selectedNumber() const { return selected_; }

    // Shows the Card table as it is now.
    void LoadCardList();

    // The three buttons, the selection and the double click that edits a card.
    void OnAddCard();
    void OnDeleteSelected();
    void OnDeleteAll();
    void OnListClick();
    void OnListDoubleClick();

    // The add-card dialog registers its card-number field while it is open; a card swiped at the
    // unit then fills it in. The field is forgotten when it is destroyed.
    void setCardNumberField(QLineEdit* field) { cardNumberField_ = field; }
    QLineEdit* cardNumberField() const { return cardNumberField_.data(); }
    // A card number reported by the unit: replaces the field's text while the field is open,
    // otherwise it is dropped. True when it was shown.
    bool ReceiveCardNumber(const std::string& number);

  private:
    bool attached() const { return state_ && notifier_ && dialogs_; }
    std::string databasePath() const;

    AppState* state_ = nullptr;
    Notifier* notifier_ = nullptr;
    DialogRunner* dialogs_ = nullptr;
    QTreeWidget* cards_;
    QPushButton* add_;
    QPushButton* delete_;
    QPushButton* deleteAll_;
    std::string selected_;
    QPointer<QLineEdit> cardNumberField_;
};

}  // namespace ketrel
