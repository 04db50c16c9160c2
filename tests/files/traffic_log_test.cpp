// The traffic log: the writer thread gets every record out in order from threads that write at
// once, and the file reads back byte for byte. (That the port reports every byte it writes and
// reads is shown by the log of a whole transfer in unit_test.cpp.)
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "files_test_support.h"
#include "link/traffic_log.h"
#include "test_support.h"

namespace ketrel {
namespace {

using test::ParseTrafficLog;
using test::ReadFile;

// Collects what the writer thread hands out.
struct Collected {
    std::mutex mutex;
    std::vector<TrafficRecord> records;
    void add(const TrafficBatch& batch) {
        std::lock_guard lock(mutex);
        records.insert(records.end(), batch.begin(), batch.end());
    }
};

// Record i of a writing thread: its mark, i in two bytes, CR LF; the first 1 to 5 bytes of that.
std::vector<std::uint8_t> Record(std::uint8_t who, int i) {
    const std::uint8_t full[] = {who, static_cast<std::uint8_t>(i >> 8),
                                 static_cast<std::uint8_t>(i), 0x0D, 0x0A};
    return {full, full + 1 + i % 5};
}

TEST(TrafficLog, EveryRecordReachesFileAndListenersInOrder) {
    test::TempDir dir;
    const std::string path = dir.file("traffic.log");
    Collected seen;
    TrafficLog log;
    ASSERT_TRUE(log.openFile(path));
    log.addListener([&](const TrafficBatch& b) { seen.add(b); });

    // Two threads at once, as the receive thread and the user-interface thread may be; each
    // record carries its thread and sequence number, so order and contents can be checked.
    constexpr int kPerThread = 2000;
    auto writer = [&](std::uint8_t who, TrafficDirection direction) {
        for (int i = 0; i < kPerThread; ++i) {
            const auto record = Record(who, i);
            log.onTraffic(direction, record.data(), record.size());
        }
    };
    std::thread a(writer, 0xA0, TrafficDirection::ToUnit);
    std::thread b(writer, 0xB0, TrafficDirection::FromUnit);
    a.join();
    b.join();
    log.flush();
    EXPECT_EQ(log.recordCount(), 2u * kPerThread);

    const auto fromFile = ParseTrafficLog(ReadFile(path));
    std::lock_guard lock(seen.mutex);
    ASSERT_EQ(seen.records.size(), 2u * kPerThread);
    ASSERT_EQ(fromFile.size(), seen.records.size());
    int next[2] = {0, 0};
    for (std::size_t r = 0; r < seen.records.size(); ++r) {
        const TrafficRecord& rec = seen.records[r];
        const int t = rec.bytes[0] == 0xA0 ? 0 : 1;
        EXPECT_EQ(rec.direction, t == 0 ? TrafficDirection::ToUnit : TrafficDirection::FromUnit);
        EXPECT_EQ(rec.bytes, Record(rec.bytes[0], next[t]++));
        EXPECT_EQ(fromFile[r].bytes, rec.bytes) << r;
        EXPECT_EQ(fromFile[r].direction, rec.direction) << r;
        EXPECT_EQ(fromFile[r].time, TrafficLog::FormatTime(rec.time));
        EXPECT_GE(rec.time, seen.records[r > 0 ? r - 1 : 0].time);
    }
}

TEST(TrafficLog, RecordLinesShowHexAndTextSideBySide) {
    TrafficRecord r;
    r.direction = TrafficDirection::FromUnit;
    const std::string_view frame("{ComputerPageDown\0}", 19);
    r.bytes.assign(frame.begin(), frame.end());
    const std::string text = TrafficLog::FormatRecord(r);
    const std::string lines = text.substr(text.find('\n') + 1);
    EXPECT_EQ(text.substr(26, text.find('\n') - 26), " RX 19");
    EXPECT_EQ(lines,
              "  0000  7B 43 6F 6D 70 75 74 65 72 50 61 67 65 44 6F 77  |{ComputerPageDow|\n"
              "  0010  6E 00 7D" +
                  std::string(13 * 3, ' ') + "  |n.}|\n");
}

TEST(TrafficLog, ARemovedListenerIsNeverCalledAgain) {
    TrafficLog log;
    std::atomic<int> calls{0};
    const int id = log.addListener([&](const TrafficBatch&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++calls;
    });
    const std::uint8_t byte = 1;
    log.onTraffic(TrafficDirection::ToUnit, &byte, 1);
    ASSERT_TRUE(test::WaitUntil([&] { return calls.load() > 0; }));
    log.removeListener(id);
    const int after = calls.load();
    log.onTraffic(TrafficDirection::ToUnit, &byte, 1);
    log.flush();
    EXPECT_EQ(calls.load(), after);
}

// A flood of traffic fills three files of the given size at the most, the newest whole.
TEST(TrafficLog, TheFileIsRotatedAtItsSize) {
    test::TempDir dir;
    const std::string path = dir.file("traffic.log");
    TrafficLog log(4096);
    ASSERT_TRUE(log.openFile(path));
    const std::uint8_t frame[64] = {'{', 'M'};
    for (int i = 0; i < 400; ++i) {
        log.onTraffic(TrafficDirection::FromUnit, frame, sizeof frame);
        log.flush();
    }
    for (const std::string& name : {path, path + ".1", path + ".2"}) {
        const std::string text = ReadFile(name);
        EXPECT_LE(text.size(), 4096u) << name;
        EXPECT_EQ(text.rfind("# ketrel traffic log", 0), 0u) << name << " starts anew";
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".3"));
}

}  // namespace
}  // namespace ketrel
