#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "projector/device_records.h"

namespace ketrel::projector {

// What the first bytes of a library file say it is.
enum class LibraryFormat { Missing, Unreadable, Unknown, Sqlite, Jet };

LibraryFormat DetectLibraryFormat(const std::string& path);

// A read of one table: every row whose named columns hold exactly the given texts (compared
// byte for byte, so case and quotes count), with at least minColumns columns per row.
struct TableQuery {
    std::string table;
    std::size_t minColumns = 0;
    std::vector<std::pair<std::string, std::string>> equals;  // column name, text
};

struct RawRows {
    LibraryStatus status = LibraryStatus::Ok;
    std::vector<std::vector<std::string>> rows;  // the first minColumns columns, in table order
};

// The projector code library "DEVICES". Nothing stays open between two queries: each one
// opens the file, reads and closes it, so the user may replace the file at any time.
// A text holding a quote is compared as it is; it never ends a query early.
class DeviceLibraryReader {
  public:
    virtual ~DeviceLibraryReader() = default;

    // Every brand, in table order.
    LibraryRows<CBrand> Brands();
    // Every model of one brand, in table order.
    LibraryRows<CDevice> DevicesOfBrand(std::string_view brand);
    // The model of one brand (normally one row; several rows are returned in table order).
    LibraryRows<CDevice> DeviceOf(std::string_view brand, std::string_view model);

    virtual RawRows Fetch(const TableQuery& query) = 0;
};

// An SQLite library, opened read-only.
std::unique_ptr<DeviceLibraryReader> MakeSqliteDeviceReader(std::string path);
// An Access (Jet 3/4, ACE) library. The file is read in a child process, so a damaged file
// that upsets the reading library can neither crash nor hang the program nor write to its
// standard error.
std::unique_ptr<DeviceLibraryReader> MakeJetDeviceReader(std::string path);
// Either of the two, chosen by the file's first bytes at each query.
std::unique_ptr<DeviceLibraryReader> MakeDeviceLibrary(std::string path);

}  // namespace ketrel::projector
