#pragma once

#include <QDialog>
#include <fstream>
#include <functional>
#include <string>

#include "config_test_support.h"
#include "iot_fixture.h"
#include "widgets/dialog_runner.h"

namespace ketrel::test {

// Answers each modal dialog with a function of the test instead of waiting in exec().
class AnsweringRunner : public DialogRunner {
  public:
    int run(QDialog& dialog) override {
        ++runs;
        return answer ? answer(dialog) : QDialog::Rejected;
    }
    std::function<int(QDialog&)> answer;
    int runs = 0;
};

// SQLite counts every committed change in the file's header: equal counts, nothing written.
inline std::uint32_t ChangeCounter(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[4] = {};
    in.seekg(24);
    in.read(reinterpret_cast<char*>(b), 4);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           b[3];
}

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
    AnsweringRunner dialogs;
};

}  // namespace ketrel::test
