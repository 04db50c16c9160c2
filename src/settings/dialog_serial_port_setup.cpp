#include "dialog_serial_port_setup.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "app_state.h"
#include "notifier.h"
#include "qt_text.h"
#include "serial_link.h"
#include "serial_port.h"
#include "serial_port_list.h"
#include "texts.h"

namespace ketrel {

namespace {
constexpr const char* kNoPorts = "您的计算机上无有效的串口！！！";
constexpr const char* kIniWriteFailed = "写入INI文件失败！";
constexpr const char* kAppCaption = "KetrelV4.0";
}  // namespace

CDialogSerialPortSetup::CDialogSerialPortSetup(AppState& state, SerialLink& link,
                                               Notifier& notifier, QWidget* parent,
                                               PortLister lister)
    : QDialog(parent), state_(state), link_(link), notifier_(notifier) {
    setWindowTitle(QStringLiteral("通信端口设置"));
    auto* label = new QLabel(QStringLiteral("端口："), this);
    ports_ = new QComboBox(this);
    ports_->setObjectName("portList");
    ports_->setEditable(false);
    ports_->setMinimumWidth(200);
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &CDialogSerialPortSetup::OnOK);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(ports_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    fillPortList(lister ? lister : PortLister(ListSystemSerialPorts));
}

void CDialogSerialPortSetup::fillPortList(const PortLister& lister) {
    const std::vector<std::string> system = lister();
    const PortChoice choice = BuildPortChoice(system, state_.PortName());
    for (const auto& name : choice.names) ports_->addItem(ToQ(name));
    if (choice.selected >= 0) ports_->setCurrentIndex(choice.selected);
    if (system.empty()) {
        // The port in use still counts when its device is there (a pseudo-terminal is never
        // listed by the system).
        std::error_code ec;
        const bool currentExists =
            !state_.PortName().empty() &&
            std::filesystem::exists(SerialPort::DevicePath(state_.PortName()), ec);
        if (!currentExists) notifier_.show(kNoPorts, "", MessageIcon::None);
    }
}

void CDialogSerialPortSetup::OnOK() {
    const std::string name = FromQ(ports_->currentText());
    if (name.empty()) {
        // Nothing to switch to: keep the port as it is rather than store an empty name.
        reject();
        return;
    }
    if (!state_.SavePortName(name)) {
        notifier_.show(kIniWriteFailed, kAppCaption, MessageIcon::Warning);
        state_.SetPortNameForRun(name);  // still switched for this run
    }
    link_.ClosePort();
    link_.ConnectCommPort(state_.PortName());
    accept();
}

}  // namespace ketrel
