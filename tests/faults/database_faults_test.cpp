// The configuration database missing, unopenable, read-only, locked by another process, with a
// table missing or a table of the wrong size: each step shows its message, sends nothing to the
// unit that it should not, leaves the file as it was, and the receive thread runs again.
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

// Another program holds an exclusive transaction on the file for as long as the test wants.
class LockHolder {
  public:
    explicit LockHolder(const std::string& path) {
        int locked[2], release[2];
        if (pipe(locked) != 0 || pipe(release) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            ::close(locked[0]);
            ::close(release[1]);
            sqlite3* db = nullptr;
            char ok = 0;
            if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
                sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK) {
                ok = 1;
            }
            [[maybe_unused]] ssize_t n = ::write(locked[1], &ok, 1);
            char c;
            n = ::read(release[0], &c, 1);  // until the parent lets go or ends
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            _exit(0);
        }
        ::close(locked[1]);
        ::close(release[0]);
        releaseFd_ = release[1];
        char ok = 0;
        held_ = pid_ > 0 && ::read(locked[0], &ok, 1) == 1 && ok == 1;
        ::close(locked[0]);
    }
    ~LockHolder() { release(); }
    bool held() const { return held_; }
    void release() {
        if (releaseFd_ >= 0) ::close(releaseFd_);
        releaseFd_ = -1;
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    pid_t pid_ = -1;
    int releaseFd_ = -1;
    bool held_ = false;
};

TEST_F(DatabaseFaults, LockedByAnotherProcess) {
    {
        LockHolder holder(db.path);
        ASSERT_TRUE(holder.held());
        // Each statement waits for the lock as long as the busy time-out allows, then fails.
        expectEveryStepRefused({"sqlite3_get_table for SPTxCode error!!!", texts::kExtractFailed},
                               {"sqlite3_get_table for Card error!!!"},
                               {"sqlite3_exec for SystemConfig error!!!"});
    }
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

TEST_F(DatabaseFaults, TableMissing) {
    const char* tables[] = {"SPTxCode",  "IRTxCode", "SPChannel",
                            "IRChannel", "KeyCode",  "SystemConfig"};
    for (const char* table : tables) {
        SCOPED_TRACE(table);
        SuppliedDb fresh;
        RawExec(fresh.path, std::string("drop table ") + table);
        db.path = fresh.path;
        const std::string selectFailed =
            std::string("sqlite3_get_table for ") + table + " error!!!";
        const std::string before = dbBytes();
        notifier.clear();
        WithinBudget([&] { EXPECT_FALSE(WriteConfiguration(link, db.path, notifier, progress)); });
        EXPECT_EQ(notifier.texts(), (Strings{selectFailed, texts::kExtractFailed}));
        EXPECT_EQ(unit.receivedLines(), Strings{}) << "a refused transfer talked to the unit";
        if (table == std::string("SystemConfig")) {
            notifier.clear();
            EXPECT_FALSE(SetConfigValue(db.path, notifier, "DHCP", "0"));
            EXPECT_EQ(notifier.texts(), Strings{"sqlite3_exec for SystemConfig error!!!"});
        }
        EXPECT_EQ(dbBytes(), before);
        expectReceiverRuns();
    }
}

TEST_F(DatabaseFaults, CardTableMissing) {
    RawExec(db.path, "drop table Card");
    const std::string before = dbBytes();
    notifier.clear();
    WithinBudget([&] { EXPECT_FALSE(WriteCards(link, db.path, notifier, progress)); });
    EXPECT_EQ(notifier.texts(), Strings{"sqlite3_get_table for Card error!!!"});
    EXPECT_EQ(unit.receivedLines(), Strings{});
    EXPECT_EQ(dbBytes(), before);
    expectReceiverRuns();
}

TEST_F(DatabaseFaults, RowCountWrong) {
    struct Case {
        const char* table;
        const char* change;
    } cases[] = {
        {"SPTxCode", "delete from SPTxCode where rowid = (select max(rowid) from SPTxCode)"},
        {"SPTxCode", "insert into SPTxCode(SPNumber, CodeName) values(4, 'extra')"},
        {"IRTxCode", "delete from IRTxCode where rowid = (select min(rowid) from IRTxCode)"},
        {"SPChannel", "insert into SPChannel(ChannelName, Protocol) values('5', '9600,None,8,1')"},
        {"IRChannel", "delete from IRChannel"},
        {"KeyCode", "delete from KeyCode where rowid = (select max(rowid) from KeyCode)"},
        {"SystemConfig",
         "delete from SystemConfig where rowid = (select max(rowid) from SystemConfig)"},
        {"SystemConfig", "insert into SystemConfig(Name, Value) values('Extra', '1')"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        SuppliedDb fresh;
        RawExec(fresh.path, c.change);
        db.path = fresh.path;
        const std::string before = dbBytes();
        notifier.clear();
        WithinBudget([&] { EXPECT_FALSE(WriteConfiguration(link, db.path, notifier, progress)); });
        EXPECT_EQ(notifier.texts(), (Strings{texts::kRowCountWrong, texts::kExtractFailed}));
        EXPECT_EQ(unit.receivedLines(), Strings{});
        EXPECT_EQ(dbBytes(), before);
        expectReceiverRuns();
    }
    // The card table's size limit.
    SuppliedDb cards;
    InsertCards(cards.path, 341);
    const std::string before = FileBytes(cards.path);
    notifier.clear();
    WithinBudget([&] { EXPECT_FALSE(WriteCards(link, cards.path, notifier, progress)); });
    EXPECT_EQ(notifier.texts(), Strings{texts::kTooManyCards});
    EXPECT_EQ(unit.receivedLines(), Strings{});
    EXPECT_EQ(FileBytes(cards.path), before);
    expectReceiverRuns();
}

}  // namespace
}  // namespace ketrel::test
