#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/texts.h"
#include "iot/iot_texts.h"
#include "iot/smart_socket.h"
#include "iot_fixture.h"

namespace ketrel::test {
namespace {

using sim::IotFaults;

class SocketExchange : public IotFixture {
  protected:
    RecordingView view;
    iot::SmartSocket socket{link, notifier, view};
};

TEST_F(SocketExchange, SettingsAreWrittenAndEachReplyHasItsMessage) {
    struct Case {
        IotFaults faults;
        const char* message;
    };
    IotFaults wrongId, silent;
    wrongId.wrongId = true;
    silent.noReply = true;
    const Case cases[] = {{{}, texts::kSocketSetDone},
                          {wrongId, texts::kSocketSetFailed},
                          {silent, texts::kIoTTimeout}};
    for (const auto& c : cases) {
        notifier.clear();
        setFaults(c.faults);
        socket.WriteSettings({560, 560, 1690, 65535, 65535});
        EXPECT_EQ(LastLine(), "IoTSetData:0,560,560,1690,65535,65535,0,0,0,8");
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{c.message});
        ExpectReceiverRunning();
    }
    EXPECT_EQ(notifier.messages()[0].caption, texts::kCaptionError);
    notifier.clear();
    setFaults({});
    socket.WriteSettings({300, 400, 1999, 3, 0});
    EXPECT_EQ(notifier.messages()[0].caption, texts::kCaptionNotice);
    EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Warning);
    const auto ir = unit.iot().infrared();
    EXPECT_EQ(std::vector<int>({ir.carrier, ir.low, ir.high, ir.brand, ir.model}),
              std::vector<int>({300, 400, 1999, 3, 0}));
    ExpectReceiverRunning();
}

TEST_F(SocketExchange, LearnShowsTheEightBytesAndTheWidthsAndReadGivesThemBack) {
    unit.iot().setCodeToLearn({4660, 22136, 39612, 57072});
    // The remote is pressed a while after the click: the wait gives a person seconds.
    sim::Faults remoteLater;
    remoteLater.iotAfterMs = 1500;
    unit.setFaults(remoteLater);
    socket.Learn(0);
    unit.setFaults({});
    EXPECT_EQ(LastLine(), "IoTSetCmd:0,32");
    EXPECT_EQ(view.code, "34 12 78 56 BC 9A F0 DE");
    EXPECT_EQ(view.widths, "启始位有载波宽度:4660ms,无载波宽度:22136ms");
    EXPECT_EQ(view.status, "第1组NEC红外码学习成功!");
    ExpectReceiverRunning();

    socket.Read(0);
    EXPECT_EQ(LastLine(), "IoTSetCmd:0,64");
    EXPECT_EQ(view.code, "34 12 78 56 BC 9A F0 DE");
    EXPECT_EQ(view.status, "第1组NEC红外码读取成功!");
    ExpectReceiverRunning();

    const std::size_t before = unit.receivedLines().size();
    socket.Test(4);
    WaitForLines(before + 1);
    EXPECT_EQ(LastLine(), "IoTSetCmd:0,100");
    EXPECT_EQ(view.status, "第5组NEC红外码发送成功!");
    EXPECT_EQ(view.code, "34 12 78 56 BC 9A F0 DE") << "a test leaves the display alone";
    EXPECT_EQ(unit.iot().testedGroups(), std::vector<int>{4});
    EXPECT_TRUE(notifier.texts().empty());
    ExpectReceiverRunning();
}

TEST_F(SocketExchange, ABadDataReplyLeavesTheDisplayEmpty) {
    struct Case {
        const char* reply;  // nullptr: no reply
        bool learn;
        const char* status;
    } cases[] = {
        {"IoTAckData:0,4660,22136,39612,57072,0,0,0,0,7", true, texts::kNecWrongId},
        {"IoTAckData:1,4660,22136,39612,57072,0,0,0,0,8", false, texts::kNecWrongId},
        {"IoTAckData:0,1,1", true, "第3组NEC红外码学习超时,请检连接状态!"},
        {nullptr, false, "第3组NEC红外码读取超时,请检连接状态!"},
    };
    for (const auto& c : cases) {
        view.setCodeDisplay("stale");
        view.setWidthsLine("stale");
        IotFaults f;
        if (c.reply) {
            f.replyText = std::string(c.reply) + "\r\n";
        } else {
            f.noReply = true;
        }
        setFaults(f, true);
        c.learn ? socket.Learn(2) : socket.Read(2);
        EXPECT_EQ(view.status, c.status) << (c.reply ? c.reply : "no reply");
        EXPECT_EQ(view.code, "");
        EXPECT_EQ(view.widths, "");
        ExpectReceiverRunning();
    }
}

TEST_F(SocketExchange, CalibrationsWaitForTheirStatusReply) {
    struct Case {
        void (iot::SmartSocket::*run)();
        IotFaults faults;
        const char* line;
        const char* status;
    };
    IotFaults wrongId, silent;
    wrongId.wrongId = true;
    silent.noReply = true;
    const Case cases[] = {
        {&iot::SmartSocket::PowerCalibration, {}, "IoTSetCmd:0,128", texts::kPowerCalSent},
        {&iot::SmartSocket::PowerCalibration, wrongId, "IoTSetCmd:0,128", texts::kPowerCalFailed},
        {&iot::SmartSocket::PowerCalibration, silent, "IoTSetCmd:0,128", texts::kPowerCalTimeout},
        {&iot::SmartSocket::EnergyZeroing, {}, "IoTSetCmd:0,130", texts::kEnergyZeroSent},
        {&iot::SmartSocket::EnergyZeroing, wrongId, "IoTSetCmd:0,130", texts::kEnergyZeroFailed},
        {&iot::SmartSocket::EnergyZeroing, silent, "IoTSetCmd:0,130", texts::kEnergyZeroTimeout},
        {&iot::SmartSocket::EnergyCalibration, silent, "IoTSetCmd:0,129", texts::kEnergyCalSent},
    };
    for (const auto& c : cases) {
        const std::size_t before = unit.receivedLines().size();
        setFaults(c.faults);
        (socket.*c.run)();
        WaitForLines(before + 1);
        EXPECT_EQ(LastLine(), c.line);
        EXPECT_EQ(view.status, c.status);
        ExpectReceiverRunning();
    }
    EXPECT_EQ(unit.iot().powerCalibrations(), 3);
    EXPECT_EQ(unit.iot().energyZeroings(), 3);
    EXPECT_EQ(unit.iot().energyCalibrations(), 1);
}

}  // namespace
}  // namespace ketrel::test
