#include <sqlite3.h>

#include "config/sqlite_limits.h"
#include "projector/device_library.h"

namespace ketrel::projector {

namespace {

// How long a read waits while another program holds a write lock on the library.
constexpr int kBusyTimeoutMs = 2000;
// A library of every projector there is holds some thousands of rows; a file that gives more,
// or takes longer to give them, is no library (a view in a table's place may never end).
constexpr std::size_t kMaxRows = 200000;
constexpr int kMaxWork = 2000;  // million SQLite instructions

// Square brackets, not double quotes: SQLite reads an unknown double-quoted name as a text
// literal, which would turn a missing column into a comparison that never fails.
std::string BuildSelect(const TableQuery& query) {
    std::string sql = "select * from [" + query.table + "]";
    int parameter = 1;
    for (const auto& [column, value] : query.equals) {
        sql += parameter == 1 ? " where " : " and ";
        // BINARY: a library whose column was declared NOCASE must still match exactly.
        sql += "[" + column + "] = ?" + std::to_string(parameter++) + " collate binary";
    }
    return sql;
}

// A statement that the database rejects as such (no table, no column) is a wrong library; any
// other failure means the file could not be read as a database at all.
LibraryStatus StatusOf(int rc) {
    return (rc & 0xff) == SQLITE_ERROR ? LibraryStatus::OpenFailed : LibraryStatus::ConnectFailed;
}

class SqliteReader : public DeviceLibraryReader {
  public:
    explicit SqliteReader(std::string path) : path_(std::move(path)) {}

    RawRows Fetch(const TableQuery& query) override {
        // SQLite takes an empty or foreign file for a new database; only its own format counts.
        if (DetectLibraryFormat(path_) != LibraryFormat::Sqlite) {
            return {LibraryStatus::ConnectFailed, {}};
        }
        sqlite3* db = nullptr;
        int rc = sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close(db);
            return {LibraryStatus::ConnectFailed, {}};
        }
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        // The file comes from outside: its schema may not run functions with side effects.
        sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        const SqliteWorkLimit limit(db, kMaxWork);

        RawRows out = Run(db, query);
        sqlite3_close(db);
        return out;
    }

  private:
    static RawRows Run(sqlite3* db, const TableQuery& query) {
        sqlite3_stmt* stmt = nullptr;
        const std::string sql = BuildSelect(query);
        int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(stmt);
            return {StatusOf(rc), {}};
        }
        const int columns = sqlite3_column_count(stmt);
        // A view in a table's place counts as a missing table.
        if (columns < 0 || static_cast<std::size_t>(columns) < query.minColumns ||
            !IsRealTable(db, query.table)) {
            sqlite3_finalize(stmt);
            return {LibraryStatus::OpenFailed, {}};
        }
        int parameter = 1;
        for (const auto& entry : query.equals) {
            const std::string& value = entry.second;
            sqlite3_bind_text(stmt, parameter++, value.data(), static_cast<int>(value.size()),
                              SQLITE_TRANSIENT);
        }
        RawRows out;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            if (out.rows.size() == kMaxRows) break;
            std::vector<std::string> row;
            row.reserve(query.minColumns);
            for (std::size_t c = 0; c < query.minColumns; ++c) {
                const int index = static_cast<int>(c);
                // A NULL reads as empty text, as it does from an Access file.
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
                const int size = sqlite3_column_bytes(stmt, index);
                row.emplace_back(text ? std::string(text, static_cast<std::size_t>(size))
                                      : std::string());
            }
            out.rows.push_back(std::move(row));
        }
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE) {
            // A damaged page met half-way: no partial list.
            return {LibraryStatus::ConnectFailed, {}};
        }
        return out;
    }

    std::string path_;
};

}  // namespace

std::unique_ptr<DeviceLibraryReader> MakeSqliteDeviceReader(std::string path) {
    return std::make_unique<SqliteReader>(std::move(path));
}

}  // namespace ketrel::projector
