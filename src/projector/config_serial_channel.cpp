#include "config_serial_channel.h"

#include <sqlite3.h>

#include <initializer_list>
#include <variant>

#include "projector_texts.h"

namespace ketrel::projector {

namespace {

constexpr const char* kSelectCodeByName =
    "select * from SPTxCode where CodeName = '%s' and SPNumber = %d";
constexpr const char* kUpdateCodeByName =
    "update SPTxCode set Code = '%s' where SPNumber = %d and CodeName = '%s'";
constexpr const char* kUpdateChannel =
    "update SPChannel set Protocol = '%s',Model = '%s' where SPNumber = %d";

constexpr const char* kNoCaption = "";

using Value = std::variant<std::string, int>;

// The statement with each '%s' and %d turned into a parameter, so a value is never read as
// part of the statement.
std::string Parameterise(std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 4, "'%s'") == 0) {
            out += '?';
            i += 3;
        } else if (format.compare(i, 2, "%d") == 0) {
            out += '?';
            i += 1;
        } else {
            out += format[i];
        }
    }
    return out;
}

// Opens an existing file only: a missing CONFIG is a failure, not a new empty database.
sqlite3* OpenConfig(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, ConfigSerialChannel::kBusyTimeoutMs);
    return db;
}

enum class RunResult { OpenFailed, StatementFailed, Done };

// Runs one statement; rows, when given, receives the number of rows it returned.
RunResult Run(const std::string& path, std::string_view format, std::initializer_list<Value> args,
              int* rows = nullptr) {
    sqlite3* db = OpenConfig(path);
    if (!db) return RunResult::OpenFailed;
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = Parameterise(format);
    bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
              sqlite3_bind_parameter_count(stmt) == static_cast<int>(args.size());
    int index = 1;
    for (const Value& arg : args) {
        if (!ok) break;
        if (const auto* text = std::get_if<std::string>(&arg)) {
            ok = sqlite3_bind_text(stmt, index, text->data(), static_cast<int>(text->size()),
                                   SQLITE_TRANSIENT) == SQLITE_OK;
        } else {
            ok = sqlite3_bind_int(stmt, index, std::get<int>(arg)) == SQLITE_OK;
        }
        ++index;
    }
    int count = 0;
    int rc = SQLITE_DONE;
    if (ok) {
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) ++count;
        ok = rc == SQLITE_DONE;
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    if (rows) *rows = count;
    return ok ? RunResult::Done : RunResult::StatementFailed;
}

}  // namespace

ConfigSerialChannel::ConfigSerialChannel(std::string configPath, int spNumber, Notifier& notifier)
    : path_(std::move(configPath)), spNumber_(spNumber), notifier_(notifier) {}

bool ConfigSerialChannel::HasCode(const std::string& codeName) {
    int rows = 0;
    return Run(path_, kSelectCodeByName, {codeName, spNumber_}, &rows) == RunResult::Done &&
           rows == 1;
}

bool ConfigSerialChannel::SetCodeByName(const std::string& codeName, const std::string& code) {
    switch (Run(path_, kUpdateCodeByName, {code, spNumber_, codeName})) {
        case RunResult::OpenFailed:
            notifier_.show(texts::kOpenConfigFailed, kNoCaption, MessageIcon::None);
            return false;
        case RunResult::StatementFailed:
            notifier_.show(texts::kExecSPTxCodeFailed, kNoCaption, MessageIcon::None);
            return false;
        case RunResult::Done:
            break;
    }
    return true;
}

bool ConfigSerialChannel::SaveChannelSettings(int spNumber, const std::string& protocol,
                                              const std::string& model) {
    switch (Run(path_, kUpdateChannel, {protocol, model, spNumber})) {
        case RunResult::OpenFailed:
            notifier_.show(texts::kOpenConfigFailed, kNoCaption, MessageIcon::None);
            return false;
        case RunResult::StatementFailed:
            notifier_.show(texts::kExecSPChannelFailed, kNoCaption, MessageIcon::None);
            return false;
        case RunResult::Done:
            break;
    }
    return true;
}

}  // namespace ketrel::projector
