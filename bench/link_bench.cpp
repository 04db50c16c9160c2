// Receive-thread figures: idle CPU with the port open, and the time from the unit writing a
// frame to the dispatcher acting on it. Prints figures and ratios to targets; never fails.
#include <sys/resource.h>

#include <random>
#include <thread>

#include "bench_support.h"

using namespace ketrel;
using namespace ketrel::bench;

namespace {

double CpuSeconds() {
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::atoi(argv[1]) : 500;
    const double idleSeconds = argc > 2 ? std::atof(argv[2]) : 5.0;

    sim::UnitSimulator unit;
    // The program's own reaction is measured: each frame is there at once, as when its last byte
    // has just come off the line.
    unit.setBaud(0);
    std::string error;
    if (!unit.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<TrafficLog> trafficLog;
    if (!LogFromEnvironment(trafficLog)) return 1;
    TimingActions actions;
    BenchLink bench(actions);
    if (!bench.link.ConnectCommPort(unit.portPath())) return 1;

    // Idle: the port open, nothing on the line. The simulator's own thread is counted too, so
    // the figure overstates the receive thread's share.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const double cpu0 = CpuSeconds();
    const auto wall0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(idleSeconds));
    const double idleCpu = CpuSeconds() - cpu0;
    const double wall = std::chrono::duration<double>(Clock::now() - wall0).count();
    const double idlePercent = 100.0 * idleCpu / wall;

    // Latency: one frame at a time at random moments, as keys pressed on a panel arrive.
    std::mt19937 rng(7);
    std::vector<double> micros;
    for (int i = 0; i < frames; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + rng() % 9000));
        micros.push_back(TimeOneFrame(unit, actions));
    }
    const double median = Percentile(micros, 50);
    const double p99 = Percentile(micros, 99);

    std::printf(
        "receive thread, port open and idle for %.1f s: %.3f%% of one core "
        "(target < 0.5%%, ratio %.2f)\n",
        wall, idlePercent, idlePercent / 0.5);
    std::printf(
        "frame to action over %d frames: median %.0f us (target < 2000, ratio %.3f), "
        "p99 %.0f us (target < 12000, ratio %.3f), max %.0f us\n",
        frames, median, median / 2000, p99, p99 / 12000, Percentile(micros, 100));
    return 0;
}
