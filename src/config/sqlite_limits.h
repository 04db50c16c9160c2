#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace ketrel {

// A database file comes from outside: a table may have been replaced by a view that never ends,
// or grown far beyond anything real. What the program reads from such a file is bounded.
class SqliteWorkLimit {
  public:
    // Statements on db fail (SQLITE_INTERRUPT) once they have run about this many million
    // virtual machine instructions in all. No statement may run on db after this object is
    // gone: make it right after opening, and close the connection before it goes.
    SqliteWorkLimit(sqlite3* db, int millionInstructions);
    SqliteWorkLimit(const SqliteWorkLimit&) = delete;
    SqliteWorkLimit& operator=(const SqliteWorkLimit&) = delete;

  private:
    static int OnProgress(void* self);

    int checksLeft_;
};

// Steps the statement to its end, every cell as text (NULL as empty text), at most maxRows rows.
// SQLITE_DONE when all were read; SQLITE_ROW when there were more; the error code otherwise.
int ReadRows(sqlite3_stmt* st, std::vector<std::vector<std::string>>& rows, std::size_t maxRows);

// True when name is a table of the main schema (not a view, not missing).
bool IsRealTable(sqlite3* db, std::string_view name);

}  // namespace ketrel
