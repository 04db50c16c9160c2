#pragma once

#include <cstddef>
#include <cstdint>

// The 2048-byte images the unit takes: the configuration image and the card image. The unit's
// firmware reads these offsets, widths and byte orders, so none of them may move. Numbers wider
// than a byte are little-endian; every byte no rule writes is zero.
namespace ketrel::layout {

inline constexpr std::size_t kImageSize = 2048;

// --- Serial channels: four blocks of 334 bytes from offset 0.
inline constexpr int kSerialChannelCount = 4;
inline constexpr int kCodesPerChannel = 10;
inline constexpr std::size_t kCodeSlotSize = 32;  // a send code has at most 32 bytes
inline constexpr std::size_t kSerialBlockSize = 334;
// Inside a channel block.
inline constexpr std::size_t kSerialLengthsOffset = 320;  // one length byte per code
inline constexpr std::size_t kBaudOffset = 330;           // index into kBaudRates
inline constexpr std::size_t kParityOffset = 331;         // index into kParities
inline constexpr std::size_t kDataBitsOffset = 332;
inline constexpr std::size_t kStopBitsOffset = 333;

// channel 1..4, code 1..10
constexpr std::size_t SerialBlockOffset(int channel) {
    return kSerialBlockSize * static_cast<std::size_t>(channel - 1);
}
constexpr std::size_t SerialCodeOffset(int channel, int code) {
    return SerialBlockOffset(channel) + kCodeSlotSize * static_cast<std::size_t>(code - 1);
}
constexpr std::size_t SerialLengthOffset(int channel, int code) {
    return SerialBlockOffset(channel) + kSerialLengthsOffset + static_cast<std::size_t>(code - 1);
}
constexpr std::size_t SerialSettingsOffset(int channel) {
    return SerialBlockOffset(channel) + kBaudOffset;
}

inline constexpr const char* kBaudRates[] = {"1200",  "1800",  "2400",  "4800",  "7200",
                                             "9600",  "14400", "19200", "28800", "38400",
                                             "57600", "76800", "115200"};
inline constexpr const char* kParities[] = {"None", "Odd", "Even"};

// --- Infrared channel.
inline constexpr int kInfraredCodeCount = 10;
inline constexpr std::size_t kInfraredCodesOffset = 1336;
inline constexpr std::size_t kInfraredLengthsOffset = 1656;
inline constexpr std::size_t kInfraredProtocolOffset = 1666;
inline constexpr const char* kInfraredProtocols[] = {"NEC", "RC-5", "AIR"};

// code 1..10
constexpr std::size_t InfraredCodeOffset(int code) {
    return kInfraredCodesOffset + kCodeSlotSize * static_cast<std::size_t>(code - 1);
}
constexpr std::size_t InfraredLengthOffset(int code) {
    return kInfraredLengthsOffset + static_cast<std::size_t>(code - 1);
}

// --- Panel keys: nine keys of five code groups, one byte each.
inline constexpr int kKeyCount = 9;
inline constexpr int kGroupsPerKey = 5;
inline constexpr std::size_t kKeysOffset = 1667;

// key 1..9, group 1..5
constexpr std::size_t KeyGroupOffset(int key, int group) {
    return kKeysOffset +
           static_cast<std::size_t>(kGroupsPerKey) * static_cast<std::size_t>(key - 1) +
           static_cast<std::size_t>(group - 1);
}

// --- SystemConfig values, taken by their row position (1..35) in the table.
inline constexpr int kSystemConfigRows = 35;
inline constexpr std::size_t kSystemConfigOffset = 1712;
inline constexpr std::size_t kSystemConfigEnd = 1807;  // from here to the end: zero
inline constexpr std::size_t kTextFieldSize = 16;

enum class FieldKind { Word32, Word16, Byte, Text16, IPv4 };
// Where each row goes, and as what, is in the table of settings (config/system_settings.h).
// Position 24 appears nowhere: that value stays on the PC. The four bytes at 1716 are zero.

// What the unit makes of the fields, given the key order of the supplied database.
inline constexpr std::size_t kFuncFlagOffset = 1712;
inline constexpr std::size_t kDeviceIdOffset = 1738;
inline constexpr std::size_t kBleNameOffset = 1754;
inline constexpr std::size_t kDhcpOffset = 1774;
inline constexpr std::size_t kIpAddressOffset = 1775;
inline constexpr std::size_t kNetmaskOffset = 1779;
inline constexpr std::size_t kGatewayOffset = 1783;
inline constexpr std::size_t kDnsOffset = 1787;
inline constexpr std::size_t kServerIpOffset = 1791;

static_assert(SerialBlockOffset(kSerialChannelCount + 1) == kInfraredCodesOffset);
static_assert(InfraredCodeOffset(kInfraredCodeCount + 1) == kInfraredLengthsOffset);
static_assert(KeyGroupOffset(kKeyCount + 1, 1) == kSystemConfigOffset);

// --- Card image: 6-byte records from offset 0, in table order, zeros after the last.
inline constexpr std::size_t kCardRecordSize = 6;
inline constexpr std::size_t kCardIdOffset = 0;  // 32-bit card number
inline constexpr std::size_t kCardEnterOffset = 4;
inline constexpr std::size_t kCardLeaveOffset = 5;
inline constexpr std::size_t kMaxCards = 340;
static_assert(kMaxCards * kCardRecordSize <= kImageSize);

}  // namespace ketrel::layout
