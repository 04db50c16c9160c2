#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include "test_support.h"
#include "widgets/dialog_runner.h"

namespace ketrel::test {

// Answers each modal dialog with a function of the test instead of waiting in exec().
class ScriptedDialogRunner : public DialogRunner {
  public:
    using Answer = std::function<int(QDialog&)>;
    int run(QDialog& dialog) override {
        ++runs;
        return answer ? answer(dialog) : QDialog::Rejected;
    }
    Answer answer;
    int runs = 0;
};

// Runs the event loop of this thread until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

inline void PumpFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Points the per-user directories at a temporary directory for one test.
class UserDirs {
  public:
    UserDirs() {
        config_ = dir_.file("config");
        runtime_ = dir_.file("runtime");
        std::filesystem::create_directories(config_);
        std::filesystem::create_directories(runtime_);
        setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    const std::string& config() const { return config_; }
    const std::string& runtime() const { return runtime_; }

  private:
    TempDir dir_;
    std::string config_;
    std::string runtime_;
};

}  // namespace ketrel::test
