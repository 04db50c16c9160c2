#include "settings/dialog_modify_key_code.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "widgets/qt_text.h"

namespace ketrel {

CDialogModifyKeyCode::CDialogModifyKeyCode(std::string databasePath, Notifier& notifier,
                                           int keyNumber, QWidget* parent)
    : QDialog(parent),
      databasePath_(std::move(databasePath)),
      notifier_(notifier),
      keyNumber_(keyNumber) {
    setObjectName("dialog349");
    setWindowTitle(QStringLiteral("修改键码"));

    number_ = new QLineEdit(QString::number(keyNumber_), this);
    number_->setReadOnly(true);
    name_ = new QLineEdit(this);
    name_->setReadOnly(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("键码编号:"), this), 0, 0, Qt::AlignRight);
    grid->addWidget(number_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("键码名称:"), this), 0, 2, Qt::AlignRight);
    grid->addWidget(name_, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("控制口选择"), this), 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("发码选择"), this), 1, 3);
    for (int k = 0; k < keycode::kGroupCount; ++k) {
        channels_[k] = new QComboBox(this);
        for (const char* n : keycode::kChannelNames) channels_[k]->addItem(QString::fromUtf8(n));
        codes_[k] = new QComboBox(this);
        for (const char* n : keycode::kCodeNames) codes_[k]->addItem(QString::fromUtf8(n));
        channels_[k]->setCurrentIndex(-1);
        codes_[k]->setCurrentIndex(-1);
        channels_[k]->setMinimumWidth(110);
        codes_[k]->setMinimumWidth(110);
        // Only the user's choices save: selections the dialog makes itself are not "activated".
        connect(channels_[k], &QComboBox::activated, this, [this, k] { OnChannelSelected(k); });
        connect(codes_[k], &QComboBox::activated, this, [this, k] { OnCodeSelected(k); });
        grid->addWidget(new QLabel(QStringLiteral("第%1组控制码:").arg(k + 1), this), k + 2, 0,
                        Qt::AlignRight);
        grid->addWidget(channels_[k], k + 2, 1);
        grid->addWidget(new QLabel(QStringLiteral("->"), this), k + 2, 2, Qt::AlignCenter);
        grid->addWidget(codes_[k], k + 2, 3);
    }

    const auto key = KeyCodeStore(databasePath_, notifier_).LoadKey(keyNumber_);
    loaded_ = key.has_value();
    if (!loaded_) {
        // Without the stored row a change would overwrite the key's other groups with zeros.
        for (int k = 0; k < keycode::kGroupCount; ++k) {
            channels_[k]->setEnabled(false);
            codes_[k]->setEnabled(false);
        }
    } else {
        name_->setText(ToQ(key->name));
        groups_ = key->groups;
        for (int k = 0; k < keycode::kGroupCount; ++k) {
            // A channel digit beyond the table selects nothing (setCurrentIndex gives -1).
            channels_[k]->setCurrentIndex(
                groups_[k].channel < channels_[k]->count() ? groups_[k].channel : -1);
            ShowGroup(k);
        }
    }
    setFixedSize(sizeHint());
}

void CDialogModifyKeyCode::ShowGroup(int k) {
    if (channels_[k]->currentIndex() > 0) {
        codes_[k]->setCurrentIndex(groups_[k].code < codes_[k]->count() ? groups_[k].code : -1);
        codes_[k]->setEnabled(true);
    } else {
        codes_[k]->setCurrentIndex(-1);
        codes_[k]->setEnabled(false);
    }
}

void CDialogModifyKeyCode::OnChannelSelected(int k) {
    if (!loaded_ || channels_[k]->currentIndex() < 0) return;
    groups_[k].channel = static_cast<std::uint16_t>(channels_[k]->currentIndex());
    ShowGroup(k);
    Save();
}

void CDialogModifyKeyCode::OnCodeSelected(int k) {
    if (!loaded_ || codes_[k]->currentIndex() < 0) return;
    groups_[k].code = static_cast<std::uint16_t>(codes_[k]->currentIndex());
    Save();
}

void CDialogModifyKeyCode::Save() {
    KeyCodeStore(databasePath_, notifier_).SaveGroups(keyNumber_, groups_);
}

}  // namespace ketrel
