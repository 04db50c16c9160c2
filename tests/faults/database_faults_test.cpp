// The configuration database locked by another process, with a table missing or a table of the
// wrong size: each step shows its message, sends nothing to the unit, leaves the file as it was,
// and the receive thread runs again.
#include <sqlite3.h>

#include "common/texts.h"
#include "config/config_db.h"
#include "config/config_texts.h"
#include "config/config_transfer.h"
#include "fault_fixture.h"

namespace ketrel::test {
namespace {

using DatabaseFaults = FaultFixture;

// Another program holds an exclusive transaction on the file. A second connection of this process
// is refused the lock just as one of another process is.
TEST_F(DatabaseFaults, LockedByAnotherProgram) {
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(db.path.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    // Each statement waits for the lock as long as the busy time-out allows, then fails, sends
    // nothing and leaves the file as it was.
    const std::string before = dbBytes();
    notifier.clear();
    WithinBudget([&] { EXPECT_FALSE(WriteConfiguration(link, db.path, notifier, progress)); });
    EXPECT_EQ(notifier.texts(),
              (Strings{"sqlite3_get_table for SPTxCode error!!!", texts::kExtractFailed}));
    notifier.clear();
    WithinBudget([&] { EXPECT_FALSE(WriteCards(link, db.path, notifier, progress)); });
    EXPECT_EQ(notifier.texts(), Strings{"sqlite3_get_table for Card error!!!"});
    notifier.clear();
    WithinBudget([&] { EXPECT_FALSE(SetConfigValue(db.path, notifier, "DHCP", "0")); });
    EXPECT_EQ(notifier.texts(), Strings{"sqlite3_exec for SystemConfig error!!!"});
    EXPECT_EQ(unit.receivedLines(), Strings{}) << "a refused transfer talked to the unit";
    EXPECT_EQ(dbBytes(), before);
    expectReceiverRuns();
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(holder);
    // Once the other program lets go, the same steps work.
    EXPECT_TRUE(runTransfer([&] { return WriteConfiguration(link, db.path, notifier, progress); },
                            texts::kWriteConfigFailed1, {texts::kWriteConfigDone}, 8, unit));
    EXPECT_EQ(notifier.texts(), Strings{texts::kWriteConfigDone});
}

// A table missing or of the wrong size: the transfer that reads it refuses before it says a word
// to the unit.
TEST_F(DatabaseFaults, TableMissingOrOfTheWrongSize) {
    const Strings wrongSize = {texts::kRowCountWrong, texts::kExtractFailed};
    std::vector<std::pair<std::string, Strings>> cases = {
        {"drop table Card", {"sqlite3_get_table for Card error!!!"}},
        {"insert into Card(ID, Enter, Leave) with recursive n(i) as (select 1 union all select "
         "i + 1 from n where i < 341) select cast(i as text), i % 10, 0 from n",
         {texts::kTooManyCards}},
    };
    for (const char* change :
         {"delete from SPTxCode where rowid = (select max(rowid) from SPTxCode)",
          "insert into SPTxCode(SPNumber, CodeName) values(4, 'extra')",
          "delete from IRTxCode where rowid = (select min(rowid) from IRTxCode)",
          "insert into SPChannel(ChannelName, Protocol) values('5', '9600,None,8,1')",
          "delete from IRChannel",
          "delete from KeyCode where rowid = (select max(rowid) from KeyCode)",
          "delete from SystemConfig where rowid = (select max(rowid) from SystemConfig)",
          "insert into SystemConfig(Name, Value) values('Extra', '1')"}) {
        cases.push_back({change, wrongSize});
    }
    for (const std::string table :
         {"SPTxCode", "IRTxCode", "SPChannel", "IRChannel", "KeyCode", "SystemConfig"}) {
        cases.push_back({"drop table " + table,
                         {"sqlite3_get_table for " + table + " error!!!", texts::kExtractFailed}});
    }
    for (const auto& [change, messages] : cases) {
        SCOPED_TRACE(change);
        SuppliedDb fresh;
        RawExec(fresh.path, change);
        db.path = fresh.path;
        const std::string before = dbBytes();
        notifier.clear();
        WithinBudget([&] {
            EXPECT_FALSE(change.find(" Card") != std::string::npos
                             ? WriteCards(link, db.path, notifier, progress)
                             : WriteConfiguration(link, db.path, notifier, progress));
        });
        EXPECT_EQ(notifier.texts(), messages);
        EXPECT_EQ(unit.receivedLines(), Strings{}) << "a refused transfer talked to the unit";
        EXPECT_EQ(dbBytes(), before);
        expectReceiverRuns();
    }
}

}  // namespace
}  // namespace ketrel::test
