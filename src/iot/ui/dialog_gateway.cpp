#include "iot/ui/dialog_gateway.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "iot/iot_line.h"
#include "widgets/qt_text.h"

namespace ketrel {

CDialogGateway::CDialogGateway(SerialLink& link, Notifier& notifier, QWidget* parent)
    : QDialog(parent), gateway_(link, notifier) {
    setWindowTitle(QStringLiteral("网关配置"));
    auto* group = new QGroupBox(QStringLiteral("WIFI设置"), this);
    name_ = new QLineEdit(group);
    name_->setObjectName("nameEdit");
    password_ = new QLineEdit(group);
    password_->setObjectName("passwordEdit");
    for (QLineEdit* e : {name_, password_}) {
        e->setMaxLength(static_cast<int>(iot::kTextBytes));
        e->setMinimumWidth(200);
    }
    writeName_ = new QPushButton(QStringLiteral("写入"), group);
    writePassword_ = new QPushButton(QStringLiteral("写入"), group);
    clear_ = new QPushButton(QStringLiteral("清除使用默认名称和密码"), group);
    // Enter in an edit must not press a button the user did not choose.
    for (QPushButton* b : {writeName_, writePassword_, clear_}) b->setAutoDefault(false);
    connect(writeName_, &QPushButton::clicked, this, &CDialogGateway::OnWriteName);
    connect(writePassword_, &QPushButton::clicked, this, &CDialogGateway::OnWritePassword);
    connect(clear_, &QPushButton::clicked, this, &CDialogGateway::OnClearDefaults);

    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("名称"), group), 0, 0);
    grid->addWidget(name_, 0, 1);
    grid->addWidget(writeName_, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("密码"), group), 1, 0);
    grid->addWidget(password_, 1, 1);
    grid->addWidget(writePassword_, 1, 2);
    grid->addWidget(clear_, 2, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    setFixedSize(sizeHint());
}

void CDialogGateway::OnWriteName() { gateway_.WriteName(FromQ(name_->text())); }

void CDialogGateway::OnWritePassword() { gateway_.WritePassword(FromQ(password_->text())); }

void CDialogGateway::OnClearDefaults() { gateway_.ClearToDefaults(); }

}  // namespace ketrel
