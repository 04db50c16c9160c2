#pragma once

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/notifier.h"

namespace ketrel::test {

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes the whole file, making its folder first.
inline void WriteFile(const std::string& path, const std::string& text) {
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
    std::ofstream(path, std::ios::binary) << text;
}

// Records every message instead of showing it; confirmations answer what the test set.
class RecordingNotifier : public Notifier {
  public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };
    void show(const std::string& text, const std::string& caption, MessageIcon icon) override {
        std::lock_guard lock(mutex_);
        messages_.push_back({text, caption, icon});
    }
    bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) override {
        show(text, caption, icon);
        return answer;
    }
    std::vector<Message> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages()) out.push_back(m.text);
        return out;
    }
    // Each message's first line: the message itself, without the explanation some carry below.
    std::vector<std::string> headlines() const {
        std::vector<std::string> out;
        for (const auto& m : messages()) out.push_back(m.text.substr(0, m.text.find('\n')));
        return out;
    }
    void clear() {
        std::lock_guard lock(mutex_);
        messages_.clear();
    }
    bool answer = true;

  private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

// The events a recorder was told of, in order; another thread may add to them while a test reads.
class EventLog {
  public:
    std::vector<std::string> events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::size_t count() const {
        std::lock_guard lock(mutex_);
        return events_.size();
    }

  protected:
    void add(std::string e) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(e));
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> events_;
};

// A fresh directory removed when the test ends.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "ketrel-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Polls a condition until it holds or the time runs out; for waiting on another thread.
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

}  // namespace ketrel::test
