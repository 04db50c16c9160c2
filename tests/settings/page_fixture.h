#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app_test_support.h"
#include "config_test_support.h"
#include "editor_fixture.h"
#include "platform/app_state.h"
#include "platform/ini_file.h"
#include "settings/dialog_sys_setting.h"

namespace ketrel::test {

// The system settings page of a program whose directory is a temporary one holding the
// supplied CONFIG and, when asked for, a settings password in config.ini.
class PageFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(CreateSuppliedDatabase(dbPath, &error)) << error;
    }

    CDialogSysSetting& Start(const char* author = nullptr) {
        if (author) IniFile::write(dir.file("config.ini"), "Setup", "Author", author);
        state = std::make_unique<AppState>(dir.path());
        page = std::make_unique<CDialogSysSetting>();
        page->resize(1000, 700);
        page->Attach(*state, notifier, runner);
        return *page;
    }

    TempDir dir;
    std::string dbPath = dir.file("CONFIG");
    std::unique_ptr<AppState> state;
    RecordingNotifier notifier;
    ScriptedDialogRunner runner;
    std::unique_ptr<CDialogSysSetting> page;
};

}  // namespace ketrel::test
