// The configuration and card images, byte by byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "config/config_image.h"
#include "config_test_support.h"

namespace ketrel {
namespace {

using test::RawExec;

std::vector<std::uint8_t> Bytes(const std::string& hex) {
    std::vector<std::uint8_t> out;
    std::istringstream in(hex);
    std::string token;
    while (in >> token) out.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
    return out;
}

std::string Hex(const ConfigImage& image, std::size_t offset, std::size_t count) {
    std::string out;
    char b[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(b, sizeof b, "%02X", image[offset + i]);
        if (i) out += ' ';
        out += b;
    }
    return out;
}

// Checks the listed bytes and that every byte not listed is zero.
void ExpectImage(const ConfigImage& image,
                 const std::vector<std::pair<std::size_t, std::string>>& expected) {
    std::vector<bool> listed(image.size(), false);
    for (const auto& [offset, hex] : expected) {
        const auto bytes = Bytes(hex);
        EXPECT_EQ(Hex(image, offset, bytes.size()), hex) << "at offset " << offset;
        for (std::size_t i = 0; i < bytes.size(); ++i) listed[offset + i] = true;
    }
    for (std::size_t i = 0; i < image.size(); ++i) {
        if (!listed[i]) {
            EXPECT_EQ(image[i], 0) << "unexpected byte at offset " << i;
        }
    }
}

// The supplied database's image, written out by hand from seed.sql.
TEST(ConfigImageCompiler, SuppliedDatabaseGivesTheExpectedImage) {
    test::SuppliedDb db;
    test::RecordingNotifier notifier;
    ConfigImage image;
    image.fill(0x5A);  // the compile must clear it
    ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));
    EXPECT_TRUE(notifier.messages().empty());
    ExpectImage(image,
                {
                    // Serial channel 1: ten codes of five bytes, lengths, 9600 None 8 1.
                    {0, "A5 01 01 00 A7"},
                    {32, "A5 01 02 00 A8"},
                    {64, "A5 01 10 01 B7"},
                    {96, "A5 01 10 02 B8"},
                    {128, "A5 01 10 03 B9"},
                    {160, "A5 01 10 04 BA"},
                    {192, "A5 01 20 01 C7"},
                    {224, "A5 01 20 00 C6"},
                    {256, "A5 01 30 01 D7"},
                    {288, "A5 01 30 00 D6"},
                    {320, "05 05 05 05 05 05 05 05 05 05"},
                    {330, "05 00 08 01"},
                    // Serial channel 2 from 334: codes 3 to 6, 19200 None 8 1.
                    {398, "2A 31 56 31 23"},
                    {430, "2A 32 56 31 23"},
                    {462, "2A 33 56 31 23"},
                    {494, "2A 34 56 31 23"},
                    {654, "00 00 05 05 05 05 00 00 00 00"},
                    {664, "07 00 08 01"},
                    // Serial channel 3 from 668: codes 1 and 2, 9600 Even 8 1.
                    {668, "FF AA EE EE DD"},
                    {700, "FF AA EE EE EE"},
                    {988, "05 05"},
                    {998, "05 02 08 01"},
                    // Serial channel 4 from 1002: no codes, 115200 None 8 1.
                    {1332, "0C 00 08 01"},
                    // Infrared: three codes, their lengths, NEC (0).
                    {1336, "00 FF 12 ED"},
                    {1368, "00 FF 13 EC"},
                    {1400, "00 FF 40 BF"},
                    {1656, "04 04 04"},
                    {1666, "00"},
                    // Keys 1..9 from 1667, five groups each.
                    {1667, "10 30 50"},
                    {1672, "11 31 51"},
                    {1677, "12"},
                    {1682, "14"},
                    {1687, "13"},
                    {1692, "15"},
                    {1697, "16"},
                    {1702, "18"},
                    {1707, "30"},
                    // SystemConfig: FuncFlag 35, the delays, volumes, card actions.
                    {1712, "23 00 00 00"},
                    {1720, "05 00 05 00 03 00 03 00 3C 00 03 00"},
                    {1732, "0C 0C 1F 09 01 02"},
                    // DeviceId empty, BLEName "Ketrel", door probes 0, DHCP on.
                    {1754, "4B 65 74 72 65 6C"},
                    {1774, "01"},
                    // 192.168.1.100, 255.255.255.0, 192.168.1.1 twice, 192.168.1.10.
                    {1775, "C0 A8 01 64 FF FF FF 00 C0 A8 01 01 C0 A8 01 01 C0 A8 01 0A"},
                    // 560, 560, 1690 us; brand, model, then the four further one-byte settings.
                    {1795, "30 02 30 02 9A 06"},
                    {1801, "00 00 01 08 01 00"},
                });
}

void PrepareSystemValue(const std::string& path, const std::string& name,
                        const std::string& value) {
    test::RecordingNotifier notifier;
    ASSERT_TRUE(SetConfigValue(path, notifier, name, value));
}

TEST(ConfigImageCompiler, SystemConfigValuesTakeTheirWidth) {
    struct Value {
        const char* key;
        const char* value;
        std::size_t offset;
        const char* expected;
    };
    // Each group is one database, compiled once.
    const std::vector<std::vector<Value>> groups = {
        {
            {"FuncFlag", "99999999999", 1712, "FF FF FF FF"},  // saturates as the unit reads it
            {"PowerOffDly", "70000", 1728, "70 11"},           // higher bits dropped
            {"MaxVolume", "300", 1732, "2C"},
            {"DefVolume", "-5", 1733, "00"},
            {"MicInputVol", "abc", 1735, "00"},
            // Sixteen bytes or more: no terminator; the next field is untouched.
            {"DeviceId", "0123456789ABCDEF01", 1738,
             "30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46"},
            // Eight Chinese characters are 24 bytes: cut inside the sixth.
            {"BLEName", "一二三四五六七八", 1754,
             "E4 B8 80 E4 BA 8C E4 B8 89 E5 9B 9B E4 BA 94 E5 00"},
            {"IPAddress", "192.168.1.300", 1775, "C0 A8 01 2C"},
            {"DbVersion", "12345", 1716, "00 00 00 00"},  // position 24 stays on the PC
            {"PanelLockTimeout", "255", 1806, "FF"},
        },
        {
            {"FuncFlag", "131072", 1712, "00 00 02 00"},
            {"DeviceId", "ABC", 1738, "41 42 43 00 00 00 00 00 00 00 00 00 00 00 00 00 4B"},
        },
    };
    for (const auto& group : groups) {
        test::SuppliedDb db;
        for (const Value& v : group) PrepareSystemValue(db.path, v.key, v.value);
        test::RecordingNotifier notifier;
        ConfigImage image{};
        ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));
        EXPECT_TRUE(notifier.messages().empty());
        for (const Value& v : group) {
            EXPECT_EQ(Hex(image, v.offset, Bytes(v.expected).size()), v.expected)
                << v.key << "=" << v.value;
        }
    }
}

TEST(ConfigImageCompiler, InfraredProtocolAndKeyCodes) {
    const std::pair<const char*, const char*> protocols[] = {
        {"RC-5", "01"}, {"AIR", "02"}, {"nec", "00"}};
    for (const auto& [protocol, expected] : protocols) {
        test::SuppliedDb db;
        RawExec(db.path, std::string("update IRChannel set Protocol = '") + protocol + "'");
        test::RecordingNotifier notifier;
        ConfigImage image{};
        ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));
        EXPECT_EQ(Hex(image, 1666, 1), expected) << protocol;
    }
    test::SuppliedDb db;
    RawExec(db.path,
            "update KeyCode set Code1 = '0x5A', Code2 = '123', Code3 = 'zz', Code4 = '', "
            "Code5 = 'ff' where Id = 9");
    test::RecordingNotifier notifier;
    ConfigImage image{};
    ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));
    EXPECT_EQ(Hex(image, 1707, 5), "5A 23 00 00 FF");
}

// --- The text parsers, on an image filled with a marker so that untouched bytes show.

constexpr std::uint8_t kMark = 0xEE;
const std::string k32Long(32, '1');

struct HexCase {
    std::string text;
    std::string code;  // the slot's first bytes after the call
    std::string length;
    std::vector<std::string> messages;
};

std::string Tokens(int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        char b[16];
        std::snprintf(b, sizeof b, "%02X", i);
        out += (i ? " " : "") + std::string(b);
    }
    return out;
}

TEST(SplitHexCode, TokensLengthsAndMessages) {
    const HexCase cases[] = {
        {"", "EE", "00", {}},  // no tokens: length 0, slot untouched
        {"A5 01 0F", "A5 01 0F EE", "03", {}},
        {"1F 2 0x0A abc", "1F 02 0A BC EE", "04", {}},
        {"   A5    01  ", "A5 01 EE", "02", {}},
        {"1234567", "67 EE", "01", {}},
        {"A5\t01 02", "A5 02 EE", "02", {}},  // only a space separates
        {"zz 0X1f", "00 1F EE", "02", {}},
        {"A5 12345678 01", "A5 EE", "01", {"分割十六进制数据错误!"}},
        {"12345678", "EE", "00", {"分割十六进制数据错误!"}},
        {Tokens(33), "EE", "EE", {"分割十六进制数据超上限!"}},
        {Tokens(33) + " 123456789",
         "EE",
         "EE",
         {"分割十六进制数据错误!", "分割十六进制数据超上限!"}},
        {Tokens(32) + " 123456789", Tokens(1), "20", {"分割十六进制数据错误!"}},
    };
    for (const HexCase& c : cases) {
        SCOPED_TRACE(c.text);
        ConfigImage image;
        image.fill(kMark);
        test::RecordingNotifier notifier;
        SplitHexCode(c.text, image, 100, 50, notifier);
        EXPECT_EQ(Hex(image, 100, Bytes(c.code).size()), c.code);
        EXPECT_EQ(Hex(image, 50, 1), c.length);
        EXPECT_EQ(notifier.texts(), c.messages);
        for (const auto& m : notifier.messages()) {
            EXPECT_EQ(m.caption, "提示");
            EXPECT_EQ(m.icon, MessageIcon::Error);
        }
    }
}

struct FieldCase {
    std::string text;
    std::string bytes;
    std::vector<std::string> messages;
};

TEST(ParseLineSettings, FieldsAndMessages) {
    const FieldCase cases[] = {
        {"9600,Even,8,1", "05 02 08 01", {}},
        {"9600,even,8,1", "05 EE 08 01", {}},  // unknown parity: its byte left alone
        {"115200,Odd,7,2", "0C 01 07 02", {}},
        {"9601,None,8,1", "EE 00 08 01", {}},
        {"9600,None,264,1", "05 00 08 01", {}},
        {"9600,,None,8,1", "05 00 08 01", {}},  // runs of commas separate once
        {"", "EE EE EE EE", {"分割串口协议字符串超上限!"}},
        {"9600,None,8", "EE EE EE EE", {"分割串口协议字符串超上限!"}},
        {"9600,None,8,1,0", "EE EE EE EE", {"分割串口协议字符串超上限!"}},
        {"9600,None,8,1," + k32Long, "05 00 08 01", {"串口协议字符串错误!"}},
        {k32Long + ",None,8,1",
         "EE EE EE EE",
         {"串口协议字符串错误!", "分割串口协议字符串超上限!"}},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.text);
        ConfigImage image;
        image.fill(kMark);
        test::RecordingNotifier notifier;
        ParseLineSettings(c.text, image, 330, notifier);
        EXPECT_EQ(Hex(image, 330, 4), c.bytes);
        EXPECT_EQ(notifier.texts(), c.messages);
    }
}

TEST(ParseIPv4, FieldsAndMessages) {
    const FieldCase cases[] = {
        {"192.168.1.300", "C0 A8 01 2C", {}},
        {"a.b.c.d", "00 00 00 00", {}},
        {"", "EE EE EE EE", {"分割IP地址字符串超上限!"}},
        {"10.0.0", "EE EE EE EE", {"分割IP地址字符串超上限!"}},
        {"1.2.3.4.5", "EE EE EE EE", {"分割IP地址字符串超上限!"}},
        {"1.2.3.4." + k32Long, "01 02 03 04", {"IP地址字符串错误!"}},
        {"1." + k32Long + ".3.4", "EE EE EE EE", {"IP地址字符串错误!", "分割IP地址字符串超上限!"}},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.text);
        ConfigImage image;
        image.fill(kMark);
        test::RecordingNotifier notifier;
        ParseIPv4(c.text, image, 1775, notifier);
        EXPECT_EQ(Hex(image, 1775, 4), c.bytes);
        EXPECT_EQ(notifier.texts(), c.messages);
    }
}

// --- The card image.

TEST(CardImage, RecordsInTableOrderWithZerosAfter) {
    test::SuppliedDb db;
    RawExec(db.path,
            "insert into Card values('0000123', 7, 8);"
            "insert into Card values('4294967295', 0, 9);"
            "insert into Card values('4294967296', 1, 2);"
            "insert into Card values('abc', 3, 300);"
            "insert into Card values('3735928559', 10, 0);");
    test::RecordingNotifier notifier;
    ConfigImage image;
    image.fill(0x5A);  // a card write starts from zeros
    const auto count = LoadCards(ConfigDb(db.path, notifier), image);
    ASSERT_TRUE(count);
    EXPECT_EQ(*count, 5u);
    ExpectImage(image, {{0, "7B 00 00 00 07 08"},
                        {6, "FF FF FF FF 00 09"},
                        {12, "FF FF FF FF 01 02"},
                        {18, "00 00 00 00 03 2C"},
                        {24, "EF BE AD DE 0A 00"}});
    EXPECT_TRUE(notifier.messages().empty());
}

}  // namespace
}  // namespace ketrel
