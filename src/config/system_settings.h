#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "config/image_layout.h"

// The SystemConfig settings, one row each: the row (position) the supplied database gives the
// value, where and how the unit reads the value at that row of the image, what the program's
// editors allow for it, the supplied default and what the settings pages call it. The unit
// takes values by row position, the program by name: the file checks hold the two against each
// other, the compiler and the comparison walk the positions, the dialogs take their names and
// ranges from here.
namespace ketrel {

// What a value must be, for the rows the program reads and writes by name.
enum class SettingRule {
    ByPosition,  // never read by name: only the field at its row limits it
    Decimal,     // a canonical decimal 0..max
    Action,      // a card action index 0..9
    Dhcp,        // 1 (automatic) or 0 (fixed address)
    Address,     // a dotted IPv4 address
    DeviceId,    // empty or 16 hexadecimal digits
    Text16,      // at most 16 bytes of UTF-8
};

// The offset of a row the unit never receives.
inline constexpr std::size_t kStaysOnPc = static_cast<std::size_t>(-1);

struct SystemSetting {
    int position;  // 1..35
    const char* name;
    std::size_t offset;  // in the configuration image, or kStaysOnPc
    layout::FieldKind kind;
    SettingRule rule;
    std::uint32_t max;  // for Decimal
    const char* defaultValue;
    const char* caption;  // in the comparison's labels; nullptr: shown by its name
};

namespace system_settings_rows {
using K = layout::FieldKind;
using R = SettingRule;
inline constexpr SystemSetting kRows[layout::kSystemConfigRows] = {
    {1, "FuncFlag", layout::kFuncFlagOffset, K::Word32, R::Decimal, 0xFFFFFFFFu, "35", "功能选项"},
    {2, "ReSendOnDly", 1720, K::Word16, R::Decimal, 3600, "5", "重发开机码间隔（秒）"},
    {3, "ReSendOffDly", 1722, K::Word16, R::Decimal, 3600, "5", "重发关机码间隔（秒）"},
    {4, "PowerOnDly", 1724, K::Word16, R::Decimal, 3600, "3", "上电延时（秒）"},
    {5, "StartupDly", 1726, K::Word16, R::Decimal, 3600, "3", "开机延时（秒）"},
    {6, "PowerOffDly", 1728, K::Word16, R::Decimal, 3600, "60", "关机延时（秒）"},
    {7, "MaxVolume", 1732, K::Byte, R::Decimal, 12, "12", "最大输出音量"},
    {8, "DefVolume", 1733, K::Byte, R::Decimal, 12, "12", "上电默认输出音量"},
    {9, "LineInputVol", 1734, K::Byte, R::Decimal, 31, "31", "Line输入音量限制"},
    {10, "UnLockDly", 1730, K::Word16, R::Decimal, 3600, "3", "电锁延时（秒）"},
    {11, "MicInputVol", 1735, K::Byte, R::Decimal, 9, "9", "MIC输入音量限制"},
    {12, "GACEnterFunc", 1736, K::Byte, R::Action, 0, "1", "通用卡插卡动作"},
    {13, "DeviceId", layout::kDeviceIdOffset, K::Text16, R::DeviceId, 0, "", "设备编号"},
    {14, "InputProbeClose1", 1770, K::Byte, R::Action, 0, "0", "门磁1闭合动作"},
    {15, "InputProbeOpen1", 1771, K::Byte, R::Action, 0, "0", "门磁1断开动作"},
    {16, "InputProbeClose2", 1772, K::Byte, R::Action, 0, "0", "门磁2闭合动作"},
    {17, "InputProbeOpen2", 1773, K::Byte, R::Action, 0, "0", "门磁2断开动作"},
    {18, "DHCP", layout::kDhcpOffset, K::Byte, R::Dhcp, 0, "1", "DHCP自动获取IP"},
    {19, "IPAddress", layout::kIpAddressOffset, K::IPv4, R::Address, 0, "192.168.1.100", "IP地址"},
    {20, "Netmask", layout::kNetmaskOffset, K::IPv4, R::Address, 0, "255.255.255.0", "子网掩码"},
    {21, "Gateway", layout::kGatewayOffset, K::IPv4, R::Address, 0, "192.168.1.1", "默认网关"},
    {22, "Dns", layout::kDnsOffset, K::IPv4, R::Address, 0, "192.168.1.1", "DNS"},
    {23, "ServerIP", layout::kServerIpOffset, K::IPv4, R::Address, 0, "192.168.1.10",
     "总控服务器IP地址"},
    {24, "DbVersion", kStaysOnPc, K::Text16, R::ByPosition, 0, "4.0", nullptr},
    {25, "BLEName", layout::kBleNameOffset, K::Text16, R::Text16, 0, "Ketrel", "蓝牙名称"},
    {26, "GACLeaveFunc", 1737, K::Byte, R::Action, 0, "2", "通用卡拔卡动作"},
    {27, "CarrierDly", 1795, K::Word16, R::Decimal, 999, "560", "载波脉宽（微秒）"},
    {28, "LowDly", 1797, K::Word16, R::Decimal, 999, "560", "低电平脉宽（微秒）"},
    {29, "HighDly", 1799, K::Word16, R::Decimal, 1999, "1690", "高电平脉宽（微秒）"},
    {30, "ACIRBrand", 1801, K::Byte, R::Decimal, 255, "0", "空调品牌"},
    {31, "ACIRModel", 1802, K::Byte, R::Decimal, 255, "0", "空调型号"},
    {32, "KeyBeep", 1803, K::Byte, R::ByPosition, 0, "1", nullptr},
    {33, "PanelBacklight", 1804, K::Byte, R::ByPosition, 0, "8", nullptr},
    {34, "IRRepeat", 1805, K::Byte, R::ByPosition, 0, "1", nullptr},
    {35, "PanelLockTimeout", 1806, K::Byte, R::ByPosition, 0, "0", nullptr},
};
}  // namespace system_settings_rows
inline constexpr const auto& kSystemSettings = system_settings_rows::kRows;

constexpr bool RowsInPositionOrder() {
    for (int i = 0; i < layout::kSystemConfigRows; ++i) {
        if (kSystemSettings[i].position != i + 1) return false;
    }
    return true;
}
static_assert(RowsInPositionOrder());

// The setting of that name, or nullptr.
constexpr const SystemSetting* FindSystemSetting(std::string_view name) {
    for (const SystemSetting& s : kSystemSettings) {
        if (name == s.name) return &s;
    }
    return nullptr;
}

// The setting at a row position 1..35.
constexpr const SystemSetting& SettingAt(int position) { return kSystemSettings[position - 1]; }

// The rows the dialogs edit, by what they are.
namespace setting {
inline constexpr const SystemSetting& kFuncFlag = SettingAt(1);
inline constexpr const SystemSetting& kReSendOnDly = SettingAt(2);
inline constexpr const SystemSetting& kReSendOffDly = SettingAt(3);
inline constexpr const SystemSetting& kPowerOnDly = SettingAt(4);
inline constexpr const SystemSetting& kStartupDly = SettingAt(5);
inline constexpr const SystemSetting& kPowerOffDly = SettingAt(6);
inline constexpr const SystemSetting& kMaxVolume = SettingAt(7);
inline constexpr const SystemSetting& kDefVolume = SettingAt(8);
inline constexpr const SystemSetting& kLineInputVol = SettingAt(9);
inline constexpr const SystemSetting& kUnLockDly = SettingAt(10);
inline constexpr const SystemSetting& kMicInputVol = SettingAt(11);
inline constexpr const SystemSetting& kGACEnterFunc = SettingAt(12);
inline constexpr const SystemSetting& kDeviceId = SettingAt(13);
inline constexpr const SystemSetting& kInputProbeClose1 = SettingAt(14);
inline constexpr const SystemSetting& kInputProbeOpen1 = SettingAt(15);
inline constexpr const SystemSetting& kInputProbeClose2 = SettingAt(16);
inline constexpr const SystemSetting& kInputProbeOpen2 = SettingAt(17);
inline constexpr const SystemSetting& kDhcp = SettingAt(18);
inline constexpr const SystemSetting& kIpAddress = SettingAt(19);
inline constexpr const SystemSetting& kNetmask = SettingAt(20);
inline constexpr const SystemSetting& kGateway = SettingAt(21);
inline constexpr const SystemSetting& kDns = SettingAt(22);
inline constexpr const SystemSetting& kServerIp = SettingAt(23);
inline constexpr const SystemSetting& kBleName = SettingAt(25);
inline constexpr const SystemSetting& kGACLeaveFunc = SettingAt(26);
inline constexpr const SystemSetting& kCarrierDly = SettingAt(27);
inline constexpr const SystemSetting& kLowDly = SettingAt(28);
inline constexpr const SystemSetting& kHighDly = SettingAt(29);
inline constexpr const SystemSetting& kACIRBrand = SettingAt(30);
inline constexpr const SystemSetting& kACIRModel = SettingAt(31);
}  // namespace setting

// The bits of the FuncFlag word.
namespace funcflag {
inline constexpr int kPcOnWithSystem = 0;
inline constexpr int kPcOffWithSystem = 1;
inline constexpr int kScreenWithProjector = 2;
inline constexpr int kResendOn = 3;
inline constexpr int kResendOff = 4;
inline constexpr int kLocalCards = 5;
inline constexpr int kUnlockPanelOnSystemOn = 6;
inline constexpr int kLockPanelOnSystemOff = 7;
inline constexpr int kLockPanelAtPowerUp = 8;
inline constexpr int kLaptopFirst = 9;
inline constexpr int kFixedEdid = 11;
inline constexpr int kUsbCamera = 14;
inline constexpr int kHdmiAudio = 15;
inline constexpr int kBoothKeyOpensDoor = 16;
inline constexpr int kBoothKeySwitchesBooth = 17;
// Bits 12 and 13 choose the EDID source (HDMI-3, HDMI-1, HDMI-2, VGA-1) unless it is fixed.
inline constexpr int kEdidShift = 12;
inline constexpr std::uint32_t kEdidField = 0x3u << kEdidShift;

constexpr std::uint32_t Mask(int bit) { return std::uint32_t{1} << bit; }
}  // namespace funcflag

}  // namespace ketrel
