#include "editors/dialog_modify_infrared.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/code_format.h"
#include "editors/dialog_modify_tx_code.h"
#include "editors/editor_texts.h"
#include "editors/send_code_list.h"
#include "widgets/dialog_runner.h"
#include "widgets/list_keys.h"
#include "widgets/qt_text.h"

namespace ketrel {

CDialogModifyInfrared::CDialogModifyInfrared(int irNumber, ChannelEditorContext context,
                                             QWidget* parent)
    : QDialog(parent),
      irNumber_(irNumber),
      context_(std::move(context)),
      store_(ChannelKind::Infrared, context_.databasePath, context_.notifier) {
    setWindowTitle(QString::fromUtf8(texts::kModifyInfraredTitle));

    number_ = new QLabel(this);
    number_->setObjectName("static1106");
    name_ = new QLabel(this);
    name_->setObjectName("static1105");
    protocol_ = new QComboBox(this);
    protocol_->setObjectName("combo1103");
    protocol_->addItems({"NEC", "RC-5", "AIR"});
    protocol_->setCurrentIndex(0);
    model_ = new QLineEdit(this);
    model_->setObjectName("edit1104");

    QGroupBox* group = MakeSendCodeGroup(this, "list1107", codes_);
    ok_ = MakeEditorOkButton(this);

    connect(ok_, &QPushButton::clicked, this, &CDialogModifyInfrared::OnOK);
    connect(codes_, &ReportList::listClicked, this, &CDialogModifyInfrared::OnListClick);
    connect(codes_, &ReportList::listDoubleClicked, this,
            &CDialogModifyInfrared::OnListDoubleClick);
    OpenRowOnEnter(codes_, [this] { OnListDoubleClick(); });

    auto* fields = new QGridLayout;
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    fields->addWidget(label("通道编号:"), 0, 0, Qt::AlignRight);
    fields->addWidget(number_, 0, 1);
    fields->addWidget(label("通道名称:"), 0, 2, Qt::AlignRight);
    fields->addWidget(name_, 0, 3);
    fields->addWidget(label("协议:"), 1, 0, Qt::AlignRight);
    fields->addWidget(protocol_, 1, 1);
    fields->addWidget(label("设备名称:"), 1, 2, Qt::AlignRight);
    fields->addWidget(model_, 1, 3);
    fields->setColumnStretch(3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    LoadChannel(irNumber_);
    LoadCodes(irNumber_);
}

void CDialogModifyInfrared::LoadChannel(int irNumber) {
    const auto channel = store_.LoadChannel(irNumber);
    if (!channel) return;
    number_->setText(QString::number(channel->number));
    name_->setText(ToQ(channel->name));
    // A protocol none of the entries begins with leaves "NEC".
    SelectEntryBeginningWith(protocol_, ToQ(channel->protocol));
    model_->setText(ToQ(channel->model));
}

void CDialogModifyInfrared::LoadCodes(int irNumber) {
    if (LoadSendCodes(codes_, store_, irNumber)) {
        lastClickedRow_ = -1;
    }
}

bool CDialogModifyInfrared::SaveChannelSettings(int irNumber, const std::string& protocol,
                                                const std::string& model) {
    const bool saved = store_.SaveChannel(irNumber, protocol, model);
    if (context_.channelsChanged) context_.channelsChanged();
    return saved;
}

void CDialogModifyInfrared::OnOK() {
    SaveChannelSettings(irNumber_, FromQ(protocol_->currentText().trimmed()),
                        FromQ(model_->text().trimmed()));
    accept();
}

void CDialogModifyInfrared::OnListClick() { lastClickedRow_ = codes_->SelectedRow(); }

void CDialogModifyInfrared::OnListDoubleClick() {
    if (EditSelectedCode<CDialogModifyIRTxCode>(codes_, irNumber_, context_, this)) {
        LoadCodes(irNumber_);
    }
}

}  // namespace ketrel
