// The configuration database layer: the supplied file, the statement catalogue with values that
// would break a naively formatted statement, and every way an access can fail.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "config/config_db.h"
#include "config/config_statements.h"
#include "config/system_settings.h"
#include "config_test_support.h"

namespace ketrel {
namespace {

using test::RawExec;
using test::RawValue;

TEST(SuppliedDatabase, IsNeverMadeOverAnExistingFile) {
    test::TempDir dir;
    const std::string path = dir.file("CONFIG");
    { std::ofstream(path) << "the user's own file"; }
    std::string error;
    EXPECT_FALSE(CreateSuppliedDatabase(path, &error));
    std::ifstream in(path);
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "the user's own file");
}

// The settings table and the supplied file must agree row for row: the compiler and the file
// checks take positions from the one, the unit gets values from the other.
TEST(SuppliedDatabase, HoldsTheSettingsTableRowForRow) {
    test::SuppliedDb db;
    for (const SystemSetting& s : kSystemSettings) {
        const std::string row = "select Name || '=' || Value from SystemConfig where ID = " +
                                std::to_string(s.position);
        EXPECT_EQ(RawValue(db.path, row), std::string(s.name) + "=" + s.defaultValue);
    }
}

// Texts that end a quoted literal early, look like placeholders, or need UTF-8 intact.
const char* const kAwkwardValues[] = {
    "it's", "''",     "'; delete from SystemConfig; --", "教室一号投影机", "%s %d %", "back\\slash",
    "",     "a'b'c'",
};

TEST(ConfigDb, ValuesRoundTripWhateverTheyHold) {
    test::SuppliedDb db;
    test::RecordingNotifier notifier;
    const ConfigDb config(db.path, notifier, texts::kOpenConfigEditorFailed);
    for (const char* value : kAwkwardValues) {
        SCOPED_TRACE(value);
        ASSERT_TRUE(SetConfigValue(db.path, notifier, "BLEName", value));
        std::string read = "unchanged";
        ASSERT_TRUE(GetConfigValue(db.path, notifier, "BLEName", read));
        EXPECT_EQ(read, value);

        ASSERT_TRUE(
            config.execute(sql::kUpdateSPChannel, {"9600,None,8,1", value, 2}, sql::kSPChannel));
        const auto channel = config.fetch(sql::kSelectSPChannelByNumber, {2}, sql::kSPChannel);
        ASSERT_TRUE(channel && channel->size() == 1);
        EXPECT_EQ((*channel)[0][3], value);

        const std::string id = std::string("12") + value;
        ASSERT_TRUE(config.execute(sql::kInsertCard, {id, 7, 8}, sql::kCard));
        ASSERT_TRUE(config.execute(sql::kUpdateCard, {3, 4, id}, sql::kCard));
        const auto card = config.fetch(sql::kSelectCardById, {id}, sql::kCard);
        ASSERT_TRUE(card && card->size() == 1);
        EXPECT_EQ((*card)[0], (SqlRow{id, "3", "4"}));
        ASSERT_TRUE(config.execute(sql::kDeleteCard, {id}, sql::kCard));
    }
    // Nothing ran that the statements did not say.
    EXPECT_EQ(RawValue(db.path, "select count(*) from SystemConfig"), "35");
    EXPECT_EQ(RawValue(db.path, "select count(*) from SPTxCode"), "40");
    EXPECT_EQ(RawValue(db.path, "select count(*) from Card"), "0");
    EXPECT_TRUE(notifier.messages().empty());
}

TEST(ConfigDb, NameMatchingNoRowOrSeveralRows) {
    test::SuppliedDb db;
    test::RecordingNotifier notifier;
    const ConfigDb config(db.path, notifier);
    std::string value = "default";
    EXPECT_FALSE(config.GetConfigValue("NoSuchKey", value));
    EXPECT_EQ(value, "default");
    // An update that matches nothing ran without error and changed nothing.
    const std::string before =
        RawValue(db.path, "select group_concat(Value, '|') from SystemConfig");
    EXPECT_TRUE(config.SetConfigValue("NoSuchKey", "1"));
    EXPECT_EQ(RawValue(db.path, "select group_concat(Value, '|') from SystemConfig"), before);

    RawExec(db.path, "insert into SystemConfig(Name, Value) values('DHCP', '0')");
    EXPECT_FALSE(config.GetConfigValue("DHCP", value));
    EXPECT_EQ(value, "default");
    EXPECT_TRUE(notifier.messages().empty());
}

struct FailureCase {
    const char* name;
    const char* openMessage;
    void (*arrange)(const std::string& path);
    bool fetch;  // else execute
    const char* format;
    const char* table;
    const char* expected;
    bool fileExistsAfter;
};

TEST(ConfigDb, FailuresShowTheirMessagesAndCreateNothing) {
    const FailureCase cases[] = {
        {"missing file, execute (card editor)", texts::kOpenCardFailed, [](const std::string&) {},
         false, sql::kDeleteAllCards, sql::kCard, "sqlite3_open for Card error!!!", false},
        {"not a database", texts::kOpenConfigFailed,
         [](const std::string& p) { std::ofstream(p) << "not a database at all, only text\n"; },
         true, sql::kSelectKeyCode, sql::kKeyCode, "sqlite3_get_table for KeyCode error!!!", true},
        {"table missing, execute", texts::kOpenConfigEditorFailed,
         [](const std::string& p) {
             ASSERT_TRUE(CreateSuppliedDatabase(p));
             RawExec(p, "drop table SPChannel");
         },
         false, "update SPChannel set Model = 'x'", sql::kSPChannel,
         "sqlite3_exec for SPChannel error!!!", true},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string path = dir.file("CONFIG");
        c.arrange(path);
        test::RecordingNotifier notifier;
        const ConfigDb config(path, notifier, c.openMessage);
        if (c.fetch) {
            EXPECT_FALSE(config.fetch(c.format, c.table));
        } else {
            EXPECT_FALSE(config.execute(c.format, c.table));
        }
        EXPECT_EQ(notifier.texts(), std::vector<std::string>{c.expected});
        for (const auto& m : notifier.messages()) {
            EXPECT_EQ(m.caption, "");
            EXPECT_EQ(m.icon, MessageIcon::None);
        }
        EXPECT_EQ(std::filesystem::exists(path), c.fileExistsAfter);
    }
}

TEST(ConfigDb, StatementFormatting) {
    struct Case {
        const char* format;
        std::initializer_list<SqlArg> args;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"select * from Card where ID = '%s'", {"it's"}, "select * from Card where ID = 'it''s'"},
        {"insert into Card(ID,Enter,Leave) values('%s',%d,%d)",
         {"1", 7, -8},
         "insert into Card(ID,Enter,Leave) values('1',7,-8)"},
        {"update X set A = '%s' where B = %d",
         {"%d%s", 4294967295u},
         "update X set A = '%d%s' where B = 4294967295"},
        {"100%% '%s'", {5}, "100% '5'"},
        {"where ID = %d", {"text for a number"}, std::nullopt},
        {"where ID = %d", {1, 2}, std::nullopt},
        {"a zero byte '%s'", {std::string_view("a\0b", 3)}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ConfigDb::FormatStatement(c.format, c.args), c.expected) << c.format;
    }
    // A mismatch is the caller's mistake; it is shown as the statement's failure.
    test::SuppliedDb db;
    test::RecordingNotifier notifier;
    EXPECT_FALSE(
        ConfigDb(db.path, notifier).execute(sql::kUpdateSPTxCodeById, {"A5", "x"}, sql::kSPTxCode));
    EXPECT_EQ(notifier.texts(), (std::vector<std::string>{"sqlite3_exec for SPTxCode error!!!"}));
}

// Holds an exclusive lock on the file from a second connection, as another program would.
class ExclusiveLock {
  public:
    explicit ExclusiveLock(const std::string& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        EXPECT_EQ(sqlite3_exec(db_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    ~ExclusiveLock() { release(); }
    void release() {
        if (!db_) return;
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        db_ = nullptr;
    }

  private:
    sqlite3* db_ = nullptr;
};

TEST(ConfigDb, ALockHeldBrieflyIsWaitedFor) {
    test::SuppliedDb db;
    test::RecordingNotifier notifier;
    ExclusiveLock lock(db.path);
    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        lock.release();
    });
    EXPECT_TRUE(SetConfigValue(db.path, notifier, "DHCP", "0"));
    releaser.join();
    EXPECT_EQ(RawValue(db.path, "select Value from SystemConfig where Name = 'DHCP'"), "0");
    EXPECT_TRUE(notifier.messages().empty());
}

}  // namespace
}  // namespace ketrel
