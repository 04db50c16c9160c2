#include <gtest/gtest.h>

#include <QLineEdit>

#include "app_test_support.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_password.h"
#include "settings/password_gate.h"

namespace ketrel::test {
namespace {

class PasswordGateTest : public ::testing::Test {
  protected:
    // A program whose config.ini holds the given Author value (none when null).
    AppState& start(const char* author) {
        if (author) IniFile::write(dir.file("config.ini"), "Setup", "Author", author);
        state = std::make_unique<AppState>(dir.path());
        return *state;
    }
    // The dialog is answered by typing each text in turn and pressing 确定; when the texts run
    // out without an accepted password, the user closes the dialog.
    void answerWith(std::vector<std::string> typed) {
        runner.answer = [this, typed](QDialog& d) {
            auto& dialog = dynamic_cast<CDialogPassword&>(d);
            EXPECT_EQ(dialog.passwordField()->echoMode(), QLineEdit::Password);
            for (const auto& t : typed) {
                dialog.passwordField()->setText(QString::fromStdString(t));
                dialog.OnOK();
                fieldAfter.push_back(dialog.passwordField()->text().toStdString());
                if (dialog.result() == QDialog::Accepted) return int(QDialog::Accepted);
            }
            return int(QDialog::Rejected);
        };
    }

    TempDir dir;
    std::unique_ptr<AppState> state;
    RecordingNotifier notifier;
    ScriptedDialogRunner runner;
    std::vector<std::string> fieldAfter;
};

TEST_F(PasswordGateTest, NoPasswordSetNeverAsks) {
    for (const char* author : {static_cast<const char*>(nullptr), "", "   "}) {
        AppState& s = start(author);
        EXPECT_TRUE(PassPasswordGate(s, notifier, runner));
        EXPECT_TRUE(PassPasswordGate(s, notifier, runner));
    }
    EXPECT_EQ(runner.runs, 0);
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(PasswordGateTest, RightPasswordWithBlanksIsAcceptedAndNotAskedAgain) {
    AppState& s = start("s3cret");
    answerWith({"  s3cret \t"});
    EXPECT_TRUE(PassPasswordGate(s, notifier, runner));
    EXPECT_EQ(s.EnteredPassword(), "s3cret");
    EXPECT_TRUE(PassPasswordGate(s, notifier, runner));
    EXPECT_EQ(runner.runs, 1);
    EXPECT_TRUE(notifier.messages().empty());
}

TEST_F(PasswordGateTest, WrongPasswordEmptiesTheFieldAndCancelStops) {
    AppState& s = start("s3cret");
    answerWith({"S3CRET", "   ", "nope"});
    EXPECT_FALSE(PassPasswordGate(s, notifier, runner));
    EXPECT_EQ(s.EnteredPassword(), "");
    // A wrong one empties the field, an empty one leaves it as typed.
    EXPECT_EQ(fieldAfter, (std::vector<std::string>{"", "   ", ""}));
    const RecordingNotifier::Message wrong{"密码错误,请重新输入!", "错误", MessageIcon::Error};
    EXPECT_EQ(notifier.messages(),
              (std::vector<RecordingNotifier::Message>{
                  wrong, {"密码不能为空!", "提示", MessageIcon::Warning}, wrong}));

    // The next gated action asks again, and a retry after a mistake is accepted.
    answerWith({"wrong", "s3cret"});
    EXPECT_TRUE(PassPasswordGate(s, notifier, runner));
    EXPECT_EQ(runner.runs, 2);
}

}  // namespace
}  // namespace ketrel::test
