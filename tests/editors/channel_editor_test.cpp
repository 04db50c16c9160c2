#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_modify_infrared.h"
#include "dialog_modify_serial_port.h"
#include "dialog_modify_tx_code.h"
#include "editor_fixture.h"
#include "my_edit.h"

namespace ketrel::test {
namespace {

using SerialEditorTest = EditorFixture;
using InfraredEditorTest = EditorFixture;

struct LineSettings {
    std::string baud, parity, dataBits, stopBits;
    bool operator==(const LineSettings&) const = default;
};

std::ostream& operator<<(std::ostream& os, const LineSettings& s) {
    return os << s.baud << "," << s.parity << "," << s.dataBits << "," << s.stopBits;
}

LineSettings Shown(const CDialogModifySerialPort& d) {
    return {d.baudList()->currentText().toStdString(), d.parityList()->currentText().toStdString(),
            d.dataBitsList()->currentText().toStdString(),
            d.stopBitsList()->currentText().toStdString()};
}

std::vector<std::string> Headers(const ReportList* list) {
    std::vector<std::string> out;
    for (int c = 0; c < list->columnCount(); ++c) {
        out.push_back(list->horizontalHeaderItem(c)->text().toStdString() + "/" +
                      std::to_string(list->columnWidth(c)));
    }
    return out;
}

std::vector<std::string> Row(const ReportList* list, int row) {
    std::vector<std::string> out;
    for (int c = 0; c < list->columnCount(); ++c) out.push_back(list->Text(row, c).toStdString());
    return out;
}

TEST_F(SerialEditorTest, OpensWithTheChannelItsCodesAndTheFixedEntries) {
    CDialogModifySerialPort dialog(3, Context());
    EXPECT_EQ(dialog.windowTitle(), "修改串口通道");
    EXPECT_EQ(dialog.numberLabel()->text(), "3");
    EXPECT_EQ(dialog.nameLabel()->text(), "串口3");
    EXPECT_EQ(Shown(dialog), (LineSettings{"9600", "Even", "8", "1"}));
    EXPECT_EQ(dialog.modelEdit()->text(), "电动幕布");
    EXPECT_EQ(dialog.baudList()->count(), 13);
    EXPECT_EQ(dialog.baudList()->itemText(0), "1200");
    EXPECT_EQ(dialog.baudList()->itemText(12), "115200");
    EXPECT_EQ(dialog.parityList()->count(), 3);
    EXPECT_EQ(dialog.dataBitsList()->count(), 2);
    EXPECT_EQ(dialog.stopBitsList()->count(), 2);
    EXPECT_EQ(dialog.importButton()->text(), "从库中导入代码");
    EXPECT_EQ(dialog.importButton()->toolTip(), "从投影机代码库中导入控制码");
    EXPECT_EQ(dialog.okButton()->text(), "确定");

    const ReportList* codes = dialog.codeList();
    EXPECT_EQ(Headers(codes), (std::vector<std::string>{"控制码ID/60", "通道编号/60",
                                                        "控制码名称/100", "控制码(Hex)/390"}));
    EXPECT_TRUE(codes->showGrid());
    EXPECT_EQ(codes->selectionBehavior(), QAbstractItemView::SelectRows);
    ASSERT_EQ(codes->RowCount(), 10);
    EXPECT_EQ(Row(codes, 0), (std::vector<std::string>{"21", "3", "PowerOn", "FF AA EE EE DD"}));
    EXPECT_EQ(Row(codes, 9), (std::vector<std::string>{"30", "3", "FreezeOff", ""}));
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(listReloads, 0) << "opening must not write";
}

TEST_F(SerialEditorTest, StoredLineSettingsPreselectByPrefixIgnoringCase) {
    const LineSettings defaults{"9600", "None", "8", "1"};
    struct Case {
        const char* stored;
        LineSettings shown;
        bool formatMessage;
    } cases[] = {
        {"115200,even,7,2", {"115200", "Even", "7", "2"}, false},
        {"4800,ODD,7,2", {"4800", "Odd", "7", "2"}, false},
        {"1,N,7,2", {"1200", "None", "7", "2"}, false},      // first entry beginning with it
        {"12345,Mark,9,3", defaults, false},                 // no match leaves the defaults
        {"19200,,8,2", {"19200", "None", "8", "2"}, false},  // an empty part selects nothing
        {"", defaults, true},
        {"9600,None,8", defaults, true},
        {"9600,None,8,1,", defaults, true},
        {"9600;None;8;1", defaults, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RawExec(db.path, std::string("update SPChannel set Protocol = '") + c.stored +
                             "' where SPNumber = 2");
        notifier.clear();
        CDialogModifySerialPort dialog(2, Context());
        EXPECT_EQ(Shown(dialog), c.shown);
        const auto messages = notifier.messages();
        if (c.formatMessage) {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, "获取通信协议格式不正确!");
            EXPECT_EQ(messages[0].caption, "");
        } else {
            EXPECT_TRUE(messages.empty());
        }
        // The rest of the channel is shown whatever the protocol.
        EXPECT_EQ(dialog.modelEdit()->text(), "矩阵切换器");
    }
}

TEST_F(SerialEditorTest, EmptyProtocolSavesTheDefaultsOnOK) {
    RawExec(db.path, "update SPChannel set Protocol = '' where SPNumber = 4");
    CDialogModifySerialPort dialog(4, Context());
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"获取通信协议格式不正确!"});
    dialog.OnOK();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(Value("select Protocol from SPChannel where SPNumber = 4"), "9600,None,8,1");
    EXPECT_EQ(listReloads, 1);
    const ConfigImage image = Compile();
    EXPECT_EQ(Bytes(image, layout::SerialSettingsOffset(4), 4),
              (std::vector<std::uint8_t>{5, 0, 8, 1}));
}

TEST_F(SerialEditorTest, OKSavesTheChosenSettingsAndTheTrimmedDeviceName) {
    CDialogModifySerialPort dialog(2, Context());
    dialog.baudList()->setCurrentText("57600");
    dialog.parityList()->setCurrentText("Odd");
    dialog.dataBitsList()->setCurrentText("7");
    dialog.stopBitsList()->setCurrentText("2");
    dialog.modelEdit()->setText("  O'Neil 投影机 ");
    const auto before = Compile();
    dialog.OnOK();
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
    EXPECT_EQ(Value("select Protocol || '|' || Model from SPChannel where SPNumber = 2"),
              "57600,Odd,7,2|O'Neil 投影机");
    EXPECT_EQ(Value("select Protocol from SPChannel where SPNumber = 1"), "9600,None,8,1");
    // Only channel 2's four setting bytes change in the image.
    const auto after = Compile();
    EXPECT_EQ(Bytes(after, layout::SerialSettingsOffset(2), 4),
              (std::vector<std::uint8_t>{10, 1, 7, 2}));
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i >= layout::SerialSettingsOffset(2) && i < layout::SerialSettingsOffset(2) + 4) {
            continue;
        }
        ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }
}

TEST_F(SerialEditorTest, DoubleClickOnACodeEditsItAndTheListShowsTheSavedCode) {
    CDialogModifySerialPort dialog(1, Context());
    ShowForMouse(dialog);
    runner.answer = [&](QDialog& d) {
        auto& code = dynamic_cast<CDialogModifySPTxCode&>(d);
        EXPECT_EQ(code.windowTitle(), "修改串口发送代码");
        EXPECT_EQ(code.ID(), 3);
        EXPECT_EQ(code.SPNumber(), 1);
        EXPECT_EQ(code.CodeName(), "VGA");
        EXPECT_EQ(code.codeNameLabel()->text(), "VGA");
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
    EXPECT_EQ(listReloads, 0) << "a code change leaves the channel row alone";
}

TEST_F(SerialEditorTest, DoubleClickOnTheEmptyAreaOpensNothing) {
    CDialogModifySerialPort dialog(1, Context());
    dialog.codeList()->setMinimumHeight(500);
    ShowForMouse(dialog);
    ClickRow(dialog.codeList(), 4);
    EXPECT_EQ(dialog.lastClickedRow(), 4);
    DoubleClickRow(dialog.codeList(), -1);
    EXPECT_EQ(runner.runs, 0);
    EXPECT_EQ(dialog.codeList()->SelectedRow(), -1);
    EXPECT_EQ(dialog.lastClickedRow(), -1);
}

TEST_F(InfraredEditorTest, OpensWithTheChannelAndItsCodes) {
    CDialogModifyInfrared dialog(1, Context());
    EXPECT_EQ(dialog.windowTitle(), "修改红外通道");
    EXPECT_EQ(dialog.numberLabel()->text(), "1");
    EXPECT_EQ(dialog.nameLabel()->text(), "红外1");
    ASSERT_EQ(dialog.protocolList()->count(), 3);
    EXPECT_EQ(dialog.protocolList()->itemText(1), "RC-5");
    EXPECT_EQ(dialog.protocolList()->itemText(2), "AIR");
    EXPECT_EQ(dialog.protocolList()->currentText(), "NEC");
    EXPECT_EQ(dialog.modelEdit()->text(), "投影机");
    EXPECT_EQ(Headers(dialog.codeList()),
              (std::vector<std::string>{"控制码ID/60", "通道编号/60", "控制码名称/100",
                                        "控制码(Hex)/390"}));
    ASSERT_EQ(dialog.codeList()->RowCount(), 10);
    EXPECT_EQ(Row(dialog.codeList(), 1),
              (std::vector<std::string>{"2", "1", "PowerOff", "00 FF 13 EC"}));
}

TEST_F(InfraredEditorTest, StoredProtocolIsSavedBackAsTheEntryItSelects) {
    struct Case {
        const char* stored;
        const char* saved;
        std::uint8_t imageByte;
    } cases[] = {
        {"RC-5", "RC-5", 1}, {"air", "AIR", 2}, {"rc", "RC-5", 1},
        {"XYZ", "NEC", 0},   {"", "NEC", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        RawExec(db.path, std::string("update IRChannel set Protocol = '") + c.stored + "'");
        CDialogModifyInfrared dialog(1, Context());
        dialog.modelEdit()->setText("幕布 ");
        dialog.OnOK();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(Value("select Protocol || '|' || Model from IRChannel"),
                  std::string(c.saved) + "|幕布");
        EXPECT_EQ(Compile()[layout::kInfraredProtocolOffset], c.imageByte);
    }
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
    EXPECT_EQ(listReloads, 5);
}

TEST_F(InfraredEditorTest, EmptiedCodeIsStoredEmptyAndCompiledAsLengthZero) {
    CDialogModifyInfrared dialog(1, Context());
    ShowForMouse(dialog);
    runner.answer = [&](QDialog& d) {
        auto& code = dynamic_cast<CDialogModifyIRTxCode&>(d);
        EXPECT_EQ(code.windowTitle(), "修改红外发送代码");
        EXPECT_EQ(code.ID(), 2);
        EXPECT_EQ(code.IRNumber(), 1);
        EXPECT_EQ(code.CodeName(), "PowerOff");
        code.clearButton()->click();
        EXPECT_TRUE(code.okButton()->isEnabled());
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
    EXPECT_EQ(image[layout::InfraredLengthOffset(1)], 4);
}

// A failed save shows the editor's message without a caption, and the dialog closes all the
// same; the list that opened it is still reloaded.
TEST_F(EditorFixture, SaveFailuresShowTheirMessageAndStillClose) {
    struct Case {
        const char* what;
        const char* breakIt;  // SQL, or null to remove the file
        const char* message;
    } cases[] = {
        {"serial channel", nullptr, "sqlite3_open for Config error!!!"},
        {"serial channel", "drop table SPChannel", "sqlite3_exec for SPChannel error!!!"},
        {"infrared channel", nullptr, "sqlite3_open for Config error!!!"},
        {"infrared channel", "drop table IRChannel", "sqlite3_exec for IRChannel error!!!"},
        {"serial code", "drop table SPTxCode", "sqlite3_exec for SPTxCode error!!!"},
        {"infrared code", "drop table IRTxCode", "sqlite3_exec for IRTxCode error!!!"},
        {"infrared code", nullptr, "sqlite3_open for Config error!!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " " + c.message);
        std::filesystem::remove(db.path);
        ASSERT_TRUE(CreateSuppliedDatabase(db.path));
        notifier.clear();
        listReloads = 0;
        const std::string what = c.what;
        std::unique_ptr<QDialog> dialog;
        if (what == "serial channel") {
            dialog = std::make_unique<CDialogModifySerialPort>(1, Context());
        } else if (what == "infrared channel") {
            dialog = std::make_unique<CDialogModifyInfrared>(1, Context());
        } else if (what == "serial code") {
            dialog =
                std::make_unique<CDialogModifySPTxCode>(db.path, notifier, 1, 1, "PowerOn", "A5");
        } else {
            dialog =
                std::make_unique<CDialogModifyIRTxCode>(db.path, notifier, 1, 1, "PowerOn", "A5");
        }
        if (c.breakIt) {
            RawExec(db.path, c.breakIt);
        } else {
            std::filesystem::remove(db.path);
        }
        if (auto* s = dynamic_cast<CDialogModifySerialPort*>(dialog.get())) s->OnOK();
        if (auto* i = dynamic_cast<CDialogModifyInfrared*>(dialog.get())) i->OnOK();
        if (auto* t = dynamic_cast<CDialogModifyTxCode*>(dialog.get())) t->OnOK();
        const auto messages = notifier.messages();
        ASSERT_EQ(messages.size(), 1u) << Joined(notifier);
        EXPECT_EQ(messages[0].text, c.message);
        EXPECT_EQ(messages[0].caption, "");
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(listReloads, what.find("channel") != std::string::npos ? 1 : 0);
    }
}

// Reads that fail stay silent and leave the controls as created.
TEST_F(EditorFixture, LoadFailuresAreSilent) {
    std::filesystem::remove(db.path);
    CDialogModifySerialPort serial(1, Context());
    CDialogModifyInfrared infrared(1, Context());
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
    EXPECT_EQ(serial.numberLabel()->text(), "");
    EXPECT_EQ(Shown(serial), (LineSettings{"9600", "None", "8", "1"}));
    EXPECT_EQ(serial.codeList()->RowCount(), 0);
    EXPECT_EQ(infrared.protocolList()->currentText(), "NEC");
    EXPECT_EQ(infrared.codeList()->RowCount(), 0);
    // A channel number with no row.
    ASSERT_TRUE(CreateSuppliedDatabase(db.path));
    CDialogModifySerialPort missing(9, Context());
    EXPECT_TRUE(notifier.messages().empty());
    EXPECT_EQ(missing.modelEdit()->text(), "");
    EXPECT_EQ(missing.codeList()->RowCount(), 0);
}

}  // namespace
}  // namespace ketrel::test
