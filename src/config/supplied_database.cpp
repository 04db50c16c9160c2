#include "config/supplied_database.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ketrel {

namespace {

bool Fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

}  // namespace

bool CreateSuppliedDatabase(const std::string& path, std::string* error) {
    if (access(path.c_str(), F_OK) == 0) return Fail(error, path + " already exists");
    // Build it under a private name and link it into place, so a half-written file is never
    // seen under the real name and an existing file is never replaced.
    const std::string temp = path + ".new." + std::to_string(getpid());
    unlink(temp.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(temp.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string reason = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return Fail(error, temp + ": " + reason);
    }
    const std::string script = "BEGIN;\n" + std::string(SuppliedDatabaseSql()) + "\nCOMMIT;\n";
    char* message = nullptr;
    const int rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &message);
    const std::string reason = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        unlink(temp.c_str());
        return Fail(error, "supplied database statements: " + reason);
    }
    if (link(temp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        unlink(temp.c_str());
        return Fail(error, path + ": " + std::strerror(e));
    }
    unlink(temp.c_str());
    return true;
}

}  // namespace ketrel
