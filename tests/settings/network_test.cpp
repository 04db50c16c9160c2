#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <memory>

#include "settings/dialog_network_config.h"
#include "settings/network_address_field.h"
#include "system_config_fixture.h"

namespace ketrel::test {
namespace {

using Net = CDialogNetworkConfig;

QString Shown(NetworkAddressField* field) {
    QStringList parts;
    for (int i = 0; i < 4; ++i) parts << field->part(i)->text();
    return parts.join('.');
}

TEST(DottedAddress, OnlyFourNumbersUpTo255AreAnAddress) {
    const struct {
        const char* text;
        std::optional<Octets> octets;
    } cases[] = {
        {"192.168.1.20", Octets{192, 168, 1, 20}},
        {" 10.0.0.1\t", Octets{10, 0, 0, 1}},
        {"010.1.1.1", Octets{10, 1, 1, 1}},
        {"192.168.1.300", std::nullopt},
        {"1.2.3", std::nullopt},
        {"1.2.3.4.5", std::nullopt},
        {"1..2.3", std::nullopt},
        {"1.2.3.", std::nullopt},
        {"1.2.3.4x", std::nullopt},
        {"1000.1.1.1", std::nullopt},
        {"-1.2.3.4", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadDottedAddress(c.text, AddressForm::Lenient), c.octets) << c.text;
    EXPECT_EQ(FormatDottedAddress({192, 168, 0, 20}), "192.168.0.20");
}

class NetworkDialogTest : public SystemConfigFixture {
  protected:
    std::unique_ptr<Net> Open() { return std::make_unique<Net>(path, notifier); }
    static bool AdapterEnabled(const Net& d) {
        for (auto a : {Net::kIpAddress, Net::kNetmask, Net::kGateway, Net::kDns}) {
            if (!d.addressField(a)->isEnabled()) return false;
        }
        return true;
    }
};

TEST_F(NetworkDialogTest, OpeningShowsTheStoredSettingsAndWritesNothing) {
    Store("DHCP", "0");
    Store("IPAddress", "192.168.10.20");
    Store("Netmask", "255.255.0.0");
    Store("Gateway", "");             // never filled in
    Remove("Dns");                    // no row
    Store("ServerIP", "10.0.0.300");  // not an address
    const auto before = ChangeCounter(path);
    auto dialog = Open();
    EXPECT_EQ(ChangeCounter(path), before) << "opening the dialog wrote";
    EXPECT_TRUE(dialog->networkLoaded());
    EXPECT_TRUE(notifier.texts().empty());
    EXPECT_TRUE(dialog->fixedButton()->isChecked());
    EXPECT_FALSE(dialog->dhcpButton()->isChecked());
    EXPECT_TRUE(AdapterEnabled(*dialog));
    EXPECT_EQ(Shown(dialog->addressField(Net::kIpAddress)), "192.168.10.20");
    EXPECT_EQ(Shown(dialog->addressField(Net::kNetmask)), "255.255.0.0");
    EXPECT_TRUE(dialog->addressField(Net::kGateway)->isBlank());
    EXPECT_TRUE(dialog->addressField(Net::kDns)->isBlank());
    EXPECT_EQ(Shown(dialog->addressField(Net::kServerIp)), "255.255.255.255");
    EXPECT_EQ(Stored("ServerIP"), "10.0.0.300");
}

TEST_F(NetworkDialogTest, EveryPartChangeWritesTheWholeAddress) {
    Store("DHCP", "0");
    Store("IPAddress", "192.168.1.20");
    auto dialog = Open();
    NetworkAddressField* ip = dialog->addressField(Net::kIpAddress);
    ip->part(2)->clear();
    EXPECT_EQ(Stored("IPAddress"), "192.168.0.20") << "a blank part counts as 0";

    // Only 0..255 can be typed into a part; leading zeros are not written.
    QTest::keyClicks(ip->part(2), "300");
    EXPECT_EQ(ip->part(2)->text(), "30");
    EXPECT_EQ(Stored("IPAddress"), "192.168.30.20");
    ip->part(0)->setText("010");
    EXPECT_EQ(Stored("IPAddress"), "10.168.30.20");
    // Three digits typed move on to the next part.
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    ip->part(0)->clear();
    ip->part(0)->setFocus();
    QTest::keyClicks(ip->part(0), "172");
    EXPECT_TRUE(ip->part(1)->hasFocus());
    EXPECT_EQ(Stored("IPAddress"), "172.168.30.20");

    dialog->addressField(Net::kGateway)->clear();
    EXPECT_EQ(Stored("Gateway"), "0.0.0.0");
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(NetworkDialogTest, EachFieldStoresItsOwnAddress) {
    Store("DHCP", "1");
    auto dialog = Open();
    dialog->fixedButton()->click();
    EXPECT_EQ(Stored("DHCP"), "0");
    const std::pair<Net::Address, const char*> fields[] = {{Net::kIpAddress, "IPAddress"},
                                                           {Net::kNetmask, "Netmask"},
                                                           {Net::kGateway, "Gateway"},
                                                           {Net::kDns, "Dns"},
                                                           {Net::kServerIp, "ServerIP"}};
    std::uint8_t n = 0;
    for (const auto& [field, key] : fields) dialog->addressField(field)->setOctets({10, 1, 2, ++n});
    std::string stored;
    for (const auto& [field, key] : fields) stored += Stored(key) + " ";
    EXPECT_EQ(stored, "10.1.2.1 10.1.2.2 10.1.2.3 10.1.2.4 10.1.2.5 ");
    EXPECT_TRUE(notifier.texts().empty());
}

}  // namespace
}  // namespace ketrel::test
