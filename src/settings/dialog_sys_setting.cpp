#include "dialog_sys_setting.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "info_lines.h"
#include "qt_text.h"

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

QTreeWidget* ChannelList(QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setHeaderLabels({QStringLiteral("通道编号"), QStringLiteral("通道名称"),
                           QStringLiteral("通信协议"), QStringLiteral("设备名称")});
    const int widths[] = {80, 120, 150, 450};
    for (int i = 0; i < 4; ++i) list->setColumnWidth(i, widths[i]);
    return list;
}

}  // namespace

CDialogSysSetting::CDialogSysSetting(QWidget* parent) : QWidget(parent) {
    setObjectName("CDialogSysSetting");

    auto* serialGroup = new QGroupBox(QStringLiteral("串口控制"), this);
    serialList_ = ChannelList(serialGroup);
    (new QVBoxLayout(serialGroup))->addWidget(serialList_);

    auto* infraredGroup = new QGroupBox(QStringLiteral("红外控制"), this);
    infraredList_ = ChannelList(infraredGroup);
    (new QVBoxLayout(infraredGroup))->addWidget(infraredList_);

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

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(serialGroup, 3);
    layout->addWidget(infraredGroup, 2);
    layout->addWidget(info);
}

QLineEdit* CDialogSysSetting::terminalField(int id) const {
    const auto it = fields_.find(id);
    return it == fields_.end() ? nullptr : it->second;
}

bool CDialogSysSetting::SetTerminalInfo(const std::string& key, const std::string& value) {
    for (const auto& f : kTerminalFields) {
        if (key != f.key) continue;
        const std::string shown = f.id == kDhcp ? DhcpText(value) : value;
        fields_.at(f.id)->setText(ToQ(shown));
        return true;
    }
    return false;
}

}  // namespace ketrel
