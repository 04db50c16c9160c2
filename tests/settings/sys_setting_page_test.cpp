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

std::vector<std::string> Rows(const ReportList* list) {
    std::vector<std::string> out;
    for (int r = 0; r < list->RowCount(); ++r) {
        std::string row;
        for (int c = 0; c < list->columnCount(); ++c) {
            row += (c ? "|" : "") + list->Text(r, c).toStdString();
        }
        out.push_back(row);
    }
    return out;
}

TEST_F(SysSettingPageTest, ListsShowTheChannelTables) {
    CDialogSysSetting& p = Start();
    EXPECT_EQ(Rows(p.serialList()),
              (std::vector<std::string>{
                  "1|串口1|9600,None,8,1|投影机", "2|串口2|19200,None,8,1|矩阵切换器",
                  "3|串口3|9600,Even,8,1|电动幕布", "4|串口4|115200,None,8,1|"}));
    EXPECT_EQ(Rows(p.infraredList()), std::vector<std::string>{"1|红外1|NEC|投影机"});
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(SysSettingPageTest, EmptyOrUnreadableTablesLeaveTheListsEmptyAndDoubleClickOpensNothing) {
    RawExec(dbPath, "delete from SPChannel; drop table IRChannel;");
    CDialogSysSetting& p = Start();
    EXPECT_EQ(p.serialList()->RowCount(), 0);
    EXPECT_EQ(p.infraredList()->RowCount(), 0);
    ShowForMouse(p);
    DoubleClickRow(p.serialList(), -1);
    DoubleClickRow(p.infraredList(), -1);
    EXPECT_EQ(runner.runs, 0);
    std::filesystem::remove(dbPath);
    p.ReloadSerialList();
    EXPECT_EQ(p.serialList()->RowCount(), 0);
    EXPECT_TRUE(notifier.messages().empty()) << "list failures are silent";
}

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
    // Enter or F2 on the chosen row opens it as a double click does.
    openedSerial = openedInfrared = -1;
    p.serialList()->SelectRow(1);
    QTest::keyClick(p.serialList(), Qt::Key_Return);
    QTest::keyClick(p.infraredList(), Qt::Key_F2);
    EXPECT_EQ(openedSerial, 12);
    EXPECT_EQ(openedInfrared, 7);
    // Once a row was chosen, a double click below the rows still opens nothing.
    DoubleClickRow(p.serialList(), -1);
    EXPECT_EQ(runner.runs, 4);
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
