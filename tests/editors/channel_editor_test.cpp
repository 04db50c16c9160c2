#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

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

}  // namespace
}  // namespace ketrel::test
