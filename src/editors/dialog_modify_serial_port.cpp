#include "editors/dialog_modify_serial_port.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "editors/code_format.h"
#include "editors/dialog_import_projector.h"
#include "editors/dialog_modify_tx_code.h"
#include "editors/editor_texts.h"
#include "editors/send_code_list.h"
#include "projector/device_library.h"
#include "widgets/dialog_runner.h"
#include "widgets/list_keys.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {

QComboBox* Choice(const QString& name, const QStringList& entries, const QString& initial,
                  QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(entries);
    combo->setCurrentIndex(combo->findText(initial));
    return combo;
}

}  // namespace

CDialogModifySerialPort::CDialogModifySerialPort(int spNumber, ChannelEditorContext context,
                                                 QWidget* parent)
    : QDialog(parent),
      spNumber_(spNumber),
      context_(std::move(context)),
      store_(ChannelKind::Serial, context_.databasePath, context_.notifier) {
    setWindowTitle(QString::fromUtf8(texts::kModifySerialPortTitle));

    number_ = new QLabel(this);
    number_->setObjectName("static1095");
    name_ = new QLabel(this);
    name_->setObjectName("static1096");
    baud_ = Choice("combo1090",
                   {"1200", "1800", "2400", "4800", "7200", "9600", "14400", "19200", "28800",
                    "38400", "57600", "76800", "115200"},
                   "9600", this);
    parity_ = Choice("combo1091", {"None", "Odd", "Even"}, "None", this);
    dataBits_ = Choice("combo1092", {"7", "8"}, "8", this);
    stopBits_ = Choice("combo1093", {"1", "2"}, "1", this);
    model_ = new QLineEdit(this);
    model_->setObjectName("edit1094");

    QGroupBox* group = MakeSendCodeGroup(this, "list1081", codes_);

    import_ = new QPushButton(QString::fromUtf8(texts::kImportButton), this);
    import_->setObjectName("button1101");
    import_->setToolTip(QString::fromUtf8(texts::kImportTooltip));
    import_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    import_->setCursor(Qt::PointingHandCursor);
    import_->setAutoDefault(false);
    ok_ = MakeEditorOkButton(this);

    connect(ok_, &QPushButton::clicked, this, &CDialogModifySerialPort::OnOK);
    connect(import_, &QPushButton::clicked, this, &CDialogModifySerialPort::OnImport);
    connect(codes_, &ReportList::listClicked, this, &CDialogModifySerialPort::OnListClick);
    connect(codes_, &ReportList::listDoubleClicked, this,
            &CDialogModifySerialPort::OnListDoubleClick);
    OpenRowOnEnter(codes_, [this] { OnListDoubleClick(); });

    auto* fields = new QGridLayout;
    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    fields->addWidget(label("通道编号:"), 0, 0, Qt::AlignRight);
    fields->addWidget(number_, 0, 1);
    fields->addWidget(label("通道名称:"), 0, 2, Qt::AlignRight);
    fields->addWidget(name_, 0, 3);
    fields->addWidget(label("设备名称:"), 0, 4, Qt::AlignRight);
    fields->addWidget(model_, 0, 5);
    fields->addWidget(label("波特率:"), 1, 0, Qt::AlignRight);
    fields->addWidget(baud_, 1, 1);
    fields->addWidget(label("校验位:"), 1, 2, Qt::AlignRight);
    fields->addWidget(parity_, 1, 3);
    fields->addWidget(label("数据位:"), 2, 0, Qt::AlignRight);
    fields->addWidget(dataBits_, 2, 1);
    fields->addWidget(label("停止位:"), 2, 2, Qt::AlignRight);
    fields->addWidget(stopBits_, 2, 3);
    fields->setColumnStretch(5, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(import_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    LoadChannel(spNumber_);
    LoadCodes(spNumber_);
}

void CDialogModifySerialPort::LoadChannel(int spNumber) {
    const auto channel = store_.LoadChannel(spNumber);
    if (!channel) return;
    number_->setText(QString::number(channel->number));
    name_->setText(ToQ(channel->name));
    if (const auto parts = SplitSerialProtocol(channel->protocol)) {
        QComboBox* const lists[] = {baud_, parity_, dataBits_, stopBits_};
        for (std::size_t i = 0; i < parts->size(); ++i) {
            SelectEntryBeginningWith(lists[i], ToQ((*parts)[i]));
        }
    } else {
        context_.notifier.show(texts::kProtocolFormatWrong, "", MessageIcon::None);
    }
    model_->setText(ToQ(channel->model));
}

void CDialogModifySerialPort::LoadCodes(int spNumber) {
    if (LoadSendCodes(codes_, store_, spNumber)) {
        lastClickedRow_ = -1;
    }
}

bool CDialogModifySerialPort::SaveChannelSettings(int spNumber, const std::string& protocol,
                                                  const std::string& model) {
    const bool saved = store_.SaveChannel(spNumber, protocol, model);
    // The import saves through here too and the user may then cancel this dialog: the channel
    // list must show the change either way.
    if (context_.channelsChanged) context_.channelsChanged();
    return saved;
}

bool CDialogModifySerialPort::HasCode(const std::string& codeName) {
    return store_.HasCode(spNumber_, codeName);
}

bool CDialogModifySerialPort::SetCodeByName(const std::string& codeName, const std::string& code) {
    return store_.SetCodeByName(spNumber_, codeName, code);
}

void CDialogModifySerialPort::OnOK() {
    const QString protocol =
        baud_->currentText().trimmed() + "," + parity_->currentText().trimmed() + "," +
        dataBits_->currentText().trimmed() + "," + stopBits_->currentText().trimmed();
    SaveChannelSettings(spNumber_, FromQ(protocol.trimmed()), FromQ(model_->text().trimmed()));
    accept();
}

void CDialogModifySerialPort::OnListClick() { lastClickedRow_ = codes_->SelectedRow(); }

void CDialogModifySerialPort::OnListDoubleClick() {
    if (EditSelectedCode<CDialogModifySPTxCode>(codes_, spNumber_, context_, this)) {
        LoadCodes(spNumber_);
    }
}

void CDialogModifySerialPort::OnImport() {
    // The library is read afresh at every query, so the user may replace the file meanwhile.
    const auto library = projector::MakeDeviceLibrary(context_.devicesPath);
    CDialogImportProjector dialog(*library, context_.notifier, *this, spNumber_, this);
    context_.dialogs.run(dialog);
}

}  // namespace ketrel
