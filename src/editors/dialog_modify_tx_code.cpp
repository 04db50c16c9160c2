#include "editors/dialog_modify_tx_code.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "config/config_db.h"
#include "editors/code_format.h"
#include "editors/editor_texts.h"
#include "widgets/my_edit.h"
#include "widgets/qt_text.h"

namespace ketrel {

CDialogModifyTxCode::CDialogModifyTxCode(ChannelKind kind, const char* title,
                                         std::string databasePath, Notifier& notifier, int id,
                                         QString codeName, const QString& code, QWidget* parent)
    : QDialog(parent),
      store_(kind, std::move(databasePath), notifier),
      id_(id),
      codeNameText_(std::move(codeName)) {
    setWindowTitle(QString::fromUtf8(title));

    codeName_ = new QLabel(codeNameText_, this);
    codeName_->setObjectName("static1100");
    code_ = new CMyEdit(this);
    code_->setObjectName("edit1097");
    code_->setMinimumWidth(560);
    clear_ = new QPushButton(QString::fromUtf8(texts::kClear), this);
    clear_->setObjectName("button1099");
    clear_->setAutoDefault(false);
    ok_ = new QPushButton(QString::fromUtf8(texts::kOk), this);
    ok_->setObjectName("button1003");
    ok_->setDefault(true);

    connect(code_, &QLineEdit::textChanged, this, &CDialogModifyTxCode::OnCodeChanged);
    connect(clear_, &QPushButton::clicked, this, &CDialogModifyTxCode::OnClear);
    connect(ok_, &QPushButton::clicked, this, &CDialogModifyTxCode::OnOK);

    // A longer code stored by another program is shown whole, so that opening and confirming
    // the dialog never cuts it; typing cannot make it longer.
    code_->setMaxLength(std::max<int>(kMaxCodeChars, static_cast<int>(code.size())));
    code_->setText(code);
    OnCodeChanged();  // an empty code changes nothing, but is checked all the same

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("控制码名称:"), this), 0, 0, Qt::AlignRight);
    grid->addWidget(codeName_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("控制码:"), this), 1, 0, Qt::AlignRight);
    grid->addWidget(code_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(clear_);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

void CDialogModifyTxCode::OnCodeChanged() {
    invalid_ = !IsValidCodeText(code_->text());
    ok_->setEnabled(!invalid_);
    QPalette palette = code_->palette();
    palette.setColor(QPalette::Text, invalid_ ? QColor(255, 0, 0) : QColor(0, 0, 0));
    code_->setPalette(palette);
    code_->update();
}

void CDialogModifyTxCode::OnClear() { code_->clear(); }

void CDialogModifyTxCode::OnOK() {
    if (invalid_) return;  // the button is disabled; nothing else may save an invalid code
    const std::string code = FromQ(code_->text().trimmed());
    store_.SetCode(id_, code);
    accept();
}

CDialogModifySPTxCode::CDialogModifySPTxCode(std::string databasePath, Notifier& notifier, int id,
                                             int spNumber, QString codeName, const QString& code,
                                             QWidget* parent)
    : CDialogModifyTxCode(ChannelKind::Serial, texts::kModifySPTxCodeTitle, std::move(databasePath),
                          notifier, id, std::move(codeName), code, parent),
      spNumber_(spNumber) {}

CDialogModifyIRTxCode::CDialogModifyIRTxCode(std::string databasePath, Notifier& notifier, int id,
                                             int irNumber, QString codeName, const QString& code,
                                             QWidget* parent)
    : CDialogModifyTxCode(ChannelKind::Infrared, texts::kModifyIRTxCodeTitle,
                          std::move(databasePath), notifier, id, std::move(codeName), code, parent),
      irNumber_(irNumber) {}

}  // namespace ketrel
