// What the traffic log costs the link: frame-to-action latency and write-config time with the log
// on and off, interleaved at random within one run so that the load of the machine falls on both
// alike. Prints the figures and the ratio on / off (target: within 5%, ratio <= 1.05).
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <thread>

#include "bench_support.h"
#include "config/config_transfer.h"
#include "config/supplied_database.h"

using namespace ketrel;
using namespace ketrel::bench;

namespace {

double Median(const std::vector<double>& v) { return Percentile(v, 50); }

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

    TimingActions actions;
    BenchLink bench(actions);
    SerialLink& link = bench.link;
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
        latency[on].push_back(TimeOneFrame(unit, actions));
    }

    std::vector<double> writeMs[2];
    NoProgress progress;
    for (int i = 0; i < 2 * writes; ++i) {
        const int on = (i + i / 2) % 2;  // off, on, on, off, off, on, ...
        setLog(on != 0);
        const auto start = Clock::now();
        if (!WriteConfiguration(link, database, bench.notifier, progress)) {
            std::fprintf(stderr, "write-config failed: %s\n", bench.notifier.last().c_str());
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

    std::filesystem::remove_all(dir);
    return 0;
}
