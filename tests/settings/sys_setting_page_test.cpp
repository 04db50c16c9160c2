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
    for (const ReportList* list : {p.serialList(), p.infraredList()}) {
        ASSERT_EQ(list->columnCount(), 4);
        const char* titles[] = {"通道编号", "通道名称", "通信协议", "设备名称"};
        const int widths[] = {80, 120, 150, 450};
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(list->horizontalHeaderItem(c)->text(), titles[c]);
            EXPECT_EQ(list->columnWidth(c), widths[c]);
        }
        EXPECT_TRUE(list->showGrid());
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    }
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
    EXPECT_EQ(p.serialList()->columnCount(), 4);
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

TEST_F(SysSettingPageTest, ListsShowWhatAnEditorSavedWithoutBeingReopened) {
    CDialogSysSetting& p = Start();
    runner.answer = [&](QDialog& d) {
        if (auto* s = dynamic_cast<CDialogModifySerialPort*>(&d)) {
            s->baudList()->setCurrentText("38400");
            s->modelEdit()->setText("新设备");
            s->OnOK();
        } else if (auto* i = dynamic_cast<CDialogModifyInfrared*>(&d)) {
            i->protocolList()->setCurrentText("AIR");
            i->OnOK();
        }
        return d.result();
    };
    p.serialList()->SelectRow(2);
    p.OnSerialListDoubleClick();
    EXPECT_EQ(p.serialList()->Text(2, 2), "38400,Even,8,1");
    EXPECT_EQ(p.serialList()->Text(2, 3), "新设备");
    p.infraredList()->SelectRow(0);
    p.OnInfraredListDoubleClick();
    EXPECT_EQ(p.infraredList()->Text(0, 2), "AIR");
    EXPECT_EQ(Value("select Protocol from IRChannel"), "AIR");
    // Cancelling an editor changes nothing.
    runner.answer = {};
    p.serialList()->SelectRow(0);
    p.OnSerialListDoubleClick();
    EXPECT_EQ(p.serialList()->Text(0, 2), "9600,None,8,1");
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
        EXPECT_EQ(button->text(), b.caption);
        EXPECT_EQ(button->toolTip(), b.caption);
        EXPECT_FALSE(button->icon().isNull());

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

TEST_F(SysSettingPageTest, TerminalInformationDhcpIsEnabledOnlyForExactlyOne) {
    CDialogSysSetting& p = Start();
    struct Case {
        const char* value;
        const char* shown;
    } cases[] = {{"1", "启用"}, {"0", "禁用"}, {"01", "禁用"}, {"", "禁用"}, {"2", "禁用"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(p.SetTerminalInfo("dhcp", c.value));
        EXPECT_EQ(p.terminalField(CDialogSysSetting::kDhcp)->text(), c.shown) << c.value;
    }
    EXPECT_TRUE(p.SetTerminalInfo("cip", "10.0.0.7"));
    EXPECT_EQ(p.terminalField(CDialogSysSetting::kTerminalIp)->text(), "10.0.0.7");
    EXPECT_FALSE(p.SetTerminalInfo("Model", "KT-M4"));
    EXPECT_TRUE(p.terminalField(CDialogSysSetting::kDeviceId)->isReadOnly());
}

}  // namespace
}  // namespace ketrel::test
