#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "common/texts.h"
#include "config/config_image.h"
#include "config/image_layout.h"
#include "link/serial_link.h"
#include "platform/app_state.h"
#include "settings/dialog_option.h"
#include "settings/dialog_option_program_chooser.h"
#include "settings/dialog_option_spin.h"
#include "system_config_fixture.h"
#include "unitsim/unit_simulator.h"
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

class OptionDialogTest : public SystemConfigFixture {
  protected:
    std::unique_ptr<CDialogOption> Open() {
        return std::make_unique<CDialogOption>(state, link, notifier, nullptr, &prompter);
    }
    std::uint32_t StoredWord() {
        return static_cast<std::uint32_t>(std::stoul(Stored("FuncFlag")));
    }
    // Types text into a field one character at a time, as the user does.
    static void TypeInto(QLineEdit* edit, const QString& text) {
        for (QChar c : text) edit->insert(QString(c));
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

    CDialogOption dialog(state, link, notifier, nullptr, &prompter);
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
    EXPECT_TRUE(dialog.edidButton(CDialogOption::kHdmi2)->isChecked());
    EXPECT_FALSE(dialog.edidButton(CDialogOption::kHdmi1)->isEnabled()) << "fixed EDID";
    const char* delays[] = {"7", "5", "3", "", "3600", "0"};
    for (int i = 0; i < CDialogOption::kDelayCount; ++i) {
        EXPECT_EQ(dialog.delayEdit(i)->text(), delays[i]) << i;
    }
    EXPECT_EQ(dialog.maxVolumeSlider()->value(), 10);
    EXPECT_EQ(dialog.defVolumeSlider()->value(), 4);
    EXPECT_EQ(dialog.lineVolumeSlider()->value(), 31);
    EXPECT_EQ(dialog.micVolumeSlider()->value(), 9);

    const int actions[] = {3, 0, 0, -1, 1, 9};
    for (int i = 0; i < CDialogOption::kActionCount; ++i) {
        EXPECT_EQ(dialog.actionList(i)->currentIndex(), actions[i]) << i;
    }
}

TEST_F(OptionDialogTest, OptionWordKeepsEveryBitTheDialogDoesNotShow) {
    const std::uint32_t hidden = 0x400u | 0xFFFC0000u;
    Store("FuncFlag", std::to_string(hidden | 0x1000u));  // HDMI-1
    auto dialog = Open();
    using S = CDialogOption;
    struct Step {
        std::function<void()> act;
        std::uint32_t shown;  // the bits the dialog shows, after the step
    } steps[] = {
        {[&] { dialog->flagBox(17)->click(); }, 0x1000u | 0x20000u},
        {[&] { dialog->edidButton(S::kVga1)->click(); }, 0x3000u | 0x20000u},
        {[&] { dialog->edidButton(S::kHdmi3)->click(); }, 0x20000u},
        {[&] { dialog->edidButton(S::kHdmi2)->click(); }, 0x2000u | 0x20000u},
        // A fixed EDID keeps the source as it is.
        {[&] { dialog->flagBox(11)->click(); }, 0x800u | 0x2000u | 0x20000u},
        {[&] { dialog->flagBox(11)->click(); }, 0x2000u | 0x20000u},
        {[&] { dialog->flagBox(3)->click(); }, 0x8u | 0x2000u | 0x20000u},
        {[&] { dialog->flagBox(14)->click(); }, 0x4000u | 0x8u | 0x2000u | 0x20000u},
    };
    int n = 0;
    for (const Step& step : steps) {
        step.act();
        EXPECT_EQ(StoredWord(), hidden | step.shown) << "step " << n++;
    }

    dialog->flagBox(11)->click();
    EXPECT_FALSE(dialog->edidButton(S::kVga1)->isEnabled());
    dialog->flagBox(11)->click();
    EXPECT_TRUE(dialog->edidButton(S::kVga1)->isEnabled());
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, MissingOptionWordLeavesEverythingUnwritten) {
    Remove("FuncFlag");
    auto dialog = Open();
    EXPECT_FALSE(dialog->flagBox(0)->isChecked());
    EXPECT_TRUE(dialog->edidButton(CDialogOption::kHdmi3)->isChecked()) << "a missing word is 0";
    const auto before = ChangeCounter(path);
    dialog->flagBox(0)->click();
    dialog->flagBox(16)->click();
    dialog->edidButton(CDialogOption::kVga1)->click();
    dialog->flagBox(11)->click();
    EXPECT_EQ(ChangeCounter(path), before);
    EXPECT_EQ(Stored("FuncFlag"), "<missing>");
    EXPECT_TRUE(dialog->flagBox(0)->isChecked()) << "the control still changes";
    EXPECT_FALSE(dialog->edidButton(CDialogOption::kVga1)->isEnabled());
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, DelaysStoreWhatIsTypedUpTo3600) {
    const char* keys[] = {"ReSendOnDly", "ReSendOffDly", "PowerOnDly",
                          "StartupDly",  "PowerOffDly",  "UnLockDly"};
    auto dialog = Open();
    for (int i = 0; i < CDialogOption::kDelayCount; ++i) {
        QLineEdit* edit = dialog->delayEdit(i);
        const struct {
            const char* typed;
            const char* shown;
            const char* stored;
        } cases[] = {
            {"4000", "3600", "3600"}, {"3600", "3600", "3600"}, {"", "", ""},
            {"0012", "0012", "0012"}, {"12a 3", "123", "123"},  // only digits can be typed
        };
        for (const auto& c : cases) {
            edit->clear();
            QTest::keyClicks(edit, c.typed);
            EXPECT_EQ(edit->text(), c.shown) << keys[i] << " " << c.typed;
            EXPECT_EQ(Stored(keys[i]), c.stored) << keys[i] << " " << c.typed;
        }
    }

    // The arrows and the Up and Down keys write the position, held to the range.
    OptionSpin* spin = dialog->delaySpin(5);
    spin->setPosition(3599);
    spin->upButton()->click();
    spin->upButton()->click();
    EXPECT_EQ(Stored("UnLockDly"), "3600");
    QTest::keyClick(spin->edit(), Qt::Key_Down);
    EXPECT_EQ(Stored("UnLockDly"), "3599");
    spin->edit()->clear();
    spin->downButton()->click();
    EXPECT_EQ(Stored("UnLockDly"), "0");
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, MaximumAndDefaultVolumePullEachOther) {
    Store("MaxVolume", "8");
    Store("DefVolume", "6");
    auto dialog = Open();
    QSlider* max = dialog->maxVolumeSlider();
    QSlider* def = dialog->defVolumeSlider();

    // Nothing is written while the handle is held.
    const auto before = ChangeCounter(path);
    max->setSliderDown(true);
    max->setValue(3);
    EXPECT_EQ(ChangeCounter(path), before);
    max->setSliderDown(false);
    EXPECT_EQ(Stored("MaxVolume"), "3");
    EXPECT_EQ(Stored("DefVolume"), "3");
    EXPECT_EQ(def->value(), 3);

    Drag(def, 10);
    EXPECT_EQ(Stored("DefVolume"), "10");
    EXPECT_EQ(Stored("MaxVolume"), "10");
    EXPECT_EQ(max->value(), 10);

    Drag(def, 2);  // below the maximum: the maximum stays
    EXPECT_EQ(Stored("DefVolume"), "2");
    EXPECT_EQ(Stored("MaxVolume"), "10");

    // Moved without a drag: stored as well, and the pull holds.
    QTest::keyClick(max, Qt::Key_Home);
    EXPECT_EQ(Stored("MaxVolume"), "0");
    EXPECT_EQ(Stored("DefVolume"), "0");
    EXPECT_EQ(def->value(), 0);
    EXPECT_TRUE(notifier.texts().empty());
}

TEST_F(OptionDialogTest, NamesAreCountedInTheBytesTheUnitReceives) {
    auto dialog = Open();
    QLineEdit* ble = dialog->bleNameEdit();
    const QColor normal = ble->palette().color(QPalette::Text);

    // Eight Chinese characters are 24 bytes: the sixth would no longer fit.
    ble->clear();
    TypeInto(ble, QStringLiteral("八个汉字名称测试"));
    EXPECT_EQ(Stored("BLEName"), "八个汉字名");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>(3, "输入名称过长!"));
    EXPECT_EQ(notifier.messages()[0].caption, "");
    EXPECT_TRUE(dialog->nameTooLong());
    EXPECT_EQ(ble->palette().color(QPalette::Text), QColor(255, 0, 0));

    // Back within 16 bytes: drawn as usual again.
    for (int i = 0; i < 3; ++i) ble->backspace();
    notifier.clear();
    EXPECT_FALSE(dialog->nameTooLong());
    EXPECT_EQ(ble->palette().color(QPalette::Text), normal);

    const struct {
        const char* text;
        const char* stored;
    } cases[] = {
        {"ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOP"},  // the field takes 16 characters
        {" Room 12 ", "Room 12"},
        {"会议室ABCDEFGHIJ", "Room 12"},     // 9 + 10 bytes: refused, the last name kept
        {"会议室ABCDEFG", "会议室ABCDEFG"},  // exactly 16 bytes
    };
    for (const auto& c : cases) {
        ble->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(Stored("BLEName"), c.stored) << c.text;
    }
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"输入名称过长!"});

    // The device ID follows the same rule; a refused one does not turn the other field red.
    notifier.clear();
    dialog->deviceIdEdit()->setText("0123456789abcdef");
    EXPECT_EQ(Stored("DeviceId"), "0123456789abcdef");
    dialog->deviceIdEdit()->setText(QStringLiteral("设备设备设备"));
    EXPECT_EQ(Stored("DeviceId"), "0123456789abcdef");
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{"输入名称过长!"});
    EXPECT_EQ(ble->palette().color(QPalette::Text), normal);
    EXPECT_EQ(dialog->deviceIdEdit()->palette().color(QPalette::Text), QColor(255, 0, 0));
}

TEST_F(OptionDialogTest, ClosesOnlyWithAnEmptyOrSixteenDigitDeviceId) {
    const struct {
        const char* id;
        bool closes;
    } cases[] = {
        {"", true},
        {"0123456789ABCDEF", true},
        {"0123456789abcdef", true},
        {"0123456789ABCDE", false},
        {"0123456789ABCDE ", false},  // 16 characters, 15 stored
        {"01234567 9ABCDEF", false},  // a space is no digit
        {"0123456789ABCDEG", false},  // pasted: typing could not give a G
    };
    for (const auto& c : cases) {
        notifier.clear();
        auto dialog = Open();
        dialog->deviceIdEdit()->setText(c.id);
        dialog->show();
        dialog->close();
        EXPECT_EQ(dialog->isVisible(), !c.closes) << '"' << c.id << '"';
        if (c.closes) {
            EXPECT_TRUE(notifier.texts().empty()) << c.id;
        } else {
            ASSERT_EQ(notifier.messages().size(), 1u) << c.id;
            EXPECT_EQ(notifier.messages()[0].text, "自定义的设备ID必须等于16个十六进制字符!");
            EXPECT_EQ(notifier.messages()[0].caption, "错误");
            EXPECT_EQ(notifier.messages()[0].icon, MessageIcon::Error);
            // Escape goes the same way as the close box.
            QTest::keyClick(dialog.get(), Qt::Key_Escape);
            EXPECT_TRUE(dialog->isVisible());
        }
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

TEST_F(OptionDialogTest, AuthorisationButtonsSendTheirLines) {
    auto dialog = Open();
    dialog->addAuthorButton()->click();  // no port: said so, nothing sent
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kPortInvalid});

    sim::UnitSimulator unit;
    std::string error;
    ASSERT_TRUE(unit.start(&error)) << error;
    ASSERT_TRUE(link.OpenCommPort(unit.portPath()));
    notifier.clear();
    std::vector<std::string> notes;
    dialog->SetStatusReporter([&](const std::string& note) { notes.push_back(note); });
    QPushButton* buttons[] = {dialog->addAuthorButton(), dialog->delAuthorButton(),
                              dialog->exitAuthorButton()};
    std::size_t sent = 0;
    for (QPushButton* b : buttons) {
        b->click();
        // Each send purges the port's queues: let the unit take a line before the next.
        ASSERT_TRUE(WaitUntil([&] { return unit.receivedLines().size() > sent; }));
        ++sent;
    }
    EXPECT_EQ(unit.receivedLines(),
              (std::vector<std::string>{"AddAuthor", "DelAuthor", "ExitAuthor"}));
    EXPECT_EQ(notes, (std::vector<std::string>{texts::kSentAddAuthor, texts::kSentDelAuthor,
                                               texts::kSentExitAuthor}));
    EXPECT_TRUE(notifier.texts().empty());
    link.ClosePort();
}

// What the options become in the image the unit takes.
TEST_F(OptionDialogTest, EditedOptionsStandAtTheirImageOffsets) {
    Store("FuncFlag", std::to_string(0x400u | 0x80000000u));
    auto dialog = Open();
    dialog->flagBox(0)->click();
    dialog->flagBox(16)->click();
    dialog->edidButton(CDialogOption::kVga1)->click();
    const char* delays[] = {"1", "2", "300", "3600", "4000", "65"};
    for (int i = 0; i < CDialogOption::kDelayCount; ++i) {
        dialog->delayEdit(i)->setText(delays[i]);
    }
    Drag(dialog->maxVolumeSlider(), 11);
    Drag(dialog->defVolumeSlider(), 7);
    Drag(dialog->lineVolumeSlider(), 30);
    Drag(dialog->micVolumeSlider(), 8);
    dialog->deviceIdEdit()->setText("0123456789ABCDEF");
    dialog->bleNameEdit()->setText(QStringLiteral("会议室ABCDEFG"));
    for (int i = 0; i < CDialogOption::kActionCount; ++i)
        dialog->actionList(i)->setCurrentIndex(i + 3);

    ConfigImage image{};
    ASSERT_TRUE(CompileConfigImage(db, image)) << ::testing::PrintToString(notifier.texts());
    auto Bytes = [&](std::size_t at, int n) {
        return std::vector<int>(image.begin() + at, image.begin() + at + n);
    };
    auto word16 = [&](std::size_t at) { return image[at] | (image[at + 1] << 8); };
    const std::uint32_t word = image[1712] | (image[1713] << 8) | (image[1714] << 16) |
                               (static_cast<std::uint32_t>(image[1715]) << 24);
    EXPECT_EQ(word, 0x400u | 0x80000000u | 0x1u | 0x10000u | 0x3000u);
    // The six delays (the fifth typed as 4000), then the four volumes.
    const int delayWords[] = {1, 2, 300, 3600, 3600, 65};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(word16(1720 + 2 * i), delayWords[i]) << i;
    EXPECT_EQ(Bytes(1732, 4), (std::vector<int>{11, 7, 30, 8}));
    // The door probes 1 closed, 1 opened, 2 closed, 2 opened; the general card in and out.
    EXPECT_EQ(Bytes(1770, 4), (std::vector<int>{3, 4, 5, 6}));
    EXPECT_EQ(Bytes(1736, 2), (std::vector<int>{7, 8}));
    const std::string id(reinterpret_cast<const char*>(&image[layout::kDeviceIdOffset]), 16);
    EXPECT_EQ(id, "0123456789ABCDEF");
    const std::string name(reinterpret_cast<const char*>(&image[layout::kBleNameOffset]), 16);
    EXPECT_EQ(name, "会议室ABCDEFG") << "the whole name, no character cut";
    EXPECT_TRUE(notifier.texts().empty());
}

}  // namespace
}  // namespace ketrel::test
