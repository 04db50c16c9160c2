#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editors/dialog_modify_infrared.h"
#include "editors/dialog_modify_serial_port.h"
#include "page_fixture.h"
#include "settings/dialog_key_code.h"
#include "settings/dialog_password.h"

namespace ketrel::test {
namespace {

using SysSettingPageTest = PageFixture;

TEST_F(SysSettingPageTest, DoubleClickOpensTheEditorForTheNumberShownNotTheRowPosition) {
    RawExec(dbPath,
            "update SPChannel set SPNumber = SPNumber + 10; update IRChannel set IRNumber = 7;");
    CDialogSysSetting& p = Start();
    ShowForMouse(p);
    int openedSerial = -1;
    int openedInfrared = -1;
    runner.answer = [&](QDialog& d) {
        if (auto* s = dynamic_cast<CDialogModifySerialPort*>(&d)) {
            openedSerial = s->SPNumber();
            EXPECT_EQ(s->nameLabel()->text(), "串口2");
        }
        if (auto* i = dynamic_cast<CDialogModifyInfrared*>(&d)) openedInfrared = i->IRNumber();
        return int(QDialog::Rejected);
    };
    DoubleClickRow(p.serialList(), 1);
    DoubleClickRow(p.infraredList(), 0);
    EXPECT_EQ(openedSerial, 12);
    EXPECT_EQ(openedInfrared, 7);
    // Once a row was chosen, a double click below the rows still opens nothing.
    DoubleClickRow(p.serialList(), -1);
    EXPECT_EQ(runner.runs, 2);
}

// Closing the password dialog stops the button; once accepted, it is not asked again this run.
TEST_F(SysSettingPageTest, SettingsButtonsGoThroughThePasswordGate) {
    using Page = CDialogSysSetting;
    for (QPushButton* (Page::*button)() const :
         {&Page::optionsButton, &Page::networkButton, &Page::keyCodeButton}) {
        CDialogSysSetting& p = Start("s3cret");
        std::vector<std::string> opened;
        p.SetOptionsOpener([&] { opened.push_back("options"); });
        p.SetNetworkOpener([&] { opened.push_back("network"); });
        bool typeRightPassword = false;
        runner.answer = [&](QDialog& d) {
            if (auto* pw = dynamic_cast<CDialogPassword*>(&d)) {
                opened.push_back("password");
                if (!typeRightPassword) return int(QDialog::Rejected);
                pw->passwordField()->setText("s3cret");
                pw->OnOK();
                return pw->result();
            }
            if (auto* keys = dynamic_cast<CDialogKeyCode*>(&d)) {
                opened.push_back(keys->keyList()->RowCount() == 9 ? "keys" : "keys?");
            }
            return int(QDialog::Rejected);
        };
        (p.*button)()->click();
        typeRightPassword = true;
        (p.*button)()->click();
        (p.*button)()->click();
        const std::string target = button == &Page::optionsButton   ? "options"
                                   : button == &Page::networkButton ? "network"
                                                                    : "keys";
        EXPECT_EQ(opened, (std::vector<std::string>{"password", "password", target, target}));
    }
    EXPECT_TRUE(notifier.messages().empty());
}

}  // namespace
}  // namespace ketrel::test
