#include "widgets/password_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/notifier.h"
#include "common/texts.h"
#include "platform/text_util.h"
#include "widgets/qt_text.h"

namespace ketrel {

PasswordDialog::PasswordDialog(const QString& title, const char* fieldName, Notifier& notifier,
                               Check check, QWidget* parent)
    : QDialog(parent), notifier_(notifier), check_(std::move(check)) {
    setWindowTitle(title);
    auto* label = new QLabel(QStringLiteral("请输入密码："), this);
    field_ = new QLineEdit(this);
    field_->setObjectName(fieldName);
    field_->setEchoMode(QLineEdit::Password);
    field_->setMinimumWidth(180);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &PasswordDialog::OnOK);

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

void PasswordDialog::OnOK() {
    const std::string typed = Trim(FromQ(field_->text()));
    if (typed.empty()) {
        notifier_.show(texts::kPasswordEmpty, texts::kCaptionNotice, MessageIcon::Warning);
        return;
    }
    if (!check_(typed)) {
        field_->clear();
        notifier_.show(texts::kPasswordWrong, texts::kCaptionError, MessageIcon::Error);
        field_->setFocus();
        return;
    }
    accept();
}

}  // namespace ketrel
