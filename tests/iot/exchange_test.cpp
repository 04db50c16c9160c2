#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/texts.h"
#include "iot/gateway.h"
#include "iot/iot_texts.h"
#include "iot/smart_socket.h"
#include "iot_fixture.h"

// Fault tables name only the fields a case sets; GCC 12 warns about the others even though each
// has its default.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace ketrel::test {
namespace {

using sim::IotFaults;

class GatewayExchange : public IotFixture {
  protected:
    iot::Gateway gateway{link, notifier};
};

TEST_F(GatewayExchange, NameAndPasswordTravelAsSixteenPackedBytes) {
    struct Case {
        bool password;
        std::string text;
        std::string line;
    } cases[] = {
        {false, "ab", "IoTSetData:250,25185,0,0,0,0,0,0,0,8"},
        {false, "", "IoTSetData:250,0,0,0,0,0,0,0,0,8"},
        {true, "0123456789abcdef",
         "IoTSetData:251,12592,13106,13620,14134,14648,25185,25699,26213,8"},
        // Five Chinese characters take 15 bytes in UTF-8 and still fit.
        {false, "教室网关一", ""},
    };
    for (const auto& c : cases) {
        notifier.clear();
        c.password ? gateway.WritePassword(c.text) : gateway.WriteName(c.text);
        if (!c.line.empty()) {
            EXPECT_EQ(LastLine(), c.line);
        }
        EXPECT_EQ(c.password ? unit.iot().wifiPassword() : unit.iot().wifiName(), c.text);
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kGatewayWritten});
        ASSERT_FALSE(notifier.messages().empty());
        EXPECT_EQ(notifier.messages()[0].caption, texts::kCaptionNotice);
        EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Warning);
        ExpectReceiverRunning();
    }
    gateway.ClearToDefaults();
    EXPECT_EQ(LastLine(), "IoTSetData:252,0,0,0,0,0,0,0,0,8");
    EXPECT_EQ(unit.iot().wifiName(), sim::IotDevice::kDefaultName);
    ExpectReceiverRunning();
}

TEST_F(GatewayExchange, TextBeyondSixteenBytesIsNotSentAndTheUserIsTold) {
    // Six Chinese characters: 18 bytes.
    gateway.WriteName("教室网关一二");
    gateway.WritePassword("0123456789abcdefg");
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{"名称占18个字节，超过了16个字节，未写入!",
                                        "密码占17个字节，超过了16个字节，未写入!"}));
    // Nothing reaches the unit, not even after its pause.
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_TRUE(unit.receivedLines().empty());
    EXPECT_EQ(unit.iot().wifiName(), sim::IotDevice::kDefaultName);
    ExpectReceiverRunning();
}

TEST_F(GatewayExchange, EachReplyHasItsMessage) {
    const std::pair<IotFaults, const char*> cases[] = {
        {{.twoPieces = true}, texts::kGatewayWritten},
        {{.wrongId = true}, texts::kGatewayWriteFailed},
        {{.replyText = "IoTAckData:250,1,0\r\n"}, texts::kGatewayWriteFailed},
        {{.noReply = true}, texts::kIoTTimeout},
        {{.replyText = "IoTAckData:250,,1,,1\r\n"},
         texts::kGatewayWritten},  // empty fields skipped
    };
    for (const auto& [faults, message] : cases) {
        SCOPED_TRACE(message);
        notifier.clear();
        setFaults(faults);
        gateway.WriteName("ab");
        EXPECT_EQ(LastLine(), "IoTSetData:250,25185,0,0,0,0,0,0,0,8");
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{message});
        ExpectReceiverRunning();
    }
}

TEST_F(IotFixture, WithoutAPortNothingIsSentAndTheThreadIsNotTouched) {
    link.ClosePort();
    RecordingView view;
    iot::Gateway gateway(link, notifier);
    iot::SmartSocket socket(link, notifier, view);
    gateway.WriteName("ab");
    gateway.ClearToDefaults();
    socket.WriteSettings({});
    socket.Learn(0);
    socket.PowerCalibration();
    iot::ProcessState() = iot::IoTProcessState{};
    socket.PressAirCon(iot::AirConButton::TemperatureUp);
    EXPECT_EQ(iot::ProcessState().AirConTempStep, 10) << "the step moves even without a port";
    EXPECT_EQ(notifier.texts(), std::vector<std::string>(6, texts::kPortInvalid));
    EXPECT_EQ(view.changes, 0) << "the status line is left alone";
    EXPECT_EQ(receiver.pauseCount(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_TRUE(unit.receivedLines().empty());
}

}  // namespace
}  // namespace ketrel::test
