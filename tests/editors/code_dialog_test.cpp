#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "config/send_code_rules.h"
#include "editor_fixture.h"
#include "editors/code_format.h"
#include "editors/dialog_modify_tx_code.h"
#include "widgets/my_edit.h"

namespace ketrel::test {
namespace {

// The editor's rule and the file's side by side: a file must hold bytes, the editor only pairs.
TEST(SendCodeRules, TheEditorsAndTheFilesSideBySide) {
    std::string bytes33 = "00";
    for (int i = 0; i < 32; ++i) bytes33 += " 0F";
    const struct {
        std::string text;
        bool editor;
        bool file;
    } cases[] = {
        {"", true, true},         {"A5 01 0F", true, true},   {"a5 0f", true, true},
        {"   ", true, false},     {"A5 01 0F ", true, false}, {"\t A5 01\n", true, false},
        {"ZZ QQ", true, false},   {"中文 01", true, false},   {bytes33, true, false},
        {"A5 1", false, false},   {"A501", false, false},     {"A", false, false},
        {" 5 01", false, false},  {"A5  01", false, false},   {"A5 01 0", false, false},
        {"A5 012", false, false}, {"A5\t01", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsValidCodeText(QString::fromStdString(c.text)), c.editor) << c.text;
        EXPECT_EQ(IsHexByteCodeText(c.text), c.file) << c.text;
    }
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
    EXPECT_EQ(Stored(), typed.left(95).toStdString());

    // A code written by another program beyond the limit is shown whole, so confirming the
    // dialog stores exactly what was there.
    auto longer = Open(typed);
    EXPECT_EQ(longer->codeEdit()->text(), typed);
    longer->OnOK();
    EXPECT_EQ(Stored(), typed.toStdString());
}

}  // namespace
}  // namespace ketrel::test
