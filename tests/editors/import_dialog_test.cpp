// The projector import dialog opened from the serial channel editor, against a CONFIG in a
// temporary directory.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/channel_store.h"
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

// The SQLite library: both formats give the same rows, which the projector tests check.
class ImportDialogTest : public EditorFixture {
  protected:
    void SetUp() override {
        std::filesystem::copy_file(std::string(KETREL_PROJECTOR_TEST_DATA) + "/DEVICES.sqlite",
                                   devicesPath);
    }

    // The user clicks a brand, then a model, as a real click on the row.
    void Choose(CDialogImportProjector& d, const std::string& brand, const std::string& model) {
        ClickRow(d.brandList(), RowOf(d.brandList(), brand));
        if (!model.empty()) ClickRow(d.modelList(), RowOf(d.modelList(), model));
    }

    std::string devicesPath = db.dir.file("DEVICES");
};

// Another brand, or a click below the brands, clears the model chosen before, so an import can
// never put one brand's name on another brand's codes.
TEST_F(ImportDialogTest, AnotherBrandClearsTheChosenModel) {
    StoredSerialChannel channel(db.path, 1, notifier);
    const auto library = projector::MakeDeviceLibrary(devicesPath);
    CDialogImportProjector dialog(*library, notifier, channel, 1);
    ShowForMouse(dialog);
    Choose(dialog, "Alpha", "X1'S");
    EXPECT_EQ(Column(dialog.codeList(), 1),
              std::vector<std::string>(std::begin(kAlphaCodes), std::end(kAlphaCodes)));
    EXPECT_EQ(dialog.protocolText()->text(), "9600,None,8,1");
    Choose(dialog, "示例", "");
    EXPECT_EQ(dialog.Model(), "");
    EXPECT_EQ(dialog.codeList()->RowCount(), 0);
    EXPECT_EQ(dialog.protocolText()->text(), "");
    Choose(dialog, "示例", "投影机A");
    QTest::mouseClick(dialog.brandList()->viewport(), Qt::LeftButton, {},
                      QPoint(10, dialog.brandList()->RowRect(3).bottom() + 10));
    EXPECT_EQ(dialog.Brand(), "");
    EXPECT_EQ(dialog.Model(), "");
    EXPECT_EQ(dialog.modelList()->RowCount(), 0);
    EXPECT_EQ(dialog.codeList()->RowCount(), 0);
    EXPECT_EQ(dialog.protocolText()->text(), "");
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(ImportDialogTest, ImportFromTheSerialEditorFillsTheChannel) {
    CDialogModifySerialPort editor(2, Context());
    const ConfigImage before = Compile();
    struct Case {
        const char* model;
        const char* protocol;
    } cases[] = {{"X1", "9600,None,8,1"}, {"X2", "19200,None,8,1"}};  // X2 has HDMI
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
    }
    EXPECT_EQ(runner.runs, 2);
    EXPECT_EQ(listReloads, 2) << "the channel list must show an import even if the editor is "
                                 "cancelled";

    const ConfigImage after = Compile();
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
TEST_F(ImportDialogTest, ChannelLackingACodeChangesNothing) {
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

}  // namespace
}  // namespace ketrel::test
