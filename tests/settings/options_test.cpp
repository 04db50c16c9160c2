#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>

#include "link/serial_link.h"
#include "platform/app_state.h"
#include "settings/dialog_option.h"
#include "settings/dialog_option_program_chooser.h"
#include "settings/dialog_option_spin.h"
#include "system_config_fixture.h"
#include "widgets/my_edit.h"

namespace ketrel::test {
namespace {

class AnsweringPrompter : public ProgramPathPrompter {
  public:
    std::optional<std::string> ChooseProgram(QWidget*, const std::string&) override {
        ++asked;
        return answer;
    }
    std::optional<std::string> answer;
    int asked = 0;
};

using Option = CDialogOption;
const QColor kRed(255, 0, 0);
const std::vector<std::string> kTooLong{"输入名称过长!"};

class OptionDialogTest : public SystemConfigFixture {
  protected:
    std::unique_ptr<Option> Open() {
        return std::make_unique<Option>(state, link, notifier, nullptr, &prompter);
    }
    std::uint32_t StoredWord() {
        return static_cast<std::uint32_t>(std::stoul(Stored("FuncFlag")));
    }
    // A drag of the slider's handle to a value, let go at the end.
    static void Drag(QSlider* slider, int value) {
        slider->setSliderDown(true);
        slider->setValue(value);
        slider->setSliderDown(false);
    }

    AppState state{dir.path()};
    SerialLink link{notifier};
    AnsweringPrompter prompter;
};

TEST_F(OptionDialogTest, OpeningShowsTheStoredValuesAndWritesNothing) {
    // Bits 0, 3, 9, 11 (fixed EDID), field 2 (HDMI-2), 14, 17, and bits the dialog never shows.
    Store("FuncFlag", std::to_string(0x1u | 0x8u | 0x200u | 0x800u | 0x2000u | 0x4000u | 0x20000u |
                                     0x400u | 0x80000000u));
    Store("ReSendOnDly", "7");
    Store("PowerOffDly", "5000");  // more than the field allows: shown as its maximum
    Store("UnLockDly", "-3");
    Remove("StartupDly");
    Store("MaxVolume", "10");
    Store("DefVolume", "4");
    Store("LineInputVol", "99");
    Store("InputProbeClose1", "3");
    Store("InputProbeOpen2", "12");  // no such action: nothing selected
    Store("GACLeaveFunc", "9");
    const auto before = ChangeCounter(path);

    Option dialog(state, link, notifier, nullptr, &prompter);
    EXPECT_EQ(ChangeCounter(path), before) << "opening the dialog wrote";
    EXPECT_TRUE(notifier.texts().empty());
    EXPECT_TRUE(dialog.optionsLoaded());
    for (int bit = 0; bit < 18; ++bit) {
        const bool shown = bit != 10 && bit != 12 && bit != 13;
        ASSERT_EQ(dialog.flagBox(bit) != nullptr, shown) << bit;
        if (shown) {
            EXPECT_EQ(dialog.flagBox(bit)->isChecked(), ((0x24A09u >> bit) & 1u) != 0) << bit;
        }
    }
    EXPECT_TRUE(dialog.edidButton(Option::kHdmi2)->isChecked());
    EXPECT_FALSE(dialog.edidButton(Option::kHdmi1)->isEnabled()) << "fixed EDID";
    const char* delays[] = {"7", "5", "3", "", "3600", "0"};
    for (int i = 0; i < Option::kDelayCount; ++i) EXPECT_EQ(dialog.delayEdit(i)->text(), delays[i]);
    EXPECT_EQ(dialog.maxVolumeSlider()->value(), 10);
    EXPECT_EQ(dialog.defVolumeSlider()->value(), 4);
    EXPECT_EQ(dialog.lineVolumeSlider()->value(), 31);
    EXPECT_EQ(dialog.micVolumeSlider()->value(), 9);
    const int actions[] = {3, 0, 0, -1, 1, 9};
    for (int i = 0; i < Option::kActionCount; ++i)
        EXPECT_EQ(dialog.actionList(i)->currentIndex(), actions[i]) << i;
}

TEST_F(OptionDialogTest, OptionWordKeepsEveryBitTheDialogDoesNotShow) {
    const std::uint32_t hidden = 0x400u | 0xFFFC0000u;
    Store("FuncFlag", std::to_string(hidden | 0x1000u));  // HDMI-1
    auto dialog = Open();
    const std::pair<QAbstractButton*, std::uint32_t> steps[] = {
        // the shown bits afterwards
        {dialog->flagBox(17), 0x1000u | 0x20000u},
        {dialog->edidButton(Option::kVga1), 0x3000u | 0x20000u},
        {dialog->edidButton(Option::kHdmi3), 0x20000u},
        {dialog->edidButton(Option::kHdmi2), 0x2000u | 0x20000u},
        // A fixed EDID keeps the source as it is.
        {dialog->flagBox(11), 0x800u | 0x2000u | 0x20000u},
        {dialog->flagBox(11), 0x2000u | 0x20000u},
        {dialog->flagBox(3), 0x8u | 0x2000u | 0x20000u},
        {dialog->flagBox(14), 0x4000u | 0x8u | 0x2000u | 0x20000u},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first->click();
        EXPECT_EQ(StoredWord(), hidden | steps[i].second) << "step " << i;
    }
    dialog->flagBox(11)->click();
    EXPECT_FALSE(dialog->edidButton(Option::kVga1)->isEnabled());
    dialog->flagBox(11)->click();
    EXPECT_TRUE(dialog->edidButton(Option::kVga1)->isEnabled());
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, MissingOptionWordLeavesEverythingUnwritten) {
    Remove("FuncFlag");
    auto dialog = Open();
    EXPECT_FALSE(dialog->flagBox(0)->isChecked());
    EXPECT_TRUE(dialog->edidButton(Option::kHdmi3)->isChecked()) << "a missing word is 0";
    const auto before = ChangeCounter(path);
    dialog->flagBox(0)->click();
    dialog->flagBox(16)->click();
    dialog->edidButton(Option::kVga1)->click();
    dialog->flagBox(11)->click();
    EXPECT_EQ(ChangeCounter(path), before);
    EXPECT_EQ(Stored("FuncFlag"), "<missing>");
    EXPECT_TRUE(dialog->flagBox(0)->isChecked()) << "the control still changes";
    EXPECT_FALSE(dialog->edidButton(Option::kVga1)->isEnabled());
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, DelaysStoreWhatIsTypedUpTo3600) {
    const char* keys[] = {"ReSendOnDly", "ReSendOffDly", "PowerOnDly",
                          "StartupDly",  "PowerOffDly",  "UnLockDly"};
    const struct {
        const char* typed;
        const char* shown;  // and stored
    } cases[] = {
        {"4000", "3600"}, {"3600", "3600"}, {"", ""},
        {"0012", "0012"}, {"12a 3", "123"},  // only digits can be typed
    };
    auto dialog = Open();
    for (int i = 0; i < Option::kDelayCount; ++i) {
        for (const auto& c : cases) {
            dialog->delayEdit(i)->clear();
            QTest::keyClicks(dialog->delayEdit(i), c.typed);
            EXPECT_EQ(dialog->delayEdit(i)->text(), c.shown) << keys[i] << " " << c.typed;
            EXPECT_EQ(Stored(keys[i]), c.shown) << keys[i] << " " << c.typed;
        }
    }
    // The arrows write the position, held to the range.
    OptionSpin* spin = dialog->delaySpin(5);
    spin->setPosition(3599);
    spin->upButton()->click();
    spin->upButton()->click();
    EXPECT_EQ(Stored("UnLockDly"), "3600");
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, MaximumAndDefaultVolumePullEachOther) {
    Store("MaxVolume", "8");
    Store("DefVolume", "6");
    auto dialog = Open();
    QSlider* max = dialog->maxVolumeSlider();
    QSlider* def = dialog->defVolumeSlider();
    auto stored = [&] { return Stored("MaxVolume") + "," + Stored("DefVolume"); };
    // Nothing is written while the handle is held.
    const auto before = ChangeCounter(path);
    max->setSliderDown(true);
    max->setValue(3);
    EXPECT_EQ(ChangeCounter(path), before);
    max->setSliderDown(false);
    EXPECT_EQ(stored(), "3,3");
    EXPECT_EQ(def->value(), 3);
    Drag(def, 10);
    EXPECT_EQ(stored(), "10,10");
    EXPECT_EQ(max->value(), 10);
    Drag(def, 2);  // below the maximum: the maximum stays
    EXPECT_EQ(stored(), "10,2");
    // Moved without a drag: stored as well, and the pull holds.
    QTest::keyClick(max, Qt::Key_Home);
    EXPECT_EQ(stored(), "0,0");
    EXPECT_EQ(def->value(), 0);
    // The input volumes and the actions are stored as set.
    Drag(dialog->lineVolumeSlider(), 30);
    Drag(dialog->micVolumeSlider(), 8);
    EXPECT_EQ(Stored("LineInputVol") + "," + Stored("MicInputVol"), "30,8");
    const char* actions[] = {"InputProbeClose1", "InputProbeOpen1", "InputProbeClose2",
                             "InputProbeOpen2",  "GACEnterFunc",    "GACLeaveFunc"};
    for (int i = 0; i < Option::kActionCount; ++i) {
        dialog->actionList(i)->setCurrentIndex(i + 3);
        EXPECT_EQ(Stored(actions[i]), std::to_string(i + 3)) << actions[i];
    }
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, NamesAreCountedInTheBytesTheUnitReceives) {
    auto dialog = Open();
    QLineEdit* ble = dialog->bleNameEdit();
    const QColor normal = ble->palette().color(QPalette::Text);
    // Eight Chinese characters, typed one by one, are 24 bytes: the sixth would no longer fit.
    ble->clear();
    for (QChar c : QStringLiteral("八个汉字名称测试")) ble->insert(QString(c));
    EXPECT_EQ(Stored("BLEName"), "八个汉字名");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>(3, kTooLong[0]));
    EXPECT_EQ(notifier.messages()[0].caption, "");
    EXPECT_TRUE(dialog->nameTooLong());
    EXPECT_EQ(ble->palette().color(QPalette::Text), kRed);
    // Back within 16 bytes: drawn as usual again.
    for (int i = 0; i < 3; ++i) ble->backspace();
    notifier.clear();
    EXPECT_FALSE(dialog->nameTooLong());
    EXPECT_EQ(ble->palette().color(QPalette::Text), normal);

    const std::pair<const char*, const char*> cases[] = {
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},  // the field takes 16 characters
        {" Room 12 ", "Room 12"},
        {"会议室ABCDEFGHIJ", "Room 12"},     // 9 + 10 bytes: refused, the last name kept
        {"会议室ABCDEFG", "会议室ABCDEFG"},  // exactly 16 bytes
    };
    for (const auto& [text, stored] : cases) {
        ble->setText(QString::fromUtf8(text));
        EXPECT_EQ(Stored("BLEName"), stored) << text;
    }
    EXPECT_EQ(notifier.texts(), kTooLong);

    // The device ID follows the same rule; a refused one does not turn the other field red.
    notifier.clear();
    dialog->deviceIdEdit()->setText("0123456789abcdef");
    dialog->deviceIdEdit()->setText(QStringLiteral("设备设备设备"));
    EXPECT_EQ(Stored("DeviceId"), "0123456789abcdef");
    EXPECT_EQ(notifier.texts(), kTooLong);
    EXPECT_EQ(ble->palette().color(QPalette::Text), normal);
    EXPECT_EQ(dialog->deviceIdEdit()->palette().color(QPalette::Text), kRed);
}

TEST_F(OptionDialogTest, ClosesOnlyWithAnEmptyOrSixteenDigitDeviceId) {
    const std::pair<const char*, bool> cases[] = {
        {"", true},
        {"0123456789ABCDEF", true},
        {"0123456789abcdef", true},
        {"0123456789ABCDE", false},
        {"0123456789ABCDE ", false},  // 16 characters, 15 stored
        {"01234567 9ABCDEF", false},  // a space is no digit
        {"0123456789ABCDEG", false},  // pasted: typing could not give a G
    };
    for (const auto& [id, closes] : cases) {
        SCOPED_TRACE(std::string("\"") + id + "\"");
        notifier.clear();
        auto dialog = Open();
        dialog->deviceIdEdit()->setText(id);
        dialog->show();
        dialog->close();
        EXPECT_EQ(dialog->isVisible(), !closes);
        if (closes) {
            EXPECT_TRUE(notifier.texts().empty());
            continue;
        }
        EXPECT_EQ(notifier.messages(),
                  (std::vector<RecordingNotifier::Message>{
                      {"自定义的设备ID必须等于16个十六进制字符!", "错误", MessageIcon::Error}}));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);  // the same way as the close box
        EXPECT_TRUE(dialog->isVisible());
    }
}

TEST_F(OptionDialogTest, ChosenCameraProgramIsUsedAndRemembered) {
    auto dialog = Open();
    prompter.answer = std::nullopt;
    dialog->choosePathButton()->click();
    EXPECT_EQ(prompter.asked, 1);
    EXPECT_EQ(state.OpenAppPath(), "");
    EXPECT_FALSE(std::filesystem::exists(state.IniPath()));

    prompter.answer = "/usr/bin/cheese";
    dialog->choosePathButton()->click();
    EXPECT_EQ(dialog->programPathEdit()->text(), "/usr/bin/cheese");
    EXPECT_EQ(AppState(dir.path()).OpenAppPath(), "/usr/bin/cheese") << "kept in config.ini";
    EXPECT_TRUE(notifier.texts().empty());

    // config.ini cannot be written: said so, and the choice holds for this run.
    std::filesystem::remove(state.IniPath());
    std::filesystem::create_directory(state.IniPath());
    prompter.answer = "/usr/local/bin/camera";
    dialog->choosePathButton()->click();
    ASSERT_EQ(notifier.texts(), std::vector<std::string>{"写入INI文件失败！"});
    EXPECT_EQ(state.OpenAppPath(), "/usr/local/bin/camera");
}

TEST(ProgramChooser, ListsFoldersProgramsAndExeFilesOnly) {
    TempDir dir;
    for (const char* name : {"camera.sh", "viewer.EXE", "notes.txt"}) std::ofstream{dir.file(name)};
    std::filesystem::permissions(dir.file("camera.sh"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    for (const auto& [name, listed] :
         {std::pair{"", true}, {"camera.sh", true}, {"viewer.EXE", true}, {"notes.txt", false}}) {
        const QFileInfo info(QString::fromStdString(dir.file(name)));
        EXPECT_EQ(FileDialogProgramPrompter::ListedAsProgram(info), listed) << name;
    }
}

}  // namespace
}  // namespace ketrel::test
