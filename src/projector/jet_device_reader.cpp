// The Access reader. libmdb is not thread-safe, writes diagnostics to stderr and can fault on a
// damaged file, so it runs only inside a child process (RunIsolated); this process reads the
// child's answer from a pipe and never calls libmdb itself.
#include <glib.h>
// glib.h first: the mdbtools header uses its types without including it in C++.
#include <mdbtools.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "projector/device_library.h"
#include "projector/isolated_call.h"

namespace ketrel::projector {

namespace {

constexpr std::chrono::milliseconds kReadTimeout{10000};
constexpr std::size_t kMaxAnswer = 64u << 20;
constexpr std::uint32_t kMaxColumns = 4096;

// The child's answer: a status byte, then for a table its column names and rows.
//   'O', u32 column count n, n names, then per row 'R' and n texts, then 'E'
//   'C': the file is not a readable database;  'T': it has no such table
// A text is a u32 length (host order: both ends are this program) and that many bytes.
constexpr char kAnswerOk = 'O';
constexpr char kAnswerNotDatabase = 'C';
constexpr char kAnswerNoTable = 'T';
constexpr char kRowMark = 'R';
constexpr char kEndMark = 'E';

class AnswerWriter {
  public:
    explicit AnswerWriter(int fd) : fd_(fd) {}
    void Byte(char c) { buffer_ += c; }
    void Number(std::uint32_t n) { buffer_.append(reinterpret_cast<const char*>(&n), sizeof(n)); }
    void Text(const char* data, std::size_t size) {
        Number(static_cast<std::uint32_t>(size));
        buffer_.append(data, size);
        if (buffer_.size() >= 65536) Flush();
    }
    int Finish() { return Flush() ? 0 : 1; }

  private:
    bool Flush() {
        ok_ = ok_ && WriteAll(fd_, buffer_.data(), buffer_.size());
        buffer_.clear();
        return ok_;
    }

    int fd_;
    bool ok_ = true;
    std::string buffer_;
};

// Runs in the child. Nothing is freed: the process ends right after, and freeing the
// structures of a damaged file is one more chance to fault.
int DumpTable(const std::string& path, const std::string& tableName, int fd) {
    AnswerWriter out(fd);
    // Texts arrive as UTF-8 whatever the user's environment asks of libmdb.
    setenv("MDB_ICONV", "UTF-8", 1);
    MdbHandle* mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!mdb || !mdb_read_catalog(mdb, MDB_TABLE)) {
        out.Byte(kAnswerNotDatabase);
        return out.Finish();
    }
    std::string name = tableName;
    MdbTableDef* table = mdb_read_table_by_name(mdb, name.data(), MDB_TABLE);
    if (!table) {
        out.Byte(kAnswerNoTable);
        return out.Finish();
    }
    if (!mdb_read_columns(table) || !table->columns) {
        out.Byte(kAnswerNotDatabase);
        return out.Finish();
    }
    const std::uint32_t columns =
        std::min<std::uint32_t>({table->num_cols, table->columns->len, kMaxColumns});
    const std::size_t bindSize = mdb->bind_size ? mdb->bind_size : MDB_BIND_SIZE;
    std::vector<std::vector<char>> values(columns, std::vector<char>(bindSize + 1, '\0'));
    std::vector<int> lengths(columns, 0);

    out.Byte(kAnswerOk);
    out.Number(columns);
    for (std::uint32_t c = 0; c < columns; ++c) {
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
        const char* columnName = column ? column->name : "";
        out.Text(columnName, strnlen(columnName, MDB_MAX_OBJ_NAME));
        mdb_bind_column(table, static_cast<int>(c + 1), values[c].data(), &lengths[c]);
    }
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        out.Byte(kRowMark);
        for (std::uint32_t c = 0; c < columns; ++c) {
            out.Text(values[c].data(), strnlen(values[c].data(), bindSize));
        }
    }
    out.Byte(kEndMark);
    return out.Finish();
}

class AnswerReader {
  public:
    explicit AnswerReader(const std::string& data) : data_(data) {}
    bool Byte(char& c) {
        if (pos_ >= data_.size()) return false;
        c = data_[pos_++];
        return true;
    }
    bool Number(std::uint32_t& n) {
        if (data_.size() - pos_ < sizeof(n)) return false;
        std::memcpy(&n, data_.data() + pos_, sizeof(n));
        pos_ += sizeof(n);
        return true;
    }
    bool Text(std::string& text) {
        std::uint32_t n = 0;
        if (!Number(n) || data_.size() - pos_ < n) return false;
        text.assign(data_, pos_, n);
        pos_ += n;
        return true;
    }
    bool AtEnd() const { return pos_ == data_.size(); }

  private:
    const std::string& data_;
    std::size_t pos_ = 0;
};

struct JetTable {
    LibraryStatus status = LibraryStatus::ConnectFailed;
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
};

// Anything but a complete, well-formed answer (a crash, a hang, a cut-off pipe) means the
// file could not be read.
JetTable ReadTable(const std::string& path, const std::string& table) {
    JetTable out;
    const IsolatedResult child =
        RunIsolated([&](int fd) { return DumpTable(path, table, fd); }, kReadTimeout, kMaxAnswer);
    if (child.outcome != IsolatedResult::Outcome::Completed) return out;

    AnswerReader in(child.output);
    char status = 0;
    if (!in.Byte(status)) return out;
    if (status == kAnswerNoTable && in.AtEnd()) {
        out.status = LibraryStatus::OpenFailed;
        return out;
    }
    std::uint32_t columns = 0;
    if (status != kAnswerOk || !in.Number(columns) || columns > kMaxColumns) return out;
    out.names.resize(columns);
    for (auto& name : out.names) {
        if (!in.Text(name)) return out;
    }
    for (;;) {
        char mark = 0;
        if (!in.Byte(mark)) return out;
        if (mark == kEndMark) break;
        if (mark != kRowMark) return out;
        std::vector<std::string> row(columns);
        for (auto& value : row) {
            if (!in.Text(value)) return out;
        }
        out.rows.push_back(std::move(row));
    }
    if (!in.AtEnd()) {
        out.rows.clear();
        return out;
    }
    out.status = LibraryStatus::Ok;
    return out;
}

// Column names of an Access table are compared without regard to ASCII case, as Access does.
std::optional<std::size_t> FindColumn(const std::vector<std::string>& names,
                                      const std::string& wanted) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (strcasecmp(names[i].c_str(), wanted.c_str()) == 0) return i;
    }
    return std::nullopt;
}

class JetReader : public DeviceLibraryReader {
  public:
    explicit JetReader(std::string path) : path_(std::move(path)) {}

    RawRows Fetch(const TableQuery& query) override {
        if (DetectLibraryFormat(path_) != LibraryFormat::Jet) {
            return {LibraryStatus::ConnectFailed, {}};
        }
        JetTable table = ReadTable(path_, query.table);
        if (table.status != LibraryStatus::Ok) return {table.status, {}};
        if (table.names.size() < query.minColumns) return {LibraryStatus::OpenFailed, {}};

        std::vector<std::pair<std::size_t, const std::string*>> tests;
        for (const auto& [column, value] : query.equals) {
            const auto index = FindColumn(table.names, column);
            if (!index) return {LibraryStatus::OpenFailed, {}};
            tests.emplace_back(*index, &value);
        }
        RawRows out;
        for (auto& row : table.rows) {
            const bool match = std::all_of(tests.begin(), tests.end(), [&](const auto& test) {
                return row[test.first] == *test.second;
            });
            if (!match) continue;
            row.resize(query.minColumns);
            out.rows.push_back(std::move(row));
        }
        return out;
    }

  private:
    std::string path_;
};

}  // namespace

std::unique_ptr<DeviceLibraryReader> MakeJetDeviceReader(std::string path) {
    return std::make_unique<JetReader>(std::move(path));
}

}  // namespace ketrel::projector
