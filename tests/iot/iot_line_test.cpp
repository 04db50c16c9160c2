#include <gtest/gtest.h>

#include <string>

#include "iot_line.h"
#include "smart_socket.h"

namespace ketrel::iot {
namespace {

struct PackCase {
    std::string bytes;
    DataWords words;
};

TEST(PackTextBytes, FirstByteOfEachPairIsTheLowByte) {
    const PackCase cases[] = {
        {"ab", {25185, 0, 0, 0, 0, 0, 0, 0}},
        {"", {}},
        // 15 bytes: the last word's high byte is the zero fill.
        {"ABCDEFGHIJKLMNO", {0x4241, 0x4443, 0x4645, 0x4847, 0x4A49, 0x4C4B, 0x4E4D, 0x004F}},
        {"ABCDEFGHIJKLMNOP", {0x4241, 0x4443, 0x4645, 0x4847, 0x4A49, 0x4C4B, 0x4E4D, 0x504F}},
        // Bytes above 127 are unsigned.
        {"\xC4\xE3\xBA\xC3", {0xE3C4, 0xC3BA, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PackTextBytes(c.bytes), c.words) << c.bytes;
        const auto back = UnpackTextBytes(c.words);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.data()), c.bytes.size()), c.bytes);
    }
}

TEST(FormatLines, TheThreeTemplatesAndTheCommandLine) {
    EXPECT_EQ(FormatSetData(kIdWifiName, PackTextBytes("ab")),
              "IoTSetData:250,25185,0,0,0,0,0,0,0,8");
    EXPECT_EQ(FormatSetData(kIdWifiPassword, {1, 2, 3, 4, 5, 6, 7, 65535}),
              "IoTSetData:251,1,2,3,4,5,6,7,65535,8");
    EXPECT_EQ(FormatSetDataFive(kIdSocketSettings, 560, 560, 1690, 65535, 65535),
              "IoTSetData:0,560,560,1690,65535,65535,0,0,0,8");
    EXPECT_EQ(FormatSetDataEmpty(kIdGatewayDefaults), "IoTSetData:252,0,0,0,0,0,0,0,0,8");
    EXPECT_EQ(FormatSetCmd(kCmdPowerCalibration), "IoTSetCmd:0,128");
    EXPECT_EQ(FormatSetCmd(kCmdLearnBase + 31), "IoTSetCmd:0,63");
}

TEST(AirConCode, StepsMoveFirstAndStopAtTheirEnds) {
    ProcessState() = IoTProcessState{};
    std::vector<int> codes;
    for (int i = 0; i < 6; ++i) codes.push_back(AirConCode(AirConButton::TemperatureUp));
    EXPECT_EQ(codes, (std::vector<int>{18, 19, 20, 21, 22, 22}));
    codes.clear();
    for (int i = 0; i < 4; ++i) codes.push_back(AirConCode(AirConButton::FanSpeedDown));
    EXPECT_EQ(codes, (std::vector<int>{26, 25, 24, 24}));
    for (int i = 0; i < 20; ++i) AirConCode(AirConButton::TemperatureDown);
    EXPECT_EQ(AirConCode(AirConButton::TemperatureDown), 8);
    for (int i = 0; i < 10; ++i) AirConCode(AirConButton::FanSpeedUp);
    EXPECT_EQ(AirConCode(AirConButton::FanSpeedUp), 29);
    const std::pair<AirConButton, int> fixed[] = {
        {AirConButton::On, 0},   {AirConButton::Off, 1},   {AirConButton::Auto, 3},
        {AirConButton::Cool, 4}, {AirConButton::Dry, 5},   {AirConButton::FanOnly, 6},
        {AirConButton::Heat, 7}, {AirConButton::Swing, 23}};
    for (const auto& [button, code] : fixed) EXPECT_EQ(AirConCode(button), code);
    ProcessState() = IoTProcessState{};
}

TEST(TimingEdits, ValueAboveTheMaximumIsReplacedByIt) {
    struct Case {
        const TimingField* field;
        const char* text;
        const char* replacement;  // nullptr: stored as typed
    } cases[] = {
        {&kHighField, "2500", "1999"},    {&kHighField, "1999", nullptr},
        {&kHighField, "2000", "1999"},    {&kCarrierField, "999", nullptr},
        {&kLowField, "1000", "999"},      {&kCarrierField, "", nullptr},
        {&kCarrierField, "012", nullptr}, {&kHighField, "abc", nullptr},
    };
    for (const auto& c : cases) {
        const auto r = ReplacementForEdit(*c.field, c.text);
        if (c.replacement) {
            ASSERT_TRUE(r) << c.text;
            EXPECT_EQ(*r, c.replacement);
        } else {
            EXPECT_FALSE(r) << c.text;
        }
    }
    EXPECT_EQ(DecimalValue(" 42x"), 42);
    EXPECT_EQ(DecimalValue("-3"), -3);
    EXPECT_GT(DecimalValue(std::string(40, '9')), 9999) << "a long row of digits stays large";
}

TEST(FactoryPassword, AcceptedTrimmedAndRememberedForTheRun) {
    ProcessState() = IoTProcessState{};
    EXPECT_FALSE(FactoryPasswordAccepted());
    EXPECT_FALSE(AcceptFactoryPassword("1995550123"));
    EXPECT_FALSE(AcceptFactoryPassword("199555012345"));
    EXPECT_FALSE(FactoryPasswordAccepted());
    EXPECT_TRUE(AcceptFactoryPassword("  19955501234\t"));
    EXPECT_TRUE(FactoryPasswordAccepted());
    EXPECT_EQ(ProcessState().FactoryPasswordOK, "19955501234");
    ProcessState() = IoTProcessState{};
}

}  // namespace
}  // namespace ketrel::iot
