// The configuration database missing, unopenable, read-only, locked by another process, with a
// table missing or a table of the wrong size: each step shows its message, sends nothing to the
// unit that it should not, leaves the file as it was, and the receive thread runs again.
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "common/texts.h"
#include "config/config_db.h"
#include "config/config_texts.h"
#include "config/config_transfer.h"
#include "fault_fixture.h"

namespace ketrel::test {
namespace {

namespace fs = std::filesystem;

class DatabaseFaults : public FaultFixture {
  protected:
    // Runs both transfers and one SystemConfig update on the database as it is now. Each must
    // fail with the given messages, send nothing and leave the file's bytes as they were.
    void expectEveryStepRefused(const Strings& configMessages, const Strings& cardMessages,
                                const Strings& updateMessages) {
        const std::string before = dbBytes();
        const auto linesBefore = unit.receivedLines().size();
        notifier.clear();
        WithinBudget([&] { EXPECT_FALSE(WriteConfiguration(link, db.path, notifier, progress)); });
        EXPECT_EQ(notifier.texts(), configMessages);
        notifier.clear();
        WithinBudget([&] { EXPECT_FALSE(WriteCards(link, db.path, notifier, progress)); });
        EXPECT_EQ(notifier.texts(), cardMessages);
        notifier.clear();
        WithinBudget([&] { EXPECT_FALSE(SetConfigValue(db.path, notifier, "DHCP", "0")); });
        EXPECT_EQ(notifier.texts(), updateMessages);
        EXPECT_EQ(unit.receivedLines().size(), linesBefore)
            << "a refused transfer talked to the unit";
        EXPECT_EQ(dbBytes(), before);
        expectReceiverRuns();
    }
};

TEST_F(DatabaseFaults, MissingOrNotAFile) {
    const Strings open = {texts::kOpenConfigFailed};
    const Strings openThenExtract = {texts::kOpenConfigFailed, texts::kExtractFailed};
    // Missing: reported, and not replaced by an empty database.
    fs::remove(db.path);
    expectEveryStepRefused(openThenExtract, open, open);
    EXPECT_FALSE(fs::exists(db.path));
    // A directory where the file should be.
    fs::create_directory(db.path);
    expectEveryStepRefused(openThenExtract, open, open);
    EXPECT_TRUE(fs::is_directory(db.path));
}

// Another program holds an exclusive transaction on the file. A second connection of this process
// is refused the lock just as one of another process is.
TEST_F(DatabaseFaults, LockedByAnotherProgram) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(db.path.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    // Each statement waits for the lock as long as the busy time-out allows, then fails.
    expectEveryStepRefused({"sqlite3_get_table for SPTxCode error!!!", texts::kExtractFailed},
                           {"sqlite3_get_table for Card error!!!"},
                           {"sqlite3_exec for SystemConfig error!!!"});
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    // Once the other program lets go, the same steps work.
    EXPECT_TRUE(runTransfer([&] { return WriteConfiguration(link, db.path, notifier, progress); },
                            texts::kWriteConfigFailed1, {texts::kWriteConfigDone}, 8, unit));
    EXPECT_EQ(notifier.texts(), Strings{texts::kWriteConfigDone});
}

// The file cannot be written. Root writes through any file mode, so the update runs in a child
// that gives up root first; reading still works for everyone.
TEST_F(DatabaseFaults, ReadOnly) {
    fs::permissions(db.dir.path(), fs::perms::owner_all | fs::perms::group_read |
                                       fs::perms::group_exec | fs::perms::others_read |
                                       fs::perms::others_exec);
    fs::permissions(db.path,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string before = dbBytes();

    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(out[0]);
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        RecordingNotifier child;
        std::string value;
        std::string report = SetConfigValue(db.path, child, "DHCP", "0") ? "updated" : "refused";
        report += GetConfigValue(db.path, child, "DHCP", value) ? " read" : " unread";
        for (const auto& t : child.texts()) report += "|" + t;
        [[maybe_unused]] ssize_t n = ::write(out[1], report.data(), report.size());
        _exit(0);
    }
    ::close(out[1]);
    std::string report;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) report.append(buffer, n);
    ::close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    EXPECT_EQ(report, "refused read|sqlite3_exec for SystemConfig error!!!");
    EXPECT_EQ(dbBytes(), before);

    // The transfers only read: they work on a read-only file and leave it as it was.
    EXPECT_TRUE(runTransfer([&] { return WriteConfiguration(link, db.path, notifier, progress); },
                            texts::kWriteConfigFailed1, {texts::kWriteConfigDone}, 8, unit));
    EXPECT_EQ(notifier.texts(), Strings{texts::kWriteConfigDone});
    EXPECT_EQ(dbBytes(), before);
    expectReceiverRuns();
}

// A table missing or of the wrong size: the transfer that reads it refuses before it says a word
// to the unit.
TEST_F(DatabaseFaults, TableMissingOrOfTheWrongSize) {
    struct Case {
        std::string change;
        bool cards;
        Strings messages;
    };
    const Strings wrongSize = {texts::kRowCountWrong, texts::kExtractFailed};
    std::vector<Case> cases = {
        {"drop table Card", true, {"sqlite3_get_table for Card error!!!"}},
        {"insert into Card(ID, Enter, Leave) with recursive n(i) as (select 1 union all select "
         "i + 1 from n where i < 341) select cast(i as text), i % 10, 0 from n",
         true,
         {texts::kTooManyCards}},
        {"delete from SPTxCode where rowid = (select max(rowid) from SPTxCode)", false, wrongSize},
        {"insert into SPTxCode(SPNumber, CodeName) values(4, 'extra')", false, wrongSize},
        {"delete from IRTxCode where rowid = (select min(rowid) from IRTxCode)", false, wrongSize},
        {"insert into SPChannel(ChannelName, Protocol) values('5', '9600,None,8,1')", false,
         wrongSize},
        {"delete from IRChannel", false, wrongSize},
        {"delete from KeyCode where rowid = (select max(rowid) from KeyCode)", false, wrongSize},
        {"delete from SystemConfig where rowid = (select max(rowid) from SystemConfig)", false,
         wrongSize},
        {"insert into SystemConfig(Name, Value) values('Extra', '1')", false, wrongSize},
    };
    for (const char* table :
         {"SPTxCode", "IRTxCode", "SPChannel", "IRChannel", "KeyCode", "SystemConfig"}) {
        cases.push_back(
            {std::string("drop table ") + table,
             false,
             {std::string("sqlite3_get_table for ") + table + " error!!!", texts::kExtractFailed}});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        SuppliedDb fresh;
        RawExec(fresh.path, c.change);
        db.path = fresh.path;
        const std::string before = dbBytes();
        notifier.clear();
        WithinBudget([&] {
            EXPECT_FALSE(c.cards ? WriteCards(link, db.path, notifier, progress)
                                 : WriteConfiguration(link, db.path, notifier, progress));
        });
        EXPECT_EQ(notifier.texts(), c.messages);
        EXPECT_EQ(unit.receivedLines(), Strings{}) << "a refused transfer talked to the unit";
        if (c.change == "drop table SystemConfig") {
            notifier.clear();
            EXPECT_FALSE(SetConfigValue(db.path, notifier, "DHCP", "0"));
            EXPECT_EQ(notifier.texts(), Strings{"sqlite3_exec for SystemConfig error!!!"});
        }
        EXPECT_EQ(dbBytes(), before);
        expectReceiverRuns();
    }
}

}  // namespace
}  // namespace ketrel::test
