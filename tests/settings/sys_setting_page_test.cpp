#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_key_code.h"
#include "dialog_modify_infrared.h"
#include "dialog_modify_serial_port.h"
#include "dialog_password.h"
#include "page_fixture.h"

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
    // Once a row was chosen, a double click below the rows still opens nothing.
    DoubleClickRow(p.serialList(), -1);
    EXPECT_EQ(runner.runs, 2);
}

TEST_F(SysSettingPageTest, SettingsButtonsGoThroughThePasswordGate) {
    struct Button {
        const char* caption;
        QPushButton* (CDialogSysSetting::*get)() const;
        void (CDialogSysSetting::*press)();
    } buttons[] = {
        {"选项参数", &CDialogSysSetting::optionsButton, &CDialogSysSetting::OnOptions},
        {"网络参数", &CDialogSysSetting::networkButton, &CDialogSysSetting::OnNetwork},
        {"键码定义", &CDialogSysSetting::keyCodeButton, &CDialogSysSetting::OnKeyCode},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.caption);
        CDialogSysSetting& p = Start("s3cret");
        int options = 0, network = 0, keyLists = 0, asked = 0;
        p.SetOptionsOpener([&] { ++options; });
        p.SetNetworkOpener([&] { ++network; });
        bool typeRightPassword = false;
        runner.answer = [&](QDialog& d) {
            if (auto* pw = dynamic_cast<CDialogPassword*>(&d)) {
                ++asked;
                if (!typeRightPassword) return int(QDialog::Rejected);
                pw->passwordField()->setText("s3cret");
                pw->OnOK();
                return pw->result();
            }
            if (auto* keys = dynamic_cast<CDialogKeyCode*>(&d)) {
                ++keyLists;
                EXPECT_EQ(keys->keyList()->RowCount(), 9);
            }
            return int(QDialog::Rejected);
        };
        QPushButton* button = (p.*b.get)();

        // Closing the password dialog stops the button.
        button->click();
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(options + network + keyLists, 0);
        // Once accepted, the password is not asked again in this run.
        typeRightPassword = true;
        button->click();
        (p.*b.press)();
        EXPECT_EQ(asked, 2);
        const std::string caption = b.caption;
        EXPECT_EQ(options, caption == "选项参数" ? 2 : 0);
        EXPECT_EQ(network, caption == "网络参数" ? 2 : 0);
        EXPECT_EQ(keyLists, caption == "键码定义" ? 2 : 0);
    }
    EXPECT_TRUE(notifier.messages().empty());
}

}  // namespace
}  // namespace ketrel::test
