#include "settings/dialog_sys_setting.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "common/silent_notifier.h"
#include "config/channel_store.h"
#include "editors/code_format.h"
#include "editors/dialog_modify_infrared.h"
#include "editors/dialog_modify_serial_port.h"
#include "link/info_lines.h"
#include "platform/app_state.h"
#include "settings/dialog_key_code.h"
#include "settings/password_gate.h"
#include "widgets/dialog_runner.h"
#include "widgets/list_keys.h"
#include "widgets/qt_text.h"
#include "widgets/report_list.h"

namespace ketrel {

namespace {

struct TerminalField {
    int id;
    const char* key;
    const char* label;
};

constexpr TerminalField kTerminalFields[] = {
    {CDialogSysSetting::kDeviceId, "deviceid", "设备ID："},
    {CDialogSysSetting::kDhcp, "dhcp", "DHCP："},
    {CDialogSysSetting::kTerminalIp, "cip", "终端IP："},
    {CDialogSysSetting::kNetmask, "netmask", "子网掩码："},
    {CDialogSysSetting::kGateway, "gateway", "默认网关："},
    {CDialogSysSetting::kDns, "dnsaddr", "DNS："},
    {CDialogSysSetting::kServerIp, "serverip", "服务器IP："},
};

ReportList* ChannelList(const char* name, QWidget* parent) {
    const int* w = CDialogSysSetting::kColumnWidths;
    auto* list = new ReportList(
        {{"通道编号", w[0]}, {"通道名称", w[1]}, {"通信协议", w[2]}, {"设备名称", w[3]}}, parent);
    list->setObjectName(name);
    return list;
}

QPushButton* SettingsButton(const char* caption, QStyle::StandardPixmap icon, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize(QSize(24, 24));
    button->setToolTip(QString::fromUtf8(caption));
    button->setCursor(Qt::PointingHandCursor);
    button->setMinimumHeight(36);
    return button;
}

void FillChannelList(ReportList* list, const std::string& databasePath, ChannelKind kind) {
    const int* w = CDialogSysSetting::kColumnWidths;
    list->SetColumnWidths({w[0], w[1], w[2], w[3]});
    list->setUpdatesEnabled(false);
    list->ClearRows();
    SilentNotifier silent;
    if (const auto channels = ChannelStore(kind, databasePath, silent).LoadChannels()) {
        for (const ChannelRow& c : *channels) {
            list->AddRow({QString::number(c.number), ToQ(c.name), ToQ(c.protocol), ToQ(c.model)},
                         c.number);
        }
    }
    list->setUpdatesEnabled(true);
}

}  // namespace

CDialogSysSetting::CDialogSysSetting(QWidget* parent) : QWidget(parent) {
    setObjectName("CDialogSysSetting");

    auto* serialGroup = new QGroupBox(QStringLiteral("串口控制"), this);
    serialList_ = ChannelList("serialList", serialGroup);
    (new QVBoxLayout(serialGroup))->addWidget(serialList_);

    auto* infraredGroup = new QGroupBox(QStringLiteral("红外控制"), this);
    infraredList_ = ChannelList("infraredList", infraredGroup);
    (new QVBoxLayout(infraredGroup))->addWidget(infraredList_);

    connect(serialList_, &ReportList::listDoubleClicked, this,
            &CDialogSysSetting::OnSerialListDoubleClick);
    connect(infraredList_, &ReportList::listDoubleClicked, this,
            &CDialogSysSetting::OnInfraredListDoubleClick);
    OpenRowOnEnter(serialList_, [this] { OnSerialListDoubleClick(); });
    OpenRowOnEnter(infraredList_, [this] { OnInfraredListDoubleClick(); });

    options_ = SettingsButton("选项参数", QStyle::SP_FileDialogDetailedView, this);
    options_->setObjectName("optionsButton");
    network_ = SettingsButton("网络参数", QStyle::SP_DriveNetIcon, this);
    network_->setObjectName("networkButton");
    keyCode_ = SettingsButton("键码定义", QStyle::SP_FileDialogListView, this);
    keyCode_->setObjectName("keyCodeButton");
    connect(options_, &QPushButton::clicked, this, &CDialogSysSetting::OnOptions);
    connect(network_, &QPushButton::clicked, this, &CDialogSysSetting::OnNetwork);
    connect(keyCode_, &QPushButton::clicked, this, &CDialogSysSetting::OnKeyCode);

    auto* info = new QGroupBox(QStringLiteral("终端信息"), this);
    info->setObjectName("terminalInfo");
    auto* grid = new QGridLayout(info);
    int row = 0;
    int column = 0;
    for (const auto& f : kTerminalFields) {
        auto* edit = new QLineEdit(info);
        edit->setObjectName(QString("edit%1").arg(f.id));
        edit->setReadOnly(true);
        edit->setMinimumWidth(110);
        grid->addWidget(new QLabel(QString::fromUtf8(f.label), info), row, column * 2,
                        Qt::AlignRight);
        grid->addWidget(edit, row, column * 2 + 1);
        fields_[f.id] = edit;
        if (++column == 4) {
            column = 0;
            ++row;
        }
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(options_);
    buttons->addWidget(network_);
    buttons->addWidget(keyCode_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serialGroup, 3);
    layout->addWidget(infraredGroup, 2);
    layout->addLayout(buttons);
    layout->addWidget(info);
}

void CDialogSysSetting::Attach(AppState& state, Notifier& notifier, DialogRunner& dialogs) {
    state_ = &state;
    notifier_ = &notifier;
    dialogs_ = &dialogs;
    ReloadSerialList();
    ReloadInfraredList();
}

void CDialogSysSetting::ReloadSerialList() {
    if (!state_) return;
    FillChannelList(serialList_, state_->DatabasePath(), ChannelKind::Serial);
}

void CDialogSysSetting::ReloadInfraredList() {
    if (!state_) return;
    FillChannelList(infraredList_, state_->DatabasePath(), ChannelKind::Infrared);
}

void CDialogSysSetting::OnSerialListDoubleClick() {
    const int row = serialList_->SelectedRow();
    if (!state_ || row < 0) return;
    CDialogModifySerialPort editor(serialList_->RowKey(row),
                                   {state_->DatabasePath(), state_->DevicesPath(), *notifier_,
                                    *dialogs_, [this] { ReloadSerialList(); }},
                                   this);
    dialogs_->run(editor);
}

void CDialogSysSetting::OnInfraredListDoubleClick() {
    const int row = infraredList_->SelectedRow();
    if (!state_ || row < 0) return;
    CDialogModifyInfrared editor(infraredList_->RowKey(row),
                                 {state_->DatabasePath(), state_->DevicesPath(), *notifier_,
                                  *dialogs_, [this] { ReloadInfraredList(); }},
                                 this);
    dialogs_->run(editor);
}

bool CDialogSysSetting::PassGate() {
    return state_ && PassPasswordGate(*state_, *notifier_, *dialogs_, this);
}

void CDialogSysSetting::OnOptions() {
    if (PassGate() && openOptions_) openOptions_();
}

void CDialogSysSetting::OnNetwork() {
    if (PassGate() && openNetwork_) openNetwork_();
}

void CDialogSysSetting::OnKeyCode() {
    if (!PassGate()) return;
    CDialogKeyCode dialog(state_->DatabasePath(), *notifier_, *dialogs_, this);
    dialogs_->run(dialog);
}

QLineEdit* CDialogSysSetting::terminalField(int id) const {
    const auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

bool CDialogSysSetting::SetTerminalInfo(const std::string& key, const std::string& value) {
    for (const auto& f : kTerminalFields) {
        if (key != f.key) continue;
        // "启用" only for exactly "1"; anything else the unit sends reads as disabled.
        const std::string shown = f.id == kDhcp ? DhcpText(value) : value;
        fields_.at(f.id)->setText(ToQ(shown));
        return true;
    }
    return false;
}

void CDialogSysSetting::ClearTerminalInfo() {
    for (const auto& f : kTerminalFields) fields_.at(f.id)->clear();
}

}  // namespace ketrel
