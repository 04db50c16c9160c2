// Receive-thread figures: idle CPU with the port open, and the time from the unit writing a
// frame to the dispatcher acting on it. Prints figures and ratios to targets; never fails.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "app_state.h"
#include "frame_dispatch.h"
#include "receive_thread.h"
#include "serial_link.h"
#include "traffic_log.h"
#include "unit_simulator.h"

using namespace ketrel;
using Clock = std::chrono::steady_clock;

namespace {

class QuietNotifier : public Notifier {
  public:
    void show(const std::string& text, const std::string&, MessageIcon) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return false; }
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
    std::string error;
    if (!unit.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    // KETREL_BENCH_LOG=FILE: the same run with the traffic log writing to FILE.
    std::unique_ptr<TrafficLog> trafficLog;
    if (const char* logPath = std::getenv("KETREL_BENCH_LOG")) {
        trafficLog = std::make_unique<TrafficLog>();
        if (!trafficLog->openFile(logPath)) return 1;
        SerialPort::SetDefaultTrafficObserver(trafficLog.get());
    }
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
        const int before = actions.count.load();
        const auto sent = Clock::now();
        unit.sendFrame("ComputerPageDown");
        while (actions.count.load() == before) {
            if (Clock::now() - sent > std::chrono::seconds(1)) break;
            std::this_thread::yield();
        }
        const Clock::time_point acted{Clock::duration(actions.acted.load())};
        micros.push_back(std::chrono::duration<double, std::micro>(acted - sent).count());
    }
    std::sort(micros.begin(), micros.end());
    const double median = micros[micros.size() / 2];
    const double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];

    std::printf(
        "receive thread, port open and idle for %.1f s: %.3f%% of one core "
        "(target < 0.5%%, ratio %.2f)\n",
        wall, idlePercent, idlePercent / 0.5);
    std::printf(
        "frame to action over %d frames: median %.0f us (target < 2000, ratio %.3f), "
        "p99 %.0f us (target < 12000, ratio %.3f), max %.0f us\n",
        frames, median, median / 2000, p99, p99 / 12000, micros.back());
    receiver.stop();
    return 0;
}
