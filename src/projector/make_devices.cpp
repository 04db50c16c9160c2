// ketrel-makedevices SQL FILE: makes the supplied projector library FILE (an SQLite database)
// from the statements in SQL. A build step; FILE is written whole or not at all.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: " << argv[0] << " SQL FILE\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << argv[0] << ": cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream sql;
    sql << in.rdbuf();

    const std::string target = argv[2];
    const std::string temporary = target + ".tmp";
    std::remove(temporary.c_str());
    sqlite3* db = nullptr;
    if (sqlite3_open(temporary.c_str(), &db) != SQLITE_OK) {
        std::cerr << argv[0] << ": " << sqlite3_errmsg(db) << "\n";
        sqlite3_close(db);
        return 1;
    }
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.str().c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        std::cerr << argv[0] << ": " << argv[1] << ": " << (error ? error : "error") << "\n";
        sqlite3_free(error);
        sqlite3_close(db);
        std::remove(temporary.c_str());
        return 1;
    }
    sqlite3_close(db);
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::cerr << argv[0] << ": cannot write " << target << "\n";
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
