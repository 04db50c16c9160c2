#include "settings/dialog_network_config.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "config/config_db.h"
#include "config/system_settings.h"
#include "platform/text_util.h"
#include "settings/network_address_field.h"

namespace ketrel {

namespace {

constexpr const char* kDhcpKey = setting::kDhcp.name;

struct AddressRow {
    const char* key;
    const char* caption;
};
constexpr AddressRow kRows[CDialogNetworkConfig::kAddressCount] = {
    {setting::kIpAddress.name, "IP地址："}, {setting::kNetmask.name, "子网掩码："},
    {setting::kGateway.name, "默认网关："}, {setting::kDns.name, "DNS："},
    {setting::kServerIp.name, "IP地址："},
};
// The address of the unit itself and its mask, gateway and DNS server; the server's address
// is not the adapter's and stays editable.
constexpr int kAdapterFields = 4;

// Shown for a stored text that is no address.
constexpr Octets kUnparsable{255, 255, 255, 255};

}  // namespace

CDialogNetworkConfig::CDialogNetworkConfig(std::string databasePath, Notifier& notifier,
                                           QWidget* parent)
    : QDialog(parent), databasePath_(std::move(databasePath)), notifier_(notifier) {
    setWindowTitle(QStringLiteral("网络设置"));
    buildControls();
    initialise();
}

void CDialogNetworkConfig::buildControls() {
    auto* adapter = new QGroupBox(QStringLiteral("网卡设置"), this);
    dhcp_ = new QRadioButton(QStringLiteral("DHCP自动获取IP"), adapter);
    fixed_ = new QRadioButton(QStringLiteral("使用下面IP地址"), adapter);
    connect(dhcp_, &QRadioButton::clicked, this, &CDialogNetworkConfig::OnDhcpClicked);
    connect(fixed_, &QRadioButton::clicked, this, &CDialogNetworkConfig::OnFixedClicked);
    auto* adapterGrid = new QGridLayout(adapter);
    adapterGrid->addWidget(dhcp_, 0, 0, 1, 2);
    adapterGrid->addWidget(fixed_, 1, 0, 1, 2);

    auto* server = new QGroupBox(QStringLiteral("总控服务器"), this);
    auto* serverGrid = new QGridLayout(server);

    for (int i = 0; i < kAddressCount; ++i) {
        QWidget* group = i < kAdapterFields ? adapter : server;
        QGridLayout* grid = i < kAdapterFields ? adapterGrid : serverGrid;
        const int row = i < kAdapterFields ? i + 2 : 0;
        auto* field = new NetworkAddressField(group);
        field->setObjectName(QString::fromUtf8(kRows[i].key));
        fields_[static_cast<std::size_t>(i)] = field;
        grid->addWidget(new QLabel(QString::fromUtf8(kRows[i].caption), group), row, 0);
        grid->addWidget(field, row, 1);
        connect(field, &NetworkAddressField::changed, this,
                [this, i] { OnAddressChanged(static_cast<Address>(i)); });
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(adapter);
    layout->addWidget(server);
    setFixedSize(sizeHint());
}

void CDialogNetworkConfig::initialise() {
    loaded_ = false;
    std::string value;
    if (GetConfigValue(databasePath_, notifier_, kDhcpKey, value)) {
        // Any other value is neither choice: the user picks one.
        if (value == "0") {
            fixed_->setChecked(true);
            setAdapterFieldsEnabled(true);
        } else if (value == "1") {
            dhcp_->setChecked(true);
            setAdapterFieldsEnabled(false);
        }
    }
    for (int i = 0; i < kAddressCount; ++i) {
        if (!GetConfigValue(databasePath_, notifier_, kRows[i].key, value)) continue;
        NetworkAddressField* field = fields_[static_cast<std::size_t>(i)];
        if (Trim(value).empty()) {
            field->clear();  // never filled in: shown as such rather than as 255.255.255.255
        } else {
            field->setOctets(ReadDottedAddress(value, AddressForm::Lenient).value_or(kUnparsable));
        }
    }
    loaded_ = true;
}

void CDialogNetworkConfig::setAdapterFieldsEnabled(bool enabled) {
    for (int i = 0; i < kAdapterFields; ++i)
        fields_[static_cast<std::size_t>(i)]->setEnabled(enabled);
}

void CDialogNetworkConfig::OnDhcpClicked() {
    if (!dhcp_->isChecked()) return;
    SetConfigValue(databasePath_, notifier_, kDhcpKey, "1");
    setAdapterFieldsEnabled(false);
}

void CDialogNetworkConfig::OnFixedClicked() {
    if (!fixed_->isChecked()) return;
    SetConfigValue(databasePath_, notifier_, kDhcpKey, "0");
    setAdapterFieldsEnabled(true);
}

void CDialogNetworkConfig::OnAddressChanged(Address which) {
    if (!loaded_) return;
    SetConfigValue(databasePath_, notifier_, kRows[which].key,
                   FormatDottedAddress(fields_[which]->octets()));
}

}  // namespace ketrel
