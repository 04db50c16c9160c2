#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "code_format.h"
#include "dialog_modify_tx_code.h"
#include "editor_fixture.h"
#include "my_edit.h"

namespace ketrel::test {
namespace {

TEST(CodeFormatRule, GroupsOfTwoSeparatedBySingleSpaces) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        // Valid: empty, or groups of two with single spaces; blanks at either end are ignored.
        {"", true},
        {"   ", true},
        {"A5", true},
        {"A5 01 0F", true},
        {"A5 01 0F ", true},
        {"\t A5 01\n", true},
        {"A5 ", true},
        // Only the shape is checked, not the digits; characters are counted, not bytes.
        {"ZZ QQ", true},
        {"中文 01", true},
        // Invalid: a one-character group, a missing or doubled space, another separator.
        {"A5 1", false},
        {"A501", false},
        {"A", false},
        {" 5 01", false},
        {"A5  01", false},
        {"A5 01 0", false},
        {"A5 012", false},
        {"A5\t01", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidCodeText(QString::fromUtf8(c.text)), c.valid) << '"' << c.text << '"';
    }
}

class CodeDialogTest : public EditorFixture {
  protected:
    std::unique_ptr<CDialogModifySPTxCode> Open(const QString& code, int id = 5) {
        return std::make_unique<CDialogModifySPTxCode>(db.path, notifier, id, 1, "HDMI1", code);
    }
    static bool ShownRed(const CDialogModifyTxCode& d) {
        return d.codeEdit()->palette().color(QPalette::Text) == QColor(255, 0, 0);
    }
};

TEST_F(CodeDialogTest, EveryChangeIsCheckedAndOnlyAValidCodeCanBeSaved) {
    auto dialog = Open("A5 01 10 03 B9");
    EXPECT_EQ(dialog->codeNameLabel()->text(), "HDMI1");
    EXPECT_EQ(dialog->clearButton()->text(), "清空");
    EXPECT_EQ(dialog->okButton()->text(), "确定");
    EXPECT_EQ(dialog->codeEdit()->maxLength(), 95);
    struct Step {
        const char* text;
        bool valid;
    } steps[] = {{"A5 1", false}, {"A5 01", true}, {"A501", false}, {"A5 01 0F ", true}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text);
        dialog->codeEdit()->setText(s.text);
        EXPECT_EQ(dialog->codeInvalid(), !s.valid);
        EXPECT_EQ(dialog->okButton()->isEnabled(), s.valid);
        EXPECT_EQ(ShownRed(*dialog), !s.valid);
    }
    // Saved without the trailing space.
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Value("select Code from SPTxCode where ID = 5"), "A5 01 0F");

    // Handlers called while the code is invalid do not save it.
    auto invalid = Open("A5 01");
    invalid->codeEdit()->setText("A5 1");
    invalid->OnOK();
    EXPECT_NE(invalid->result(), QDialog::Accepted);
    EXPECT_EQ(Value("select Code from SPTxCode where ID = 5"), "A5 01 0F");
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(CodeDialogTest, StoredInvalidCodeOpensRedAndClearMakesItValid) {
    auto dialog = Open("A5 1");
    EXPECT_TRUE(dialog->codeInvalid());
    EXPECT_FALSE(dialog->okButton()->isEnabled());
    EXPECT_TRUE(ShownRed(*dialog));
    dialog->clearButton()->click();
    EXPECT_EQ(dialog->codeEdit()->text(), "");
    EXPECT_FALSE(dialog->codeInvalid());
    EXPECT_TRUE(dialog->okButton()->isEnabled());
    EXPECT_FALSE(ShownRed(*dialog));
    dialog->okButton()->click();
    EXPECT_EQ(Value("select Code from SPTxCode where ID = 5"), "");
    const ConfigImage image = Compile();
    EXPECT_EQ(image[layout::SerialLengthOffset(1, 5)], 0);
}

TEST_F(CodeDialogTest, TypingStopsAt95Characters) {
    auto dialog = Open("");
    ShowForMouse(*dialog);
    dialog->codeEdit()->setFocus();
    QString typed;
    for (int i = 0; i < 33; ++i) typed += i ? " 5A" : "5A";  // 33 bytes: 98 characters
    QTest::keyClicks(dialog->codeEdit(), typed);
    EXPECT_EQ(dialog->codeEdit()->text(), typed.left(95));
    EXPECT_TRUE(dialog->okButton()->isEnabled());
    dialog->OnOK();
    const ConfigImage image = Compile();
    EXPECT_EQ(image[layout::SerialLengthOffset(1, 5)], 32);
    EXPECT_EQ(image[layout::SerialCodeOffset(1, 6)], 0xA5) << "code 6 starts right after";
}

// A code written by another program beyond the limit is shown whole, so confirming the dialog
// without an edit stores exactly what was there.
TEST_F(CodeDialogTest, LongerStoredCodeIsNotCutByOpeningTheDialog) {
    QString stored;
    for (int i = 0; i < 40; ++i) stored += i ? " 11" : "11";
    RawExec(db.path, "update SPTxCode set Code = '" + stored.toStdString() + "' where ID = 5");
    auto dialog = Open(stored);
    EXPECT_EQ(dialog->codeEdit()->text(), stored);
    dialog->OnOK();
    EXPECT_EQ(Value("select Code from SPTxCode where ID = 5"), stored.toStdString());
}

}  // namespace
}  // namespace ketrel::test
