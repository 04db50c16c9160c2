#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "common/texts.h"
#include "dialog_fixture.h"
#include "iot/iot_texts.h"
#include "iot/ui/dialog_cal_pwd.h"
#include "iot/ui/dialog_ii_plug.h"
#include "iot/ui/spin_edit.h"

namespace ketrel::test {
namespace {

class IIPlugDialog : public IotDialogFixture {
  protected:
    std::unique_ptr<CDialogIIPlug> Open() {
        return std::make_unique<CDialogIIPlug>(link, db.path, notifier, dialogs);
    }
    // Presses a button that sends a line without a reply and waits until the unit has it.
    void PressAndWait(QPushButton* button) {
        const std::size_t before = unit.receivedLines().size();
        button->click();
        WaitForLines(before + 1);
        EXPECT_EQ(receiver.pauseCount(), 0);
    }
};

TEST_F(IIPlugDialog, OpeningShowsTheStoredSettingsAndWritesNothing) {
    Store("CarrierDly", "300");
    Store("LowDly", "012");
    Store("HighDly", "2500");
    Store("ACIRBrand", "3");
    RawExec(db.path, "delete from SystemConfig where Name = 'ACIRModel'");
    const auto before = ChangeCounter(db.path);
    auto dialog = Open();
    EXPECT_EQ(ChangeCounter(db.path), before) << "opening the dialog wrote to the database";
    EXPECT_TRUE(dialog->ready());
    EXPECT_EQ(dialog->carrierEdit()->text(), "300");
    EXPECT_EQ(dialog->lowEdit()->text(), "12");
    EXPECT_EQ(dialog->highEdit()->text(), "1999") << "the spin control keeps to its range";
    EXPECT_EQ(Stored("HighDly"), "2500");
    EXPECT_EQ(dialog->brandList()->currentText(), "TCL");
    ASSERT_EQ(dialog->modelList()->count(), 1);
    EXPECT_EQ(dialog->modelList()->currentText(), "TCL通用遥控") << "a missing model counts as 0";
    EXPECT_TRUE(notifier.texts().empty());

    // A missing timing row leaves its edit as created.
    RawExec(db.path, "delete from SystemConfig where Name = 'LowDly'");
    EXPECT_TRUE(Open()->lowEdit()->text().isEmpty());
}

TEST_F(IIPlugDialog, EditsStoreWhatIsTypedUpToTheirMaximum) {
    auto dialog = Open();
    struct Case {
        QLineEdit* edit;
        const char* key;
        const char* typed;
        const char* shown;
        const char* stored;
    } cases[] = {
        {dialog->highEdit(), "HighDly", "2500", "1999", "1999"},
        {dialog->highEdit(), "HighDly", "", "", ""},
        {dialog->carrierEdit(), "CarrierDly", "012", "012", "012"},
        // Only digits can be typed, at most the edit's length.
        {dialog->lowEdit(), "LowDly", "4x567", "456", "456"},
    };
    for (const auto& c : cases) {
        c.edit->clear();
        QTest::keyClicks(c.edit, c.typed);
        EXPECT_EQ(c.edit->text().toStdString(), c.shown) << c.typed;
        EXPECT_EQ(Stored(c.key), c.stored) << c.typed;
    }
    // The arrows store the position, held to the range.
    dialog->highEdit()->setText("1998");
    dialog->highSpin()->stepBy(1);
    dialog->highSpin()->stepBy(1);
    EXPECT_EQ(Stored("HighDly"), "1999");
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(IIPlugDialog, ChoosingABrandStoresItWithItsOneModel) {
    auto dialog = Open();
    dialog->brandList()->setCurrentIndex(5);
    emit dialog->brandList()->activated(5);
    EXPECT_EQ(Stored("ACIRBrand"), "5");
    EXPECT_EQ(Stored("ACIRModel"), "0");
    ASSERT_EQ(dialog->modelList()->count(), 1);
    EXPECT_EQ(dialog->modelList()->itemText(0), "志高通用遥控");

    Store("ACIRModel", "7");
    emit dialog->modelList()->activated(0);
    EXPECT_EQ(Stored("ACIRModel"), "0");
}

TEST_F(IIPlugDialog, AnUnknownStoredBrandSelectsNothingAndSendsNone) {
    Store("ACIRBrand", "9");
    auto dialog = Open();
    EXPECT_EQ(dialog->brandList()->currentIndex(), -1);
    EXPECT_EQ(dialog->modelList()->count(), 0);
    dialog->writeSettingsButton()->click();
    EXPECT_EQ(LastLine(), "IoTSetData:0,560,560,1690,65535,65535,0,0,0,8");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kSocketSetDone});
    ExpectReceiverRunning();
}

TEST_F(IIPlugDialog, TheStepsOutliveTheDialog) {
    for (int round = 0; round < 2; ++round) {
        auto dialog = Open();
        for (int i = 0; i < 3; ++i)
            PressAndWait(dialog->airConButton(iot::AirConButton::TemperatureUp));
        for (int i = 0; i < 2; ++i)
            PressAndWait(dialog->airConButton(iot::AirConButton::FanSpeedDown));
        if (round == 0) continue;
        PressAndWait(dialog->airConButton(iot::AirConButton::Heat));
        EXPECT_EQ(dialog->statusLine()->text(), "指令ID:7,空调指令发送成功!");
    }
    EXPECT_EQ(unit.receivedLines(),
              (std::vector<std::string>{"IoTSetCmd:0,18", "IoTSetCmd:0,19", "IoTSetCmd:0,20",
                                        "IoTSetCmd:0,26", "IoTSetCmd:0,25", "IoTSetCmd:0,21",
                                        "IoTSetCmd:0,22", "IoTSetCmd:0,22", "IoTSetCmd:0,24",
                                        "IoTSetCmd:0,24", "IoTSetCmd:0,7"}));
    ExpectReceiverRunning();
}

TEST_F(IIPlugDialog, TheFactoryPasswordIsAskedOncePerRun) {
    auto dialog = Open();
    std::vector<std::string> typed;
    std::vector<QString> leftInField;
    // The user types each entry in turn and presses 确定; once out of entries, cancels.
    std::size_t next = 0;
    dialogs.answer = [&](QDialog& d) {
        auto& pwd = dynamic_cast<CDialogCalPwd&>(d);
        while (next < typed.size()) {
            pwd.passwordField()->setText(QString::fromStdString(typed[next++]));
            pwd.OnOK();
            leftInField.push_back(pwd.passwordField()->text());
            if (pwd.result() == QDialog::Accepted) return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    };

    typed = {"", "12345"};
    dialog->energyZeroingButton()->click();
    EXPECT_EQ(dialogs.runs, 1);
    EXPECT_EQ(leftInField, (std::vector<QString>{"", ""})) << "a wrong password empties the field";
    EXPECT_EQ(notifier.texts(),
              (std::vector<std::string>{texts::kPasswordEmpty, texts::kPasswordWrong}));
    EXPECT_EQ(notifier.messages()[0].caption, texts::kCaptionNotice);
    EXPECT_EQ(notifier.messages()[1].caption, texts::kCaptionError);
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    EXPECT_TRUE(unit.receivedLines().empty()) << "cancelled: nothing is sent";

    typed.push_back(" 19955501234 ");
    dialog->energyZeroingButton()->click();
    EXPECT_EQ(dialogs.runs, 2);
    EXPECT_EQ(LastLine(), "IoTSetCmd:0,130");
    EXPECT_EQ(dialog->statusLine()->text(), texts::kEnergyZeroSent);
    ExpectReceiverRunning();

    // Accepted once: neither this dialog nor a new one asks again.
    dialog->powerCalibrationButton()->click();
    EXPECT_EQ(LastLine(), "IoTSetCmd:0,128");
    EXPECT_EQ(dialog->statusLine()->text(), texts::kPowerCalSent);
    dialog = Open();
    PressAndWait(dialog->energyCalibrationButton());
    EXPECT_EQ(LastLine(), "IoTSetCmd:0,129");
    EXPECT_EQ(dialog->statusLine()->text(), texts::kEnergyCalSent);
    EXPECT_EQ(dialogs.runs, 2);
    ExpectReceiverRunning();
}

}  // namespace
}  // namespace ketrel::test
