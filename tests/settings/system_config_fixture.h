#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>

#include "config/config_db.h"
#include "config/supplied_database.h"
#include "test_support.h"

namespace ketrel::test {

// SQLite counts every committed change in the file's header: equal counts, nothing written.
inline std::uint32_t ChangeCounter(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[4] = {};
    in.seekg(24);
    in.read(reinterpret_cast<char*>(b), 4);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           b[3];
}

// The supplied CONFIG in a temporary program directory and its SystemConfig values.
class SystemConfigFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateSuppliedDatabase(path, &error)) << error;
    }
    std::string Stored(const std::string& key) {
        std::string value = "<missing>";
        db.GetConfigValue(key, value);
        return value;
    }
    void Store(const std::string& key, const std::string& value) {
        ASSERT_TRUE(db.SetConfigValue(key, value));
    }
    void Remove(const std::string& key) {
        ASSERT_TRUE(
            db.execute("delete from SystemConfig where Name = '%s'", {key}, "SystemConfig"));
    }

    TempDir dir;
    std::string path = dir.file("CONFIG");  // where the program looks for it
    RecordingNotifier notifier;
    ConfigDb db{path, notifier};
};

}  // namespace ketrel::test
