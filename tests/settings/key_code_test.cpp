#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>

#include "editor_fixture.h"
#include "settings/dialog_key_code.h"
#include "settings/dialog_modify_key_code.h"

namespace ketrel::test {
namespace {

TEST(KeyCodeText, DecodeShowAndEncode) {
    struct Case {
        const char* stored;
        const char* shown;
        const char* rewritten;  // what a save writes for the group unchanged
    } cases[] = {
        {"10", "串口1->PowerOn", "10"},
        {"59", "红外1->FreezeOff", "59"},
        {"03", "无", "03"},  // no channel: the code digit is kept but not shown
        {"00", "无", "00"},
        {"0x23", "串口2->Video", "23"},
        {"123", "串口2->Video", "23"},  // the low byte holds the digits
        {"7C", "7->C", "7C"},           // beyond both name tables
        {"1C", "串口1->C", "1C"},
        {"FF", "F->F", "FF"},
        {"zz", "无", "00"},
        {"", "无", "00"},
    };
    for (const Case& c : cases) {
        const KeyCodeGroup g = keycode::Decode(c.stored);
        EXPECT_EQ(keycode::DisplayText(g), c.shown) << c.stored;
        EXPECT_EQ(keycode::Encode(g), c.rewritten) << c.stored;
    }
}

class KeyCodeTest : public EditorFixture {
  protected:
    std::unique_ptr<CDialogModifyKeyCode> Edit(int key) {
        return std::make_unique<CDialogModifyKeyCode>(db.path, notifier, key);
    }
    // The user picks an entry of a choice.
    static void Choose(QComboBox* choice, int index) {
        choice->setCurrentIndex(index);
        emit choice->activated(index);
    }
    std::string StoredRow(int key) {
        return Value(
            "select Code1||','||Code2||','||Code3||','||Code4||','||Code5 from KeyCode "
            "where Id = " +
            std::to_string(key));
    }
    static std::string Selected(const QComboBox* c) {
        return (c->isEnabled() ? "" : "(off)") +
               (c->currentIndex() < 0 ? std::string("-") : c->currentText().toStdString());
    }
};

TEST_F(KeyCodeTest, EveryChoiceRewritesTheWholeRowAndNoneKeepsTheCodeDigit) {
    RawExec(db.path, "update KeyCode set Code1 = '23', Code2 = '0x31', Code4 = '7C' where Id = 2");
    auto editor = Edit(2);
    EXPECT_TRUE(editor->numberField()->isReadOnly() && editor->nameField()->isReadOnly());
    struct Step {
        const char* what;
        bool channel;
        int group, index;
        const char* row;
        const char* codeChoice;  // group's code choice afterwards
    } steps[] = {
        {"channel to 无", true, 0, 0, "03,31,51,7C,00", "(off)-"},
        {"channel back restores the old code", true, 0, 2, "23,31,51,7C,00", "Video"},
        {"code", false, 0, 4, "24,31,51,7C,00", "HDMI1"},
        {"another port keeps the code", true, 0, 5, "54,31,51,7C,00", "HDMI1"},
        {"group 5", true, 4, 1, "54,31,51,7C,10", "PowerOn"},
        {"same entry again still saves", false, 4, 0, "54,31,51,7C,10", "PowerOn"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.channel) {
            Choose(editor->channelChoice(s.group), s.index);
        } else {
            Choose(editor->codeChoice(s.group), s.index);
        }
        EXPECT_EQ(StoredRow(2), s.row);
        EXPECT_EQ(Selected(editor->codeChoice(s.group)), s.codeChoice);
    }
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
}

TEST_F(KeyCodeTest, UnreadableKeyLeavesTheChoicesEmptyAndDisabled) {
    for (int key : {42, 3}) {
        if (key == 3) std::filesystem::remove(db.path);
        auto editor = Edit(key);
        EXPECT_FALSE(editor->loaded());
        EXPECT_EQ(editor->nameField()->text(), "");
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(Selected(editor->channelChoice(k)), "(off)-");
            EXPECT_EQ(Selected(editor->codeChoice(k)), "(off)-");
        }
        // Nothing the dialog may still be asked to do writes zeros over the key.
        editor->OnChannelSelected(0);
        editor->OnCodeSelected(0);
    }
    EXPECT_TRUE(notifier.messages().empty()) << Joined(notifier);
}

}  // namespace
}  // namespace ketrel::test
