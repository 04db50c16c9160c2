// The projector import dialog opened from the serial channel editor, against a CONFIG in a
// temporary directory and a DEVICES library in either format.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/channel_store.h"
#include "dialog_fixture_files.h"
#include "editor_fixture.h"
#include "editors/dialog_import_projector.h"
#include "editors/dialog_modify_serial_port.h"
#include "projector/device_library.h"

namespace ketrel::test {
namespace {

const char* const kAlphaCodes[] = {
    "BE EF 03 06 00 BA D2 01 00 00 60 01 00", "BE EF 03 06 00 2A D3 01 00 00 60 00 00",
    "BE EF 03 06 00 FE D2 01 00 00 20 00 00", "BE EF 03 06 00 6E D3 01 00 00 20 01 00"};

std::vector<std::string> Column(const ReportList* list, int column) {
    std::vector<std::string> out;
    for (int r = 0; r < list->RowCount(); ++r) out.push_back(list->Text(r, column).toStdString());
    return out;
}

int RowOf(const ReportList* list, const std::string& text) {
    for (int r = 0; r < list->RowCount(); ++r) {
        if (list->Text(r, 0).toStdString() == text) return r;
    }
    ADD_FAILURE() << text << " is not listed";
    return -1;
}

// Each case runs against the Access file and the SQLite file with the same rows.
class ImportDialogTest : public EditorFixture, public ::testing::WithParamInterface<const char*> {
  protected:
    void SetUp() override { CopyFixture(GetParam(), devicesPath); }

    // The user clicks a brand, then a model, as a real click on the row.
    void Choose(CDialogImportProjector& d, const std::string& brand, const std::string& model) {
        ClickRow(d.brandList(), RowOf(d.brandList(), brand));
        if (!model.empty()) ClickRow(d.modelList(), RowOf(d.modelList(), model));
    }

    std::string devicesPath = db.dir.file("DEVICES");
};

TEST_P(ImportDialogTest, ListsBrandsModelsCodesAndProtocol) {
    StoredSerialChannel channel(db.path, 1, notifier);
    const auto library = projector::MakeDeviceLibrary(devicesPath);
    CDialogImportProjector dialog(*library, notifier, channel, 1);
    ShowForMouse(dialog);
    EXPECT_EQ(Column(dialog.brandList(), 0),
              (std::vector<std::string>{"Alpha", "Beta", "Gamma", "示例"}));
    Choose(dialog, "Alpha", "X1'S");
    EXPECT_EQ(Column(dialog.modelList(), 0), (std::vector<std::string>{"X1", "X1'S", "X2"}));
    EXPECT_EQ(dialog.Brand(), "Alpha");
    EXPECT_EQ(dialog.Model(), "X1'S");
    EXPECT_EQ(Column(dialog.codeList(), 0),
              (std::vector<std::string>{"PowerOn", "PowerOff", "VGA", "Video"}));
    EXPECT_EQ(Column(dialog.codeList(), 1),
              std::vector<std::string>(std::begin(kAlphaCodes), std::end(kAlphaCodes)));
    EXPECT_EQ(dialog.protocolText()->text(), "9600,None,8,1");

    // Another brand clears the model chosen under the earlier one, so an import can never put
    // one brand's name on another brand's codes.
    Choose(dialog, "示例", "");
    EXPECT_EQ(dialog.Model(), "");
    EXPECT_EQ(dialog.codeList()->RowCount(), 0);
    EXPECT_EQ(dialog.protocolText()->text(), "");
    Choose(dialog, "示例", "投影机A");
    EXPECT_EQ(Column(dialog.modelList(), 0), (std::vector<std::string>{"投影机A", "S1"}));
    EXPECT_EQ(dialog.codeList()->Text(3, 1), "AA BB 02 00 02 CC");

    // A click on the empty area of the brand list clears the other lists and the protocol.
    QTest::mouseClick(dialog.brandList()->viewport(), Qt::LeftButton, {},
                      QPoint(10, dialog.brandList()->RowRect(3).bottom() + 10));
    EXPECT_EQ(dialog.Brand(), "");
    EXPECT_EQ(dialog.Model(), "");
    EXPECT_EQ(dialog.modelList()->RowCount(), 0);
    EXPECT_EQ(dialog.codeList()->RowCount(), 0);
    EXPECT_EQ(dialog.protocolText()->text(), "");
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_P(ImportDialogTest, ImportFromTheSerialEditorFillsTheChannel) {
    CDialogModifySerialPort editor(2, Context());
    const ConfigImage before = Compile();
    struct Case {
        const char* model;
        const char* protocol;
        std::uint8_t baudByte;
    } cases[] = {{"X1", "9600,None,8,1", 5}, {"X2", "19200,None,8,1", 7}};  // X2 has HDMI
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        runner.answer = [&](QDialog& d) {
            auto& dialog = dynamic_cast<CDialogImportProjector&>(d);
            EXPECT_EQ(dialog.SPNumber(), 2);
            ShowForMouse(dialog);
            Choose(dialog, "Alpha", c.model);
            dialog.importButton()->click();
            return dialog.result();
        };
        editor.importButton()->click();
        EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(Value("select Code from SPTxCode where ID = " + std::to_string(11 + i)),
                      kAlphaCodes[i]);
            EXPECT_EQ(editor.codeList()->Text(i, 3), kAlphaCodes[i]) << "not redisplayed";
        }
        EXPECT_EQ(Value("select Code from SPTxCode where ID = 15"), "2A 33 56 31 23")
            << "an HDMI code reached the channel";
        EXPECT_EQ(Value("select Protocol || '|' || Model from SPChannel where SPNumber = 2"),
                  std::string(c.protocol) + "|Alpha-" + c.model);
        EXPECT_EQ(editor.modelEdit()->text().toStdString(), std::string("Alpha-") + c.model);
        EXPECT_EQ(Compile()[layout::SerialSettingsOffset(2)], c.baudByte);
    }
    EXPECT_EQ(runner.runs, 2);
    EXPECT_EQ(listReloads, 2) << "the channel list must show an import even if the editor is "
                                 "cancelled";

    const ConfigImage after = Compile();
    EXPECT_EQ(Bytes(after, layout::SerialCodeOffset(2, 1), 14),
              (std::vector<std::uint8_t>{0xBE, 0xEF, 0x03, 0x06, 0x00, 0xBA, 0xD2, 0x01, 0x00, 0x00,
                                         0x60, 0x01, 0x00, 0x00}));
    EXPECT_EQ(Bytes(after, layout::SerialLengthOffset(2, 1), 5),
              (std::vector<std::uint8_t>{13, 13, 13, 13, 5}));
    // Nothing else changed: channel 2's four code slots, their lengths and its baud byte only.
    for (std::size_t i = 0; i < after.size(); ++i) {
        const bool slot = i >= layout::SerialCodeOffset(2, 1) && i < layout::SerialCodeOffset(2, 5);
        const bool length =
            i >= layout::SerialLengthOffset(2, 1) && i < layout::SerialLengthOffset(2, 5);
        if (!slot && !length && i != layout::SerialSettingsOffset(2)) {
            ASSERT_EQ(after[i], before[i]) << "byte " << i;
        }
    }
}

// The import's own refusals are the projector tests'; here the editor neither writes nor
// refreshes its channel list after one.
TEST_P(ImportDialogTest, ChannelLackingACodeChangesNothing) {
    RawExec(db.path, "update SPTxCode set CodeName = 'Video2' where ID = 4");
    const auto counter = ChangeCounter(db.path);
    CDialogModifySerialPort editor(1, Context());
    runner.answer = [&](QDialog& d) {
        auto& dialog = dynamic_cast<CDialogImportProjector&>(d);
        ShowForMouse(dialog);
        Choose(dialog, "Alpha", "X1");
        dialog.OnImport();
        return dialog.result();
    };
    editor.OnImport();
    EXPECT_EQ(notifier.texts(),
              std::vector<std::string>{"发送代码列表中无Video项,请先添加后再选择导入!"});
    EXPECT_EQ(ChangeCounter(db.path), counter);
    EXPECT_EQ(listReloads, 0);
}

INSTANTIATE_TEST_SUITE_P(BothFormats, ImportDialogTest,
                         ::testing::Values("DEVICES.mdb", "DEVICES.sqlite"), [](const auto& info) {
                             return std::string(info.param).substr(8) == "mdb" ? "Access"
                                                                               : "SQLite";
                         });

// A library whose brands list but whose devices cannot be read: the message, no models, no crash.
// The other unusable libraries are the projector tests'.
TEST_F(EditorFixture, LibraryWithoutDevicesShowsItsMessage) {
    const std::string path = db.dir.file("DEVICES");
    RawCreate(path, "create table Brand(Brand text); insert into Brand values('Alpha');");
    StoredSerialChannel channel(db.path, 1, notifier);
    const auto library = projector::MakeDeviceLibrary(path);
    CDialogImportProjector dialog(*library, notifier, channel, 1);
    if (dialog.brandList()->RowCount() > 0) {
        dialog.brandList()->SelectRow(0);
        dialog.OnBrandClicked();
    }
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"打开数据库失败!"});
    EXPECT_EQ(notifier.messages()[0].caption, "错误");
    EXPECT_EQ(dialog.modelList()->RowCount(), 0);
}

}  // namespace
}  // namespace ketrel::test
