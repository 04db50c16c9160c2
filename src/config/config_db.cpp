#include "config/config_db.h"

#include <sqlite3.h>

#include <strings.h>

#include "config/config_statements.h"
#include "config/sqlite_limits.h"

namespace ketrel {

namespace {

constexpr const char* kNoCaption = "";

// Opens an existing file only: a missing CONFIG must be reported, not replaced by an empty
// database on which every later select fails.
sqlite3* OpenExisting(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);  // a handle is returned even on failure
        return nullptr;
    }
    // Another program (a second instance, an SQLite browser) may hold a lock for a moment.
    sqlite3_busy_timeout(db, ConfigDb::kBusyTimeoutMs);
    return db;
}

std::string GetTableMessage(std::string_view table) {
    return "sqlite3_get_table for " + std::string(table) + " error!!!";
}

std::string ExecMessage(std::string_view table) {
    return "sqlite3_exec for " + std::string(table) + " error!!!";
}

// The columns of the result against the table's own, names compared as SQLite compares them.
const TableSpec* WrongShape(sqlite3_stmt* st, std::string_view table, std::string_view statement) {
    if (statement.substr(0, 8) != "select *") return nullptr;
    for (const TableSpec& definition : ConfigTableSpecs()) {
        if (table != definition.name) continue;
        const int columns = sqlite3_column_count(st);
        if (columns != static_cast<int>(definition.columns.size())) return &definition;
        for (int c = 0; c < columns; ++c) {
            const char* name = sqlite3_column_name(st, c);
            if (!name || strcasecmp(name, definition.columns[static_cast<std::size_t>(c)]) != 0)
                return &definition;
        }
    }
    return nullptr;
}

// Runs the select into rows; false, with what was wrong in problem (or nothing to add), when the
// table is no real table, has other columns, or holds more than any real one.
bool RunSelect(sqlite3* db, const std::string& statement, std::string_view table, SqlRows& rows,
               std::string& problem) {
    if (!IsRealTable(db, table)) return false;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, statement.c_str(), -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        if (const TableSpec* definition = WrongShape(st, table, statement)) {
            problem = "\n" + WrongColumnsText(*definition);
            rc = SQLITE_ERROR;
        }
    }
    if (rc == SQLITE_OK) rc = ReadRows(st, rows, ConfigDb::kMaxRows);
    sqlite3_finalize(st);
    return rc == SQLITE_DONE;
}

}  // namespace

const std::vector<TableSpec>& ConfigTableSpecs() {
    static const std::vector<TableSpec> definitions = {
        {"SystemConfig", {"ID", "Name", "Value"}},
        {"SPChannel", {"SPNumber", "ChannelName", "Protocol", "Model"}},
        {"SPTxCode", {"ID", "SPNumber", "CodeName", "Code"}},
        {"IRChannel", {"IRNumber", "ChannelName", "Protocol", "Model"}},
        {"IRTxCode", {"ID", "IRNumber", "CodeName", "Code"}},
        {"KeyCode", {"Id", "KeyName", "Code1", "Code2", "Code3", "Code4", "Code5"}},
        {"Card", {"ID", "Enter", "Leave"}},
    };
    return definitions;
}

std::string WrongColumnsText(const TableSpec& table) {
    std::string names;
    for (const char* c : table.columns) names += (names.empty() ? "" : ", ") + std::string(c);
    return "列名或列的顺序不对，应为：" + names;
}

ConfigDb::ConfigDb(std::string path, Notifier& notifier, const char* openFailure)
    : path_(std::move(path)), notifier_(notifier), openFailure_(openFailure) {}

std::optional<std::string> ConfigDb::FormatStatement(std::string_view format,
                                                     std::initializer_list<SqlArg> args) {
    std::string out;
    out.reserve(format.size() + 32);
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            continue;
        }
        if (++i >= format.size()) return std::nullopt;
        const char conversion = format[i];
        if (conversion == '%') {
            out += '%';
            continue;
        }
        if (next == args.end()) return std::nullopt;
        const SqlArg& arg = *next++;
        if (conversion == 'd') {
            if (arg.isText()) return std::nullopt;
            out += std::to_string(arg.number());
        } else if (conversion == 's') {
            if (!arg.isText()) {
                out += std::to_string(arg.number());
                continue;
            }
            for (const char t : arg.text()) {
                // SQLite would end the statement text at a zero byte, inside the literal.
                if (t == '\0') return std::nullopt;
                if (t == '\'') out += '\'';
                out += t;
            }
        } else {
            return std::nullopt;
        }
    }
    if (next != args.end()) return std::nullopt;
    return out;
}

std::optional<SqlRows> ConfigDb::fetch(std::string_view format, std::initializer_list<SqlArg> args,
                                       std::string_view table) const {
    const std::optional<std::string> statement = FormatStatement(format, args);
    if (!statement) {
        notifier_.show(GetTableMessage(table), kNoCaption, MessageIcon::None);
        return std::nullopt;
    }
    sqlite3* db = OpenExisting(path_);
    if (!db) {
        notifier_.show(openFailure_, kNoCaption, MessageIcon::None);
        return std::nullopt;
    }
    const SqliteWorkLimit limit(db, kMaxWork);
    SqlRows rows;
    std::string problem;
    const bool ok = RunSelect(db, *statement, table, rows, problem);
    sqlite3_close(db);
    if (!ok) {
        notifier_.show(GetTableMessage(table) + problem, kNoCaption, MessageIcon::None);
        return std::nullopt;
    }
    return rows;
}

bool ConfigDb::execute(std::string_view format, std::initializer_list<SqlArg> args,
                       std::string_view table) const {
    const std::optional<std::string> statement = FormatStatement(format, args);
    if (!statement) {
        notifier_.show(ExecMessage(table), kNoCaption, MessageIcon::None);
        return false;
    }
    sqlite3* db = OpenExisting(path_);
    if (!db) {
        notifier_.show(openFailure_, kNoCaption, MessageIcon::None);
        return false;
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, statement->c_str(), nullptr, nullptr, &error);
    sqlite3_free(error);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        notifier_.show(ExecMessage(table), kNoCaption, MessageIcon::None);
        return false;
    }
    return true;
}

bool ConfigDb::GetConfigValue(std::string_view name, std::string& value) const {
    const auto rows = fetch(sql::kSelectConfigValue, {name}, sql::kSystemConfig);
    if (!rows || rows->size() != 1 || (*rows)[0].size() < 3) return false;
    value = (*rows)[0][2];
    return true;
}

bool ConfigDb::SetConfigValue(std::string_view name, std::string_view value) const {
    return execute(sql::kUpdateConfigValue, {value, name}, sql::kSystemConfig);
}

bool GetConfigValue(const std::string& databasePath, Notifier& notifier, std::string_view name,
                    std::string& value) {
    return ConfigDb(databasePath, notifier).GetConfigValue(name, value);
}

bool SetConfigValue(const std::string& databasePath, Notifier& notifier, std::string_view name,
                    std::string_view value) {
    return ConfigDb(databasePath, notifier).SetConfigValue(name, value);
}

}  // namespace ketrel
