// What the traffic log costs the link: frame-to-action latency and write-config time with the log
// on and off, interleaved at random within one run so that the load of the machine falls on both
// alike. Prints the figures and the ratio on / off (target: within 5%, ratio <= 1.05).
#include <stdlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app_state.h"
#include "config_transfer.h"
#include "frame_dispatch.h"
#include "receive_thread.h"
#include "serial_link.h"
#include "supplied_database.h"
#include "traffic_log.h"
#include "unit_simulator.h"

using namespace ketrel;
using Clock = std::chrono::steady_clock;

namespace {

class QuietNotifier : public Notifier {
  public:
    void show(const std::string&, const std::string&, MessageIcon) override {}
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return false; }
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

class NoSink : public FrameSink {
  public:
    void infoLine(const std::string&, const std::string&) override {}
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Percentile(std::vector<double> v, int p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, v.size() * static_cast<std::size_t>(p) / 100)];
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 2000;
    const int writes = argc > 2 ? std::atoi(argv[2]) : 10;

    char pattern[] = "/tmp/ketrel-log-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    const std::string database = std::string(dir) + "/CONFIG";
    std::string error;
    if (!CreateSuppliedDatabase(database, &error)) return 1;

    sim::UnitSimulator unit;
    if (!unit.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    TrafficLog log;
    if (!log.openFile(std::string(dir) + "/traffic.log")) return 1;

    QuietNotifier notifier;
    SerialLink link(notifier);
    SharedText path;
    TimingActions actions;
    NoSink sink;
    FrameDispatcher dispatcher(actions, sink, path);
    ReceiveThread receiver(link.CommHandle(),
                           [&](frame::Ring& ring) { return dispatcher.DispatchUnitFrames(ring); });
    link.AttachReceiver(&receiver);
    receiver.start();
    if (!link.ConnectCommPort(unit.portPath())) return 1;

    auto setLog = [&](bool on) {
        SerialLink::Exchange exchange(link);
        link.CommHandle().setTrafficObserver(on ? &log : nullptr);
    };

    std::mt19937 rng(11);
    std::vector<double> latency[2];
    for (int i = 0; i < frames; ++i) {
        const int on = static_cast<int>(rng() % 2);
        setLog(on != 0);
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 4000));
        const int before = actions.count.load();
        const auto sent = Clock::now();
        unit.sendFrame("ComputerPageDown");
        while (actions.count.load() == before) {
            if (Clock::now() - sent > std::chrono::seconds(1)) break;
            std::this_thread::yield();
        }
        const Clock::time_point acted{Clock::duration(actions.acted.load())};
        latency[on].push_back(std::chrono::duration<double, std::micro>(acted - sent).count());
    }

    std::vector<double> writeMs[2];
    NoProgress progress;
    for (int i = 0; i < 2 * writes; ++i) {
        const int on = (i + i / 2) % 2;  // off, on, on, off, off, on, ...
        setLog(on != 0);
        const auto start = Clock::now();
        if (!WriteConfiguration(link, database, notifier, progress)) {
            std::fprintf(stderr, "write-config failed\n");
            return 1;
        }
        writeMs[on].push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    setLog(false);
    log.flush();

    const double offMedian = Median(latency[0]), onMedian = Median(latency[1]);
    const double offP90 = Percentile(latency[0], 90), onP90 = Percentile(latency[1], 90);
    std::printf(
        "frame to action, %zu frames off / %zu on: median %.0f / %.0f us (ratio %.3f), "
        "p90 %.0f / %.0f us (ratio %.3f)\n",
        latency[0].size(), latency[1].size(), offMedian, onMedian, onMedian / offMedian, offP90,
        onP90, onP90 / offP90);
    const double offWrite = Median(writeMs[0]), onWrite = Median(writeMs[1]);
    std::printf("write-config, %d runs each: median %.1f / %.1f ms (ratio %.3f; target <= 1.05)\n",
                writes, offWrite, onWrite, onWrite / offWrite);
    std::printf("records logged: %llu\n", static_cast<unsigned long long>(log.recordCount()));

    link.ClosePort();
    receiver.stop();
    link.AttachReceiver(nullptr);
    std::filesystem::remove_all(dir);
    return 0;
}
