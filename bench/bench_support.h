#pragma once
// What the benchmarks share: a notifier that keeps its messages, actions that note when a key was
// pressed, the link of the tray program on the simulated unit, and the traffic log that
// KETREL_BENCH_LOG switches on.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/traffic_log.h"
#include "link/unit_session.h"
#include "unitsim/unit_simulator.h"

namespace ketrel::bench {

using Clock = std::chrono::steady_clock;

class QuietNotifier : public Notifier {
  public:
    void show(const std::string& text, const std::string&, MessageIcon) override {
        messages.push_back(text);
    }
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return false; }
    std::string last() const { return messages.empty() ? "?" : messages.back(); }
    std::vector<std::string> messages;
};

class NoProgress : public Progress {
  public:
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void setStepText(const std::string&) override {}
};

class TimingActions : public NoPcActions {
  public:
    void pressKey(PcKey) override {
        acted.store(Clock::now().time_since_epoch().count());
        count.fetch_add(1);
    }
    std::atomic<Clock::rep> acted{0};
    std::atomic<int> count{0};
};

// The value below which p percent of the values lie.
inline double Percentile(std::vector<double> v, int p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * static_cast<std::size_t>(p) / 100)];
}

// The unit writes one ComputerPageDown frame: microseconds until the key was pressed (a second
// when it never was).
inline double TimeOneFrame(sim::UnitSimulator& unit, TimingActions& actions) {
    const int before = actions.count.load();
    const auto sent = Clock::now();
    unit.sendFrame("ComputerPageDown");
    while (actions.count.load() == before) {
        if (Clock::now() - sent > std::chrono::seconds(1)) break;
        std::this_thread::yield();
    }
    const Clock::time_point acted{Clock::duration(actions.acted.load())};
    return std::chrono::duration<double, std::micro>(acted - sent).count();
}

// The tray program's link: the serial port with its receive thread and frame dispatcher.
struct BenchLink {
    explicit BenchLink(PcActions& actions) : session(notifier, {.actions = &actions}) {
        session.startReceiver();
    }

    QuietNotifier notifier;
    UnitSession session;
    SerialLink& link = session.link();
};

// KETREL_BENCH_LOG=FILE runs a benchmark with the traffic log writing to FILE: the log, or
// nullptr when the variable is not set. False when the file cannot be opened.
inline bool LogFromEnvironment(std::unique_ptr<TrafficLog>& log) {
    const char* path = std::getenv("KETREL_BENCH_LOG");
    if (!path) return true;
    log = std::make_unique<TrafficLog>();
    if (!log->openFile(path)) {
        std::fprintf(stderr, "cannot write the traffic log %s\n", path);
        return false;
    }
    SerialPort::SetDefaultTrafficObserver(log.get());
    return true;
}

}  // namespace ketrel::bench
