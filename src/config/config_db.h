#pragma once

#include <concepts>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"
#include "config/config_texts.h"

namespace ketrel {

// One value for a placeholder of a statement: text for %s, a whole number for %d.
class SqlArg {
  public:
    SqlArg(std::string_view text) : text_(text), isText_(true) {}
    SqlArg(const char* text) : SqlArg(std::string_view(text)) {}
    SqlArg(const std::string& text) : SqlArg(std::string_view(text)) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) SqlArg(T number)
        : number_(static_cast<long long>(number)), isText_(false) {}

    bool isText() const { return isText_; }
    const std::string& text() const { return text_; }
    long long number() const { return number_; }

  private:
    std::string text_;
    long long number_ = 0;
    bool isText_;
};

using SqlRow = std::vector<std::string>;
using SqlRows = std::vector<SqlRow>;

// The tables of the configuration database and their columns, in order.
struct TableSpec {
    const char* name;
    std::vector<const char*> columns;
};
const std::vector<TableSpec>& ConfigTableSpecs();
// "列名或列的顺序不对，应为：ID, Name, Value"
std::string WrongColumnsText(const TableSpec& table);

// The configuration database file. Nothing stays open: every call opens the file, runs one
// statement and closes it again, so the user may replace or copy the file between two dialogs.
//
// Statements are the printf-like formats of the statement catalogue (config_statements.h):
// %s stands between single quotes and takes text, %d takes a number, %% is a percent sign.
// A text value may hold anything, single quotes included: each quote is doubled, so a value
// never ends its quoted literal early. Failures are shown through the notifier with the
// program's fixed texts; the caller names the table for the message.
class ConfigDb {
  public:
    // How long a statement waits for a database locked by another program before it fails.
    static constexpr int kBusyTimeoutMs = 2000;
    // No table of the database comes near this; a file that holds more is refused.
    static constexpr std::size_t kMaxRows = 100000;
    // Million SQLite instructions a statement may take (far more than any real table needs).
    static constexpr int kMaxWork = 200;

    // openFailure: the message for a file that cannot be opened; it depends on the caller
    // (texts::kOpenConfigFailed, kOpenConfigEditorFailed or kOpenCardFailed).
    ConfigDb(std::string path, Notifier& notifier,
             const char* openFailure = texts::kOpenConfigFailed);

    const std::string& path() const { return path_; }
    Notifier& notifier() const { return notifier_; }

    // A select: the result rows (column names excluded), every cell as text (NULL as empty
    // text). Nothing after showing "sqlite3_get_table for <table> error!!!" or the open message.
    // The table must be a real table of the file, "select *" must give its columns in their
    // order, and what is read is bounded (a file from outside may hold anything).
    std::optional<SqlRows> fetch(std::string_view format, std::initializer_list<SqlArg> args,
                                 std::string_view table) const;
    std::optional<SqlRows> fetch(std::string_view format, std::string_view table) const {
        return fetch(format, {}, table);
    }

    // An update, insert or delete: false after showing "sqlite3_exec for <table> error!!!" or
    // the open message. True also when no row matched.
    bool execute(std::string_view format, std::initializer_list<SqlArg> args,
                 std::string_view table) const;
    bool execute(std::string_view format, std::string_view table) const {
        return execute(format, {}, table);
    }

    // The Value of the one SystemConfig row of that name; false (value untouched) when no row
    // or several rows have it, or the database failed.
    bool GetConfigValue(std::string_view name, std::string& value) const;
    // True when the update ran, whether or not a row matched.
    bool SetConfigValue(std::string_view name, std::string_view value) const;

    // The statement with its placeholders filled, or nothing when the format and the values
    // do not match (a mistake of the caller, reported as a failed statement).
    static std::optional<std::string> FormatStatement(std::string_view format,
                                                      std::initializer_list<SqlArg> args);

  private:
    std::string path_;
    Notifier& notifier_;
    const char* openFailure_;
};

// The same two operations for callers that hold only the path.
bool GetConfigValue(const std::string& databasePath, Notifier& notifier, std::string_view name,
                    std::string& value);
bool SetConfigValue(const std::string& databasePath, Notifier& notifier, std::string_view name,
                    std::string_view value);

}  // namespace ketrel
