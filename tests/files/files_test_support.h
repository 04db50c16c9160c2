#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "link/block_frame.h"
#include "link/traffic_log.h"
#include "test_support.h"

namespace ketrel::test {

// Every row of a table in table order, each cell with its storage type, one line per row.
inline std::string TableDump(const std::string& path, const std::string& table) {
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    std::string out;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (sqlite3_prepare_v2(db, ("select * from " + table).c_str(), -1, &st, nullptr) != SQLITE_OK) {
        out = "cannot read";
    }
    while (st && sqlite3_step(st) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(st); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
            out += std::to_string(sqlite3_column_type(st, c)) + ":" +
                   (text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(st, c)))
                         : "NULL") +
                   "|";
        }
        out += "\n";
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

// The records of a traffic log file read back: direction and bytes, in file order.
struct LoggedRecord {
    std::string time;
    TrafficDirection direction;
    std::vector<std::uint8_t> bytes;
};

inline std::vector<LoggedRecord> ParseTrafficLog(const std::string& text) {
    std::vector<LoggedRecord> records;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] != ' ') {
            // "YYYY-MM-DD HH:MM:SS.uuuuuu TX 13"
            LoggedRecord r;
            r.time = line.substr(0, 26);
            r.direction =
                line.substr(27, 2) == "TX" ? TrafficDirection::ToUnit : TrafficDirection::FromUnit;
            records.push_back(std::move(r));
            continue;
        }
        if (records.empty()) continue;
        // "  0000  57 72 ...  |text|": the hex stands between the offset and the text.
        const std::size_t bar = line.find("  |");
        std::istringstream hex(line.substr(8, bar - 8));
        std::string byte;
        while (hex >> byte) {
            records.back().bytes.push_back(
                static_cast<std::uint8_t>(std::stoul(byte, nullptr, 16)));
        }
    }
    return records;
}

}  // namespace ketrel::test
