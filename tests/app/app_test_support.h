#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
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

inline bool operator==(const RecordingNotifier::Message& a, const RecordingNotifier::Message& b) {
    return a.text == b.text && a.caption == b.caption && a.icon == b.icon;
}
inline void PrintTo(const RecordingNotifier::Message& m, std::ostream* os) {
    *os << "{" << m.text << ", " << m.caption << ", " << static_cast<int>(m.icon) << "}";
}

// SQLite counts every committed change in the file's header: equal counts, nothing written.
inline std::uint32_t ChangeCounter(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[4] = {};
    in.seekg(24);
    in.read(reinterpret_cast<char*>(b), 4);
    return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
           b[3];
}

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
    PumpUntil([] { return false; }, ms);
}

// Points the per-user directories at a temporary directory for one test.
class UserDirs {
  public:
    UserDirs() {
        std::filesystem::create_directories(config());
        std::filesystem::create_directories(runtime());
        setenv("XDG_CONFIG_HOME", config().c_str(), 1);
        setenv("XDG_RUNTIME_DIR", runtime().c_str(), 1);
    }
    std::string config() const { return dir_.file("config"); }
    std::string runtime() const { return dir_.file("runtime"); }

  private:
    TempDir dir_;
};

}  // namespace ketrel::test
