#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "editor_fixture.h"
#include "editors/code_format.h"
#include "editors/dialog_modify_tx_code.h"
#include "widgets/my_edit.h"

namespace ketrel::test {
namespace {

TEST(CodeFormatRule, GroupsOfTwoSeparatedBySingleSpaces) {
    const char* valid[] = {"",       "   ", "A5", "A5 01 0F", "A5 01 0F ", "\t A5 01\n",
                           "ZZ QQ",     // the shape is checked, not the digits
                           "中文 01"};  // characters are counted, not bytes
    const char* invalid[] = {"A5 1", "A501", "A", " 5 01", "A5  01", "A5 01 0", "A5 012", "A5\t01"};
    for (const char* t : valid) EXPECT_TRUE(IsValidCodeText(QString::fromUtf8(t))) << t;
    for (const char* t : invalid) EXPECT_FALSE(IsValidCodeText(QString::fromUtf8(t))) << t;
}

class CodeDialogTest : public EditorFixture {
  protected:
    std::unique_ptr<CDialogModifySPTxCode> Open(const QString& code) {
        return std::make_unique<CDialogModifySPTxCode>(db.path, notifier, 5, 1, "HDMI1", code);
    }
    std::string Stored() { return Value("select Code from SPTxCode where ID = 5"); }
};

TEST_F(CodeDialogTest, EveryChangeIsCheckedAndOnlyAValidCodeIsSaved) {
    auto dialog = Open("A5 1");  // a stored invalid code opens red
    const QColor red(255, 0, 0);
    struct Step {
        const char* text;  // null: press 清空
        bool valid;
    } steps[] = {{"A5 1", false}, {nullptr, true}, {"A501", false}, {"A5 01 0F ", true}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text ? s.text : "清空");
        if (s.text) dialog->codeEdit()->setText(s.text);
        if (!s.text) dialog->clearButton()->click();
        EXPECT_EQ(dialog->codeInvalid(), !s.valid);
        EXPECT_EQ(dialog->okButton()->isEnabled(), s.valid);
        EXPECT_EQ(dialog->codeEdit()->palette().color(QPalette::Text) == red, !s.valid);
    }
    dialog->OnOK();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Stored(), "A5 01 0F") << "saved without the trailing space";

    auto invalid = Open("A5 01");
    invalid->codeEdit()->setText("A5 1");
    invalid->OnOK();
    EXPECT_NE(invalid->result(), QDialog::Accepted);
    EXPECT_EQ(Stored(), "A5 01 0F");
}

TEST_F(CodeDialogTest, TypingStopsAt95CharactersButAStoredLongerCodeIsKeptWhole) {
    auto dialog = Open("");
    ShowForMouse(*dialog);
    dialog->codeEdit()->setFocus();
    QString typed;
    for (int i = 0; i < 33; ++i) typed += i ? " 5A" : "5A";  // 33 bytes: 98 characters
    QTest::keyClicks(dialog->codeEdit(), typed);
    EXPECT_EQ(dialog->codeEdit()->text(), typed.left(95));
    dialog->OnOK();
    const ConfigImage image = Compile();
    EXPECT_EQ(image[layout::SerialLengthOffset(1, 5)], 32);
    EXPECT_EQ(image[layout::SerialCodeOffset(1, 6)], 0xA5) << "code 6 starts right after";

    // A code written by another program beyond the limit is shown whole, so confirming the
    // dialog stores exactly what was there.
    auto longer = Open(typed);
    EXPECT_EQ(longer->codeEdit()->text(), typed);
    longer->OnOK();
    EXPECT_EQ(Stored(), typed.toStdString());
}

}  // namespace
}  // namespace ketrel::test
