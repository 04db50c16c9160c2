#pragma once

#include <QDialog>
#include <array>
#include <string>

class QRadioButton;

namespace ketrel {

class NetworkAddressField;
class Notifier;

// "网络设置": DHCP or a fixed address with its mask, gateway and DNS server, and the address of
// the central control server, each written to the configuration database the moment it
// changes. There is no OK button: the close box closes.
class CDialogNetworkConfig : public QDialog {
    Q_OBJECT
  public:
    // The address fields, in the order of their keys.
    enum Address { kIpAddress = 0, kNetmask, kGateway, kDns, kServerIp, kAddressCount };

    CDialogNetworkConfig(std::string databasePath, Notifier& notifier, QWidget* parent = nullptr);

    // False until the controls are filled, so that filling them writes nothing.
    bool networkLoaded() const { return loaded_; }

    QRadioButton* dhcpButton() const { return dhcp_; }
    QRadioButton* fixedButton() const { return fixed_; }
    NetworkAddressField* addressField(Address which) const { return fields_[which]; }

    // Handlers, also called by tests after setting the controls.
    void OnDhcpClicked();
    void OnFixedClicked();
    void OnAddressChanged(Address which);

  private:
    void buildControls();
    void initialise();
    void setAdapterFieldsEnabled(bool enabled);

    std::string databasePath_;
    Notifier& notifier_;
    bool loaded_ = false;
    QRadioButton* dhcp_ = nullptr;
    QRadioButton* fixed_ = nullptr;
    std::array<NetworkAddressField*, kAddressCount> fields_{};
};

}  // namespace ketrel
