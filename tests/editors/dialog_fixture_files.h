#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "test_support.h"

namespace ketrel::test {

inline std::string FixturePath(const std::string& name) {
    return std::string(KETREL_PROJECTOR_TEST_DATA) + "/" + name;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The test libraries of the projector tests, copied under the name the program reads.
inline void CopyFixture(const std::string& name, const std::string& to) {
    std::filesystem::copy_file(FixturePath(name), to,
                               std::filesystem::copy_options::overwrite_existing);
}

// An SQLite file made from statements.
inline void RawCreate(const std::string& path, const std::string& statements) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, statements.c_str(), nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

}  // namespace ketrel::test
