#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "editor_fixture.h"
#include "editors/dialog_modify_infrared.h"
#include "editors/dialog_modify_serial_port.h"
#include "editors/dialog_modify_tx_code.h"
#include "widgets/my_edit.h"

namespace ketrel::test {
namespace {

using SerialEditorTest = EditorFixture;
using InfraredEditorTest = EditorFixture;

std::string Shown(const CDialogModifySerialPort& d) {
    return (d.baudList()->currentText() + "," + d.parityList()->currentText() + "," +
            d.dataBitsList()->currentText() + "," + d.stopBitsList()->currentText())
        .toStdString();
}

TEST_F(SerialEditorTest, OpensWithTheChannelAndItsCodes) {
    CDialogModifySerialPort dialog(3, Context());
    EXPECT_EQ(dialog.numberLabel()->text(), "3");
    EXPECT_EQ(dialog.nameLabel()->text(), "串口3");
    EXPECT_EQ(Shown(dialog), "9600,Even,8,1");
    EXPECT_EQ(dialog.modelEdit()->text(), "电动幕布");
    const ReportList* codes = dialog.codeList();
    ASSERT_EQ(codes->RowCount(), 10);
    EXPECT_EQ(codes->Text(0, 0) + codes->Text(0, 1) + codes->Text(0, 2) + codes->Text(0, 3),
              "213PowerOnFF AA EE EE DD");
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(listReloads, 0) << "opening must not write";
}

// What is shown is what OK stores: an unreadable value is replaced by the defaults.
TEST_F(SerialEditorTest, StoredLineSettingsPreselectByPrefixIgnoringCase) {
    struct Case {
        const char* stored;
        const char* shown;
        bool formatMessage;
    } cases[] = {
        {"115200,even,7,2", "115200,Even,7,2", false},
        {"1,N,7,2", "1200,None,7,2", false},         // the first entry beginning with it
        {"12345,Mark,9,3", "9600,None,8,1", false},  // no match leaves the defaults
        {"19200,,8,2", "19200,None,8,2", false},     // an empty part selects nothing
        {"", "9600,None,8,1", true},
        {"9600,None,8", "9600,None,8,1", true},
        {"9600,None,8,1,", "9600,None,8,1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RawExec(db.path, std::string("update SPChannel set Protocol = '") + c.stored +
                             "' where SPNumber = 2");
        notifier.clear();
        CDialogModifySerialPort dialog(2, Context());
        EXPECT_EQ(Shown(dialog), c.shown);
        EXPECT_EQ(dialog.modelEdit()->text(), "矩阵切换器");
        if (c.formatMessage) {
            ASSERT_EQ(notifier.messages().size(), 1u);
            EXPECT_EQ(notifier.messages()[0].text, "获取通信协议格式不正确!");
            EXPECT_EQ(notifier.messages()[0].caption, "");
        } else {
            EXPECT_TRUE(notifier.messages().empty());
        }
        dialog.OnOK();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(Value("select Protocol from SPChannel where SPNumber = 2"), c.shown);
    }
    EXPECT_EQ(listReloads, static_cast<int>(std::size(cases)));
}

TEST_F(SerialEditorTest, OKSavesTheChosenSettingsAndTheTrimmedDeviceName) {
    CDialogModifySerialPort dialog(2, Context());
    dialog.baudList()->setCurrentText("57600");
    dialog.parityList()->setCurrentText("Odd");
    dialog.dataBitsList()->setCurrentText("7");
    dialog.stopBitsList()->setCurrentText("2");
    dialog.modelEdit()->setText("  O'Neil 投影机 ");
    dialog.OnOK();
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
    EXPECT_EQ(Value("select Protocol || '|' || Model from SPChannel where SPNumber = 2"),
              "57600,Odd,7,2|O'Neil 投影机");
    EXPECT_EQ(Bytes(Compile(), layout::SerialSettingsOffset(2), 4),
              (std::vector<std::uint8_t>{10, 1, 7, 2}));
}

TEST_F(SerialEditorTest, DoubleClickOnACodeEditsItAndTheListShowsTheSavedCode) {
    CDialogModifySerialPort dialog(1, Context());
    dialog.codeList()->setMinimumHeight(500);
    ShowForMouse(dialog);
    runner.answer = [&](QDialog& d) {
        auto& code = dynamic_cast<CDialogModifySPTxCode&>(d);
        EXPECT_EQ(code.ID(), 3);
        EXPECT_EQ(code.codeEdit()->text(), "A5 01 10 01 B7");
        code.codeEdit()->setText("A5 01 0F ");
        code.OnOK();
        return code.result();
    };
    DoubleClickRow(dialog.codeList(), 2);
    EXPECT_EQ(runner.runs, 1);
    EXPECT_EQ(Value("select Code from SPTxCode where ID = 3"), "A5 01 0F");
    EXPECT_EQ(dialog.codeList()->Text(2, 3), "A5 01 0F") << "the list was not reloaded";
    const ConfigImage image = Compile();
    EXPECT_EQ(Bytes(image, layout::SerialCodeOffset(1, 3), 5),
              (std::vector<std::uint8_t>{0xA5, 0x01, 0x0F, 0, 0}));
    EXPECT_EQ(image[layout::SerialLengthOffset(1, 3)], 3);

    // Below the rows nothing opens, even with a row chosen before.
    DoubleClickRow(dialog.codeList(), -1);
    EXPECT_EQ(runner.runs, 1);
}

TEST_F(InfraredEditorTest, StoredProtocolIsSavedBackAsTheEntryItSelects) {
    struct Case {
        const char* stored;
        const char* saved;
    } cases[] = {{"RC-5", "RC-5"}, {"air", "AIR"}, {"XYZ", "NEC"}, {"", "NEC"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RawExec(db.path, std::string("update IRChannel set Protocol = '") + c.stored + "'");
        CDialogModifyInfrared dialog(1, Context());
        dialog.modelEdit()->setText("幕布 ");
        dialog.OnOK();
        EXPECT_EQ(Value("select Protocol || '|' || Model from IRChannel"),
                  std::string(c.saved) + "|幕布");
    }
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
    EXPECT_EQ(listReloads, 4);
}

TEST_F(InfraredEditorTest, EmptiedCodeIsStoredEmptyAndCompiledAsLengthZero) {
    CDialogModifyInfrared dialog(1, Context());
    ShowForMouse(dialog);
    runner.answer = [&](QDialog& d) {
        auto& code = dynamic_cast<CDialogModifyIRTxCode&>(d);
        EXPECT_EQ(code.ID(), 2);
        code.clearButton()->click();
        code.okButton()->click();
        return code.result();
    };
    DoubleClickRow(dialog.codeList(), 1);
    ASSERT_EQ(runner.runs, 1);
    EXPECT_EQ(Value("select Code from IRTxCode where ID = 2"), "");
    EXPECT_EQ(dialog.codeList()->Text(1, 3), "");
    const ConfigImage image = Compile();
    EXPECT_EQ(image[layout::InfraredLengthOffset(2)], 0);
    EXPECT_EQ(Bytes(image, layout::InfraredCodeOffset(2), 32), std::vector<std::uint8_t>(32, 0));
}

// Tab leaves the code list for the buttons; Enter, Return and F2 open the chosen code and never
// press the dialog's 确定.
TEST_F(EditorFixture, KeyboardOnTheCodeList) {
    const std::unique_ptr<QDialog> dialogs[] = {
        std::make_unique<CDialogModifySerialPort>(1, Context()),
        std::make_unique<CDialogModifyInfrared>(1, Context())};
    std::vector<int> opened;
    runner.answer = [&](QDialog& d) {
        opened.push_back(dynamic_cast<CDialogModifyTxCode&>(d).ID());
        return int(QDialog::Rejected);
    };
    for (const auto& dialog : dialogs) {
        ShowForMouse(*dialog);
        auto* list = dialog->findChild<ReportList*>();
        list->setFocus();
        for (int tabs = 0; tabs < 3 && dialog->focusWidget()->objectName() != "button1003";
             ++tabs) {
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
        }
        EXPECT_EQ(dialog->focusWidget()->objectName(), "button1003");
        list->setFocus();
        list->SelectRow(1);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F2}) QTest::keyClick(list, key);
        EXPECT_TRUE(dialog->isVisible()) << "Enter pressed 确定";
    }
    EXPECT_EQ(opened, (std::vector<int>{2, 2, 2, 2, 2, 2}));
}

// Reads that fail are silent; a failed save shows its message without a caption and the dialog
// closes all the same.
TEST_F(EditorFixture, FailuresOfTheDatabase) {
    struct Case {
        const char* what;
        const char* breakIt;  // SQL, or null to remove the file
        const char* message;
    } cases[] = {
        {"serial", nullptr, "sqlite3_open for Config error!!!"},
        {"serial", "drop table SPChannel", "sqlite3_exec for SPChannel error!!!"},
        {"infrared", "drop table IRChannel", "sqlite3_exec for IRChannel error!!!"},
        {"code", "drop table SPTxCode", "sqlite3_exec for SPTxCode error!!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::filesystem::remove(db.path);
        ASSERT_TRUE(CreateSuppliedDatabase(db.path));
        if (c.breakIt) RawExec(db.path, c.breakIt);
        if (!c.breakIt) std::filesystem::remove(db.path);
        notifier.clear();
        auto confirm = [&](auto d) {
            EXPECT_TRUE(notifier.messages().empty()) << "a failed read spoke";
            d->OnOK();
            return std::unique_ptr<QDialog>(std::move(d));
        };
        const std::string what = c.what;
        const std::unique_ptr<QDialog> dialog =
            what == "serial"     ? confirm(std::make_unique<CDialogModifySerialPort>(1, Context()))
            : what == "infrared" ? confirm(std::make_unique<CDialogModifyInfrared>(1, Context()))
                                 : confirm(std::make_unique<CDialogModifySPTxCode>(
                                       db.path, notifier, 1, 1, "P", "A5"));
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(notifier.messages()[0].caption, "");
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
}

}  // namespace
}  // namespace ketrel::test
