// The configuration and card transfers against the simulated unit on a 115200-baud line with a
// unit that answers at once, and the image compile. Prints wall times and their ratios to the
// floor of the line: the fixed pauses the unit needs (1.2 s / 0.2 s) plus the time every byte
// that went either way takes on the wire (target <= 1.05 for both transfers); the image compile
// against 20 ms.
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>

#include "bench_support.h"
#include "config/config_image.h"
#include "config/config_transfer.h"
#include "config/supplied_database.h"

namespace {

using namespace ketrel;
using namespace ketrel::bench;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Counts the bytes of a transfer, both ways, and hands them on to the traffic log if one is on.
class ByteCounter : public TrafficObserver {
  public:
    explicit ByteCounter(TrafficObserver* next) : next_(next) {}
    void onTraffic(TrafficDirection direction, const std::uint8_t* data, std::size_t len) override {
        bytes += len;
        if (next_) next_->onTraffic(direction, data, len);
    }
    std::size_t bytes = 0;
    TrafficObserver* next() const { return next_; }

  private:
    TrafficObserver* next_;
};

// The floor of a transfer: its pauses and the wire time of its bytes.
double FloorMs(double pausesMs, std::size_t bytes, int baud) {
    return pausesMs + static_cast<double>(bytes) * 10.0 * 1000.0 / baud;
}

// Remembers when each block's status arrived, to show where the time goes.
class TimedProgress : public Progress {
  public:
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void setStepText(const std::string&) override { marks.push_back(Clock::now()); }
    std::vector<Clock::time_point> marks;
};

struct Stats {
    double median, min, max;
};

Stats Summarise(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

bool InsertCards(const std::string& path, int count) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    std::string sql = "BEGIN;";
    for (int i = 1; i <= count; ++i) {
        sql += "insert into Card values('" + std::to_string(100000 + i) + "'," +
               std::to_string(i % 10) + "," + std::to_string((i + 1) % 10) + ");";
    }
    sql += "COMMIT;";
    const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

}  // namespace

int main() {
    char pattern[] = "/tmp/ketrel-config-bench-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (!dir) return 1;
    const std::string database = std::string(dir) + "/CONFIG";
    std::string error;
    if (!CreateSuppliedDatabase(database, &error) || !InsertCards(database, 340)) {
        std::fprintf(stderr, "cannot make the database: %s\n", error.c_str());
        return 1;
    }

    // --- image compile (six opens, six whole-table selects, the encoding)
    {
        QuietNotifier notifier;
        const ConfigDb db(database, notifier);
        std::vector<double> times;
        ConfigImage image{};
        for (int i = 0; i < 200; ++i) {
            const auto start = Clock::now();
            if (!CompileConfigImage(db, image)) return 1;
            times.push_back(Ms(Clock::now() - start));
        }
        const Stats s = Summarise(times);
        std::printf(
            "image compile (200 runs):   median %.3f ms, min %.3f, max %.3f; "
            "median / 20 ms target = %.3f\n",
            s.median, s.min, s.max, s.median / 20.0);
    }

    sim::UnitSimulator unit;
    const int baud = sim::UnitSimulator::kLineBaud;
    unit.setBaud(baud);
    if (!unit.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    std::unique_ptr<TrafficLog> trafficLog;
    if (!LogFromEnvironment(trafficLog)) return 1;
    NoPcActions actions;
    BenchLink bench(actions);
    SerialLink& link = bench.link;
    QuietNotifier& notifier = bench.notifier;
    if (!link.OpenCommPort(unit.portPath())) return 1;
    ByteCounter counter(link.CommHandle().trafficObserver());
    link.CommHandle().setTrafficObserver(&counter);

    // Runs one transfer `runs` times; prints its times against the floor of the line.
    auto measure = [&](const char* name, int runs, double pausesMs, auto transfer) {
        std::vector<double> times, blocks;
        std::size_t bytes = 0;
        for (int i = 0; i < runs; ++i) {
            TimedProgress progress;
            notifier.messages.clear();
            counter.bytes = 0;
            const auto start = Clock::now();
            if (!transfer(progress)) {
                std::fprintf(stderr, "%s failed: %s\n", name, notifier.last().c_str());
                return false;
            }
            times.push_back(Ms(Clock::now() - start));
            bytes = counter.bytes;
            // marks: "写入" before the first block, then one per block status.
            if (progress.marks.size() >= 9)
                blocks.push_back(Ms(progress.marks[8] - progress.marks[0]));
        }
        const Stats s = Summarise(times);
        const double floor = FloorMs(pausesMs, bytes, baud);
        std::printf(
            "%s (%d runs): median %.1f ms, min %.1f, max %.1f; floor %.1f ms (%.0f ms of pauses, "
            "%zu bytes at %d baud); median / floor = %.3f (target <= 1.05)\n",
            name, runs, s.median, s.min, s.max, floor, pausesMs, bytes, baud, s.median / floor);
        const Stats b = Summarise(blocks);
        std::printf("  announce + 8 blocks: median %.1f ms (%.2f ms per block)\n", b.median,
                    b.median / 8.0);
        return true;
    };
    const bool ok =
        measure("write-config", 5, 1200.0,
                [&](Progress& p) { return WriteConfiguration(link, database, notifier, p); }) &&
        measure("write-cards, 340 cards", 10, 200.0,
                [&](Progress& p) { return WriteCards(link, database, notifier, p); });
    link.CommHandle().setTrafficObserver(counter.next());
    if (!ok) return 1;

    std::filesystem::remove_all(dir);
    return 0;
}
