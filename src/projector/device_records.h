#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace ketrel::projector {

// One row of the Brand table.
struct CBrand {
    static constexpr std::size_t kColumnCount = 1;
    std::string Brand;

    // Columns are taken by position: the first column is the brand.
    static CBrand FromColumns(const std::vector<std::string>& columns);
};

// One row of the Device table: one projector model.
struct CDevice {
    static constexpr std::size_t kColumnCount = 9;
    std::string Brand;
    std::string Model;
    std::string Name;      // a display name; read but not used
    std::string Protocol;  // line settings "baud,parity,databits,stopbits"
    std::string Startup;
    std::string Shutdown;
    std::string VGA;
    std::string Video;
    std::string HDMI;  // read, never shown or imported

    // Columns are taken by position, in the order of the members above.
    static CDevice FromColumns(const std::vector<std::string>& columns);
};

// How a query of the library ended.
enum class LibraryStatus {
    Ok,
    // The file is missing, unreadable, of neither known format, or damaged.
    ConnectFailed,
    // The file is a database but lacks the table or one of the columns the query needs.
    OpenFailed,
};

template <typename Record>
struct LibraryRows {
    LibraryStatus status = LibraryStatus::Ok;
    std::vector<Record> rows;  // empty unless status is Ok

    bool ok() const { return status == LibraryStatus::Ok; }
};

}  // namespace ketrel::projector
