// The window's commands for the configuration file, the read-back comparison and the traffic
// log, against the simulated unit; file choosers and the comparison list are answered by the
// test instead of a user.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

#include "app/command_ids.h"
#include "app/config_file_commands.h"
#include "app/dialog_card.h"
#include "app/dialog_compare.h"
#include "app/dialog_traffic_log.h"
#include "app/main_frame.h"
#include "app/vardo_view.h"
#include "app_test_support.h"
#include "config/config_file_texts.h"
#include "config/supplied_database.h"
#include "config_test_support.h"
#include "files_test_support.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_password.h"
#include "unitsim/unit_simulator.h"

namespace ketrel {
namespace {

using test::PumpUntil;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(unit.start(&error)) << error;
        IniFile::write(dir.file("config.ini"), "Setup", "PortName", unit.portPath());
        ASSERT_TRUE(CreateSuppliedDatabase(database, &error)) << error;
    }

    CMainFrame& start() {
        FrameOptions o;
        o.makeActions = [] { return std::make_unique<NoPcActions>(); };
        o.executablePath = "/opt/ketrel/ketrel";
        o.trayAvailable = true;
        o.infoTimerIntervalMs = 20;
        state = std::make_unique<AppState>(dir.path());
        frame = std::make_unique<CMainFrame>(*state, notifier, runner, o);
        frame->StartUp();
        // Let the start-up's information requests go by.
        EXPECT_TRUE(PumpUntil([&] { return !frame->infoTimerActive(); }));
        test::PumpFor(100);
        notifier.clear();
        return *frame;
    }

    // Answers file choosers with path (cancels them for an empty one) and the settings
    // password with typed (closes it for an empty one), counting the times it was asked.
    void answerDialogs(const std::string& path, const char* typed = "") {
        runner.answer = [this, path, typed](QDialog& d) {
            if (auto* chooser = qobject_cast<QFileDialog*>(&d)) {
                chooser->selectFile(QString::fromStdString(path));
                return int(path.empty() ? QDialog::Rejected : QDialog::Accepted);
            }
            auto* password = dynamic_cast<CDialogPassword*>(&d);
            if (!password) return int(QDialog::Rejected);
            ++passwordAsked;
            if (!*typed) return int(QDialog::Rejected);
            password->passwordField()->setText(QString::fromUtf8(typed));
            password->OnOK();
            return password->result();
        };
    }

    test::UserDirs dirs;
    test::TempDir dir;
    const std::string database = dir.file("CONFIG");
    sim::UnitSimulator unit;
    std::unique_ptr<AppState> state;
    test::RecordingNotifier notifier;
    test::ScriptedDialogRunner runner;
    std::unique_ptr<CMainFrame> frame;
    int passwordAsked = 0;
};

// The settings password guards an import as it guards the dialogs that change the same tables.
TEST_F(WindowTest, ExportImportAndCompareThroughTheWindow) {
    IniFile::write(dir.file("config.ini"), "Setup", "Author", "4321");
    CMainFrame& f = start();
    const std::string file = dir.file("room.json");
    answerDialogs(file);
    f.command(cmd::ID_BUTTON_EXPORT)->trigger();
    ASSERT_EQ(notifier.texts(),
              std::vector<std::string>{std::string(texts::kExportDone) + "\n" + file});
    const std::string saved = test::TableDump(database, "SPTxCode");

    test::RawExec(database, "update SPTxCode set Code = '' ;insert into Card values('5',1,1);");
    CDialogCard* cards = f.view()->cardPage();
    cards->LoadCardList();
    ASSERT_EQ(cards->cardList()->topLevelItemCount(), 1);

    // Closing the password box, cancelling the chooser or refusing the confirmation changes
    // nothing; a password once given is not asked again in this run.
    const std::string before = test::ReadFile(database);
    notifier.clear();
    f.command(cmd::ID_BUTTON_IMPORT)->trigger();
    answerDialogs("", "4321");
    f.command(cmd::ID_BUTTON_IMPORT)->trigger();
    EXPECT_TRUE(notifier.texts().empty());
    notifier.answer = false;
    answerDialogs(file);
    f.command(cmd::ID_BUTTON_IMPORT)->trigger();
    EXPECT_EQ(test::ReadFile(database), before);

    notifier.clear();
    notifier.answer = true;
    f.command(cmd::ID_BUTTON_IMPORT)->trigger();
    EXPECT_EQ(passwordAsked, 2);
    const auto messages = notifier.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].icon, MessageIcon::Question);
    EXPECT_EQ(messages[1].text, std::string(texts::kImportDone) + "\n" + file);
    EXPECT_EQ(test::TableDump(database, "SPTxCode"), saved);
    EXPECT_EQ(test::TableDump(database, "Card"), "");
    // The card page shows the imported table without being asked.
    EXPECT_EQ(cards->cardList()->topLevelItemCount(), 0);

    // Compared after a write: nothing to show; after an edit, the one changed code. (A write
    // whose 10 ms status window a busy machine missed is made again.)
    const std::vector<std::string> written = {"写配置成功，校验成功！"};
    for (int attempt = 0; attempt < 3 && notifier.texts() != written; ++attempt) {
        notifier.clear();
        f.command(cmd::ID_BUTTON_WRITE_SYS)->trigger();
    }
    ASSERT_EQ(notifier.texts(), std::vector<std::string>{"写配置成功，校验成功！"});
    notifier.clear();
    const int dialogsBefore = runner.runs;
    f.command(cmd::ID_BUTTON_COMPARE)->trigger();
    EXPECT_EQ(notifier.texts(), std::vector<std::string>{texts::kCompareEqual});
    EXPECT_EQ(runner.runs, dialogsBefore);

    test::RawExec(database, "update IRTxCode set Code = '00 FF 40 BE' where ID = 3;");
    notifier.clear();
    std::vector<QStringList> rows;
    QString summary;
    runner.answer = [&](QDialog& d) {
        auto* dialog = qobject_cast<CDialogCompare*>(&d);
        if (!dialog) return int(QDialog::Rejected);
        summary = dialog->summary()->text();
        for (int r = 0; r < dialog->table()->rowCount(); ++r) {
            rows.push_back({dialog->table()->item(r, 0)->text(),
                            dialog->table()->item(r, 1)->text(),
                            dialog->table()->item(r, 2)->text()});
        }
        return int(QDialog::Rejected);
    };
    f.command(cmd::ID_BUTTON_COMPARE)->trigger();
    EXPECT_TRUE(notifier.texts().empty());
    EXPECT_EQ(summary, QStringLiteral("单元中的配置与数据库不一致，共 1 处："));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (QStringList{QStringLiteral("红外通道（红外1，投影机）发码 3「VGA」"),
                                    QStringLiteral("00 FF 40 BF"), QStringLiteral("00 FF 40 BE")}));
    EXPECT_EQ(f.receiver().pauseCount(), 0);
}

TEST_F(WindowTest, TheLogWindowShowsPausesAndSaves) {
    // At once rather than at line speed, so a frame comes in as one record and reads as text.
    unit.setBaud(0);
    CMainFrame& f = start();
    EXPECT_EQ(f.link().CommHandle().trafficObserver(), nullptr);
    f.command(cmd::ID_BUTTON_TRAFFIC_LOG)->trigger();
    CDialogTrafficLog* log = f.fileCommands()->trafficLogWindow();
    ASSERT_NE(log, nullptr);
    EXPECT_TRUE(log->isVisible());
    EXPECT_NE(f.link().CommHandle().trafficObserver(), nullptr);

    // 获取信息: "GetInfo" goes out, the unit's frames come in, hex and text side by side.
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    ASSERT_TRUE(PumpUntil([&] { return log->text()->toPlainText().contains(" RX "); }));
    EXPECT_TRUE(log->text()->toPlainText().contains(" TX 9\n  0000  47 65 74 49 6E 66 6F 0D 0A"))
        << log->text()->toPlainText().toStdString();

    // Paused: what arrives waits, and is shown on resuming. (Frames of the first answer may
    // still be coming: the second request's record is waited for after resuming.)
    log->pauseButton()->click();
    const QString frozen = log->text()->toPlainText();
    f.command(cmd::ID_BUTTON_INFO)->trigger();
    ASSERT_TRUE(PumpUntil([&] { return log->waitingCount() >= 2; }));
    EXPECT_EQ(log->text()->toPlainText(), frozen);
    EXPECT_TRUE(log->statusLabel()->text().contains(QStringLiteral("已暂停")));
    const std::size_t before = log->recordCount();
    const std::size_t waiting = log->waitingCount();
    log->pauseButton()->click();
    EXPECT_EQ(log->recordCount(), before + waiting);
    EXPECT_TRUE(PumpUntil(
        [&] { return log->text()->toPlainText().count(QStringLiteral(" TX 9\n")) == 2; }));

    // Saved in the log file's format, the records as kept.
    const std::string file = dir.file("saved.log");
    runner.answer = [&](QDialog& d) {
        qobject_cast<QFileDialog*>(&d)->selectFile(QString::fromStdString(file));
        return int(QDialog::Accepted);
    };
    log->findChild<QPushButton*>("trafficSave")->click();
    const auto records = test::ParseTrafficLog(test::ReadFile(file));
    ASSERT_EQ(records.size(), log->recordCount());
    EXPECT_EQ(records[0].direction, TrafficDirection::ToUnit);
    EXPECT_EQ(std::string(records[0].bytes.begin(), records[0].bytes.end()), "GetInfo\r\n");

    // Closing the window ends the recording.
    log->close();
    EXPECT_TRUE(PumpUntil([&] { return f.fileCommands()->trafficLogWindow() == nullptr; }));
    EXPECT_EQ(f.link().CommHandle().trafficObserver(), nullptr);
    EXPECT_TRUE(notifier.texts().empty());
}

}  // namespace
}  // namespace ketrel
