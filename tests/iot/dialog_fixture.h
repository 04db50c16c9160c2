#pragma once

#include <string>

#include "app_test_support.h"
#include "config_test_support.h"
#include "iot_fixture.h"

namespace ketrel::test {

class IotDialogFixture : public IotFixture {
  protected:
    std::string Stored(const std::string& key) {
        return RawValue(db.path, "select Value from SystemConfig where Name = '" + key + "'");
    }
    void Store(const std::string& key, const std::string& value) {
        RawExec(db.path,
                "update SystemConfig set Value = '" + value + "' where Name = '" + key + "'");
    }

    SuppliedDb db;
    ScriptedDialogRunner dialogs;
};

}  // namespace ketrel::test
