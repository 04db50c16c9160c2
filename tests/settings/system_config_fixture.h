#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app_test_support.h"
#include "config/config_db.h"
#include "config/supplied_database.h"

namespace ketrel::test {

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
