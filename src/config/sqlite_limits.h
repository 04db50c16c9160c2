#pragma once

#include <cstddef>
#include <string_view>

struct sqlite3;

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

// True when name is a table of the main schema (not a view, not missing).
bool IsRealTable(sqlite3* db, std::string_view name);

}  // namespace ketrel
