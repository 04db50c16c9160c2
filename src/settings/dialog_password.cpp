#include "dialog_password.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app_state.h"
#include "notifier.h"
#include "qt_text.h"
#include "text_util.h"
#include "texts.h"

namespace ketrel {

CDialogPassword::CDialogPassword(AppState& state, Notifier& notifier, QWidget* parent)
    : QDialog(parent), state_(state), notifier_(notifier) {
    setWindowTitle(QStringLiteral("密码"));
    auto* label = new QLabel(QStringLiteral("请输入密码："), this);
    field_ = new QLineEdit(this);
    field_->setObjectName("passwordField");
    field_->setEchoMode(QLineEdit::Password);
    field_->setMinimumWidth(180);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CDialogPassword::OnOK);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(field_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void CDialogPassword::OnOK() {
    const std::string typed = Trim(FromQ(field_->text()));
    if (typed.empty()) {
        notifier_.show("密码不能为空!", texts::kCaptionNotice, MessageIcon::Warning);
        return;
    }
    if (typed != Trim(state_.SettingsPassword())) {
        field_->clear();
        notifier_.show("密码错误,请重新输入!", texts::kCaptionError, MessageIcon::Error);
        field_->setFocus();
        return;
    }
    state_.SetEnteredPassword(typed);
    accept();
}

}  // namespace ketrel
