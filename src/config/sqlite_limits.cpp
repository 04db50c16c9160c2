#include "config/sqlite_limits.h"

#include <sqlite3.h>

#include <string>

namespace ketrel {

namespace {
constexpr int kInstructionsPerCheck = 1000;
}  // namespace

SqliteWorkLimit::SqliteWorkLimit(sqlite3* db, int millionInstructions)
    : checksLeft_(millionInstructions * (1'000'000 / kInstructionsPerCheck)) {
    sqlite3_progress_handler(db, kInstructionsPerCheck, &SqliteWorkLimit::OnProgress, this);
}

int SqliteWorkLimit::OnProgress(void* self) {
    auto* limit = static_cast<SqliteWorkLimit*>(self);
    return --limit->checksLeft_ < 0 ? 1 : 0;
}

int ReadRows(sqlite3_stmt* st, std::vector<std::vector<std::string>>& rows, std::size_t maxRows) {
    const int columns = sqlite3_column_count(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW && rows.size() < maxRows) {
        std::vector<std::string> row;
        row.reserve(static_cast<std::size_t>(columns));
        for (int c = 0; c < columns; ++c) {
            const auto* cell = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            row.emplace_back(
                cell ? std::string(cell, static_cast<std::size_t>(sqlite3_column_bytes(st, c)))
                     : std::string());
        }
        rows.push_back(std::move(row));
    }
    return rc;
}

bool IsRealTable(sqlite3* db, std::string_view name) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "select type from main.sqlite_master where name = ?1 collate nocase",
                           -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return false;
    }
    sqlite3_bind_text(st, 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    // Tables and views share one namespace: a view in a table's place is no table.
    bool table = false;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto* type = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        table = table || (type && std::string(type) == "table");
    }
    sqlite3_finalize(st);
    return table;
}

}  // namespace ketrel
