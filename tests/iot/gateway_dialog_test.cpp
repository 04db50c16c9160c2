#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "common/texts.h"
#include "dialog_fixture.h"
#include "iot/iot_texts.h"
#include "iot/ui/dialog_gateway.h"

namespace ketrel::test {
namespace {

using GatewayDialog = IotDialogFixture;

TEST_F(GatewayDialog, ButtonsWriteTheEditsAsTyped) {
    CDialogGateway dialog(link, notifier);
    // Typing stops at 16 characters.
    QTest::keyClicks(dialog.nameEdit(), "classroom-201-east");
    EXPECT_EQ(dialog.nameEdit()->text(), "classroom-201-ea");
    dialog.writeNameButton()->click();
    EXPECT_EQ(unit.iot().wifiName(), "classroom-201-ea");
    ExpectReceiverRunning();

    dialog.passwordEdit()->setText(" pass word ");
    dialog.writePasswordButton()->click();
    EXPECT_EQ(unit.iot().wifiPassword(), " pass word ") << "sent as typed, not trimmed";
    ExpectReceiverRunning();

    dialog.clearButton()->click();
    EXPECT_EQ(LastLine(), "IoTSetData:252,0,0,0,0,0,0,0,0,8");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>(3, texts::kGatewayWritten));
    ExpectReceiverRunning();
}

}  // namespace
}  // namespace ketrel::test
