// The decoding of a configuration image, the inverse of the compiler: what each field reads as,
// that every byte belongs to exactly one field, and that a changed byte is reported as the field
// that holds it, named as the user knows it.
#include <gtest/gtest.h>

#include <map>

#include "config/config_compare.h"
#include "config/config_image.h"
#include "config/image_layout.h"
#include "config_test_support.h"

namespace ketrel {
namespace {

class CompareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(db.created);
        ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));
        labels = LoadImageLabels(ConfigDb(db.path, notifier));
        ASSERT_TRUE(notifier.texts().empty());
    }

    std::map<std::string, std::string> fieldValues() const {
        std::map<std::string, std::string> values;
        for (const DecodedField& f : DecodeConfigImage(image, labels)) values[f.label] = f.value;
        return values;
    }

    test::SuppliedDb db;
    test::RecordingNotifier notifier;
    ConfigImage image{};
    ImageLabels labels;
};

TEST_F(CompareTest, DecodingGivesBackWhatTheDatabaseSays) {
    test::RawExec(db.path,
                  "update SPTxCode set Code = '00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "
                  "10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E FF' where ID = 40;"
                  "update SystemConfig set Value = '4294967295' where Name = 'FuncFlag';"
                  "update SystemConfig set Value = '7' where Name = 'InputProbeOpen2';"
                  "update SystemConfig set Value = '1999' where Name = 'HighDly';");
    ASSERT_TRUE(CompileConfigImage(ConfigDb(db.path, notifier), image));
    const auto values = fieldValues();
    const std::pair<const char*, const char*> expected[] = {
        {"串口通道 1（串口1，投影机）发码 1「PowerOn」", "A5 01 01 00 A7"},
        {"串口通道 2（串口2，矩阵切换器）发码 1「PowerOn」", "（空）"},
        {"串口通道 4（串口4）发码 10「FreezeOff」",
         "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B "
         "1C 1D 1E FF"},
        {"串口通道 2（串口2，矩阵切换器）波特率", "19200"},
        {"串口通道 3（串口3，电动幕布）校验位", "Even"},
        {"红外通道（红外1，投影机）发码 3「VGA」", "00 FF 40 BF"},
        {"红外通道（红外1，投影机）红外协议", "NEC"},
        {"按键 1「系统开」第2组控制码", "串口3->PowerOn"},
        {"按键 3「台式电脑」第2组控制码", "无"},
        {"系统设置「功能选项」(FuncFlag) 第 1 项", "4294967295"},
        {"系统设置「门磁2断开动作」(InputProbeOpen2) 第 17 项", "7（门锁开）"},
        {"系统设置「高电平脉宽（微秒）」(HighDly) 第 29 项", "1999"},
        {"系统设置「IP地址」(IPAddress) 第 19 项", "192.168.1.100"},
        {"系统设置「蓝牙名称」(BLEName) 第 25 项", "“Ketrel”"},
        {"系统设置「设备编号」(DeviceId) 第 13 项", "（空）"},
        {"系统设置 PanelBacklight 第 33 项", "8"},
        {"保留区（第 1807 至 2047 字节，应全为 0）", "全为 0"},
    };
    for (const auto& [label, value] : expected) {
        const auto it = values.find(label);
        ASSERT_NE(it, values.end()) << label;
        EXPECT_EQ(it->second, value) << label;
    }
    // A unit read without a database names each code as the keys do, the last one included.
    EXPECT_EQ(DefaultImageLabels().infraredCode[layout::kInfraredCodeCount - 1], "FreezeOff");
}

// Every byte belongs to exactly one field: a byte of none would go unreported, one of two fields
// would be reported twice.
TEST_F(CompareTest, AChangedByteIsReportedAsTheOneFieldThatHoldsIt) {
    const std::vector<DecodedField> fields = DecodeConfigImage(image, labels);
    for (std::size_t offset = 0; offset < layout::kImageSize; ++offset) {
        ConfigImage unit = image;
        unit[offset] ^= 0x5A;
        const ImageDifferences d = CompareConfigImages(unit, image, labels);
        ASSERT_EQ(d.size(), 1u) << "byte " << offset;
        bool inField = false;
        for (const DecodedField& f : fields) {
            if (f.label != d[0].label) continue;
            for (const auto& [start, size] : f.ranges) {
                inField = inField || (offset >= start && offset < start + size);
            }
        }
        EXPECT_TRUE(inField) << "byte " << offset << " reported as " << d[0].label;
        EXPECT_NE(d[0].unitValue, d[0].configValue) << d[0].Describe();
    }
    EXPECT_TRUE(CompareConfigImages(image, image, labels).empty());
}

TEST_F(CompareTest, DifferencesReadAsTheUserKnowsThem) {
    struct Case {
        std::size_t offset;
        std::uint8_t value;
        const char* text;
    };
    const Case cases[] = {
        {layout::SerialCodeOffset(1, 1) + 31, 0xEE,
         "串口通道 1（串口1，投影机）发码 1「PowerOn」：单元中为 A5 01 01 00 A7（其后还有：00 00 "
         "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 EE），数据库中为 "
         "A5 01 01 00 A7"},
        {layout::SerialSettingsOffset(1), 12,
         "串口通道 1（串口1，投影机）波特率：单元中为 115200，数据库中为 9600"},
        {layout::SerialSettingsOffset(1) + 1, 7,
         "串口通道 1（串口1，投影机）校验位：单元中为 无效值 7，数据库中为 None"},
        {layout::KeyGroupOffset(2, 3), 0x5A,
         "按键 2「系统关」第3组控制码：单元中为 无效值 5A，数据库中为 红外1->PowerOff"},
        {layout::kGatewayOffset + 3, 254,
         "系统设置「默认网关」(Gateway) 第 21 项：单元中为 192.168.1.254，数据库中为 192.168.1.1"},
        {layout::kBleNameOffset + 6, 'X',
         "系统设置「蓝牙名称」(BLEName) 第 25 项：单元中为 “KetrelX”，数据库中为 “Ketrel”"},
        {2000, 1,
         "保留区（第 1807 至 2047 字节，应全为 0）：单元中为 非零字节： 2000=01，数据库中为 全为 "
         "0"},
    };
    for (const Case& c : cases) {
        ConfigImage unit = image;
        unit[c.offset] = c.value;
        const ImageDifferences d = CompareConfigImages(unit, image, labels);
        ASSERT_EQ(d.size(), 1u) << c.text;
        EXPECT_EQ(d[0].Describe(), c.text);
    }
}

}  // namespace
}  // namespace ketrel
