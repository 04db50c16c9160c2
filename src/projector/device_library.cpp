#include "projector/device_library.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace ketrel::projector {

namespace {

const std::string& Column(const std::vector<std::string>& columns, std::size_t index) {
    static const std::string kEmpty;
    return index < columns.size() ? columns[index] : kEmpty;
}

template <typename Record>
LibraryRows<Record> ToRecords(RawRows raw) {
    LibraryRows<Record> out;
    out.status = raw.status;
    if (raw.status != LibraryStatus::Ok) return out;
    out.rows.reserve(raw.rows.size());
    for (const auto& row : raw.rows) out.rows.push_back(Record::FromColumns(row));
    return out;
}

constexpr char kSqliteMagic[] = "SQLite format 3";  // followed by a zero byte at offset 15
constexpr std::size_t kSqliteMagicSize = sizeof(kSqliteMagic);  // includes the zero byte
constexpr std::size_t kJetMagicOffset = 4;
constexpr std::size_t kJetMagicSize = 15;
constexpr const char* kJetMagics[] = {"Standard Jet DB", "Standard ACE DB"};

class AutoReader : public DeviceLibraryReader {
  public:
    explicit AutoReader(std::string path)
        : path_(path), sqlite_(MakeSqliteDeviceReader(path)), jet_(MakeJetDeviceReader(path)) {}

    RawRows Fetch(const TableQuery& query) override {
        switch (DetectLibraryFormat(path_)) {
            case LibraryFormat::Sqlite:
                return sqlite_->Fetch(query);
            case LibraryFormat::Jet:
                return jet_->Fetch(query);
            default:
                return {LibraryStatus::ConnectFailed, {}};
        }
    }

  private:
    std::string path_;
    std::unique_ptr<DeviceLibraryReader> sqlite_;
    std::unique_ptr<DeviceLibraryReader> jet_;
};

}  // namespace

CBrand CBrand::FromColumns(const std::vector<std::string>& columns) {
    return CBrand{Column(columns, 0)};
}

CDevice CDevice::FromColumns(const std::vector<std::string>& columns) {
    CDevice d;
    d.Brand = Column(columns, 0);
    d.Model = Column(columns, 1);
    d.Name = Column(columns, 2);
    d.Protocol = Column(columns, 3);
    d.Startup = Column(columns, 4);
    d.Shutdown = Column(columns, 5);
    d.VGA = Column(columns, 6);
    d.Video = Column(columns, 7);
    d.HDMI = Column(columns, 8);
    return d;
}

LibraryFormat DetectLibraryFormat(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT ? LibraryFormat::Missing : LibraryFormat::Unreadable;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return LibraryFormat::Unreadable;
    }
    char head[kJetMagicOffset + kJetMagicSize] = {};
    std::size_t got = 0;
    while (got < sizeof(head)) {
        const ssize_t n = read(fd, head + got, sizeof(head) - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            close(fd);
            return LibraryFormat::Unreadable;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    if (got >= kSqliteMagicSize && std::memcmp(head, kSqliteMagic, kSqliteMagicSize) == 0) {
        return LibraryFormat::Sqlite;
    }
    if (got >= kJetMagicOffset + kJetMagicSize) {
        for (const char* magic : kJetMagics) {
            if (std::memcmp(head + kJetMagicOffset, magic, kJetMagicSize) == 0) {
                return LibraryFormat::Jet;
            }
        }
    }
    return LibraryFormat::Unknown;
}

LibraryRows<CBrand> DeviceLibraryReader::Brands() {
    return ToRecords<CBrand>(Fetch({"Brand", CBrand::kColumnCount, {}}));
}

LibraryRows<CDevice> DeviceLibraryReader::DevicesOfBrand(std::string_view brand) {
    return ToRecords<CDevice>(
        Fetch({"Device", CDevice::kColumnCount, {{"Brand", std::string(brand)}}}));
}

LibraryRows<CDevice> DeviceLibraryReader::DeviceOf(std::string_view brand, std::string_view model) {
    return ToRecords<CDevice>(
        Fetch({"Device",
               CDevice::kColumnCount,
               {{"Brand", std::string(brand)}, {"Model", std::string(model)}}}));
}

std::unique_ptr<DeviceLibraryReader> MakeDeviceLibrary(std::string path) {
    return std::make_unique<AutoReader>(std::move(path));
}

}  // namespace ketrel::projector
