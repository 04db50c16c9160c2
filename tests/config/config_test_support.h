#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "config/supplied_database.h"
#include "test_support.h"

namespace ketrel::test {

// Runs statements on a database file directly, bypassing the layer under test, to arrange a
// case or to look at the outcome.
inline void RawExec(const std::string& path, const std::string& statements) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message << "\n" << statements;
}

inline std::string RawValue(const std::string& path, const std::string& query) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, query.c_str(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(st, 0);
            out = text ? reinterpret_cast<const char*>(text) : "";
        }
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return out;
}

// Inserts cards "1".."count" with actions derived from the number.
inline void InsertCards(const std::string& path, int count) {
    std::string sql = "BEGIN;";
    for (int i = 1; i <= count; ++i) {
        sql += "insert into Card(ID,Enter,Leave) values('" + std::to_string(i) + "'," +
               std::to_string(i % 10) + "," + std::to_string((i + 3) % 10) + ");";
    }
    sql += "COMMIT;";
    RawExec(path, sql);
}

// The command line run in-process, with what it printed.
struct Outcome {
    int status;
    std::string out;
    std::string err;
};

inline Outcome RunCli(const std::string& dir, const std::string& port,
                      const std::string& subcommand, std::vector<std::string> args = {},
                      const std::string& log = {}) {
    const cli::GlobalOptions options{
        .dir = dir, .port = port, .log = log, .subcommand = subcommand, .args = std::move(args)};
    std::ostringstream out, err;
    const int status = cli::Run(options, out, err);
    return {status, out.str(), err.str()};
}

// A temporary directory holding a fresh copy of the supplied database.
class SuppliedDb {
  public:
    SuppliedDb() {
        std::string error;
        created = CreateSuppliedDatabase(path, &error);
        EXPECT_TRUE(created) << error;
    }
    TempDir dir;
    std::string path = dir.file("CONFIG");
    bool created = false;
};

class RecordingProgress : public Progress, public EventLog {
  public:
    void setRange(int low, int high) override {
        add("range " + std::to_string(low) + ".." + std::to_string(high));
    }
    void setPosition(int position) override { add("position " + std::to_string(position)); }
    void setStepText(const std::string& text) override { add("text " + text); }
};

}  // namespace ketrel::test
