#include "config/config_file.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "common/format.h"
#include "common/texts.h"
#include "config/config_file_json.h"
#include "config/config_file_texts.h"
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/dotted_address.h"
#include "config/image_layout.h"
#include "config/send_code_rules.h"
#include "config/sqlite_limits.h"
#include "config/system_settings.h"
#include "platform/safe_file.h"

namespace ketrel {

namespace {

// ---------------------------------------------------------------- the database side

sqlite3* OpenExisting(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, ConfigDb::kBusyTimeoutMs);
    return db;
}

// A trigger anywhere (or a schema that cannot be read) counts.
bool HasTriggers(sqlite3* db) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "select 1 from main.sqlite_master where type = 'trigger'", -1,
                                &st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    sqlite3_finalize(st);
    return rc != SQLITE_DONE;
}

std::string QuoteName(std::string_view name) { return "\"" + std::string(name) + "\""; }

std::string WithReason(const std::string& text, sqlite3* db) {
    return text + "\n(" + sqlite3_errmsg(db) + ")";
}

// ---------------------------------------------------------------- checks of single values

// Digits without a leading zero ("0" itself allowed): how the editors write numbers, and the only
// form an integer column gives back exactly as it was written.
bool IsCanonicalInteger(std::string_view text) {
    if (text.empty() || text.size() > 18) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return text.size() == 1 || text[0] != '0';
}

// A decimal number of digits only, up to max; nothing when it is not one.
std::optional<std::uint64_t> Decimal(std::string_view text, std::uint64_t max) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (v > max) return std::nullopt;
    return v;
}

bool IsDottedAddress(std::string_view text) {
    return ReadDottedAddress(text, AddressForm::Canonical).has_value();
}

// A problem of the line settings text, or empty when it is right.
std::string LineSettingsProblem(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(',', start);
        fields.push_back(text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    if (fields.size() != 4) return "串口参数应为“波特率,校验位,数据位,停止位”，如 9600,None,8,1";
    bool baudKnown = false;
    for (const char* baud : layout::kBaudRates) baudKnown = baudKnown || fields[0] == baud;
    if (!baudKnown) {
        return "不支持的波特率“" + std::string(fields[0]) +
               "”（可用：1200、1800、2400、4800、7200、9600、14400、19200、28800、38400、"
               "57600、76800、115200）";
    }
    bool parityKnown = false;
    for (const char* parity : layout::kParities) parityKnown = parityKnown || fields[1] == parity;
    if (!parityKnown) return "校验位应为 None、Odd 或 Even（区分大小写）";
    if (fields[2] != "7" && fields[2] != "8") return "数据位应为 7 或 8";
    if (fields[3] != "1" && fields[3] != "2") return "停止位应为 1 或 2";
    return {};
}

// ---------------------------------------------------------------- SystemConfig rules

// A setting the program reads and writes by name, or nullptr.
const SystemSetting* FindNamedKey(std::string_view name) {
    const SystemSetting* s = FindSystemSetting(name);
    return s && s->rule != SettingRule::ByPosition ? s : nullptr;
}

// The kind of image field at a SystemConfig position, or nothing for a position the unit
// never receives.
std::optional<layout::FieldKind> KindAt(int position) {
    const SystemSetting& s = SettingAt(position);
    if (s.offset == kStaysOnPc) return std::nullopt;
    return s.kind;
}

const char* KindText(std::optional<layout::FieldKind> kind) {
    if (!kind) return "不发送到单元的位置";
    switch (*kind) {
        case layout::FieldKind::Word32:
            return "32 位数";
        case layout::FieldKind::Word16:
            return "16 位数";
        case layout::FieldKind::Byte:
            return "单字节数";
        case layout::FieldKind::Text16:
            return "16 字节文本";
        case layout::FieldKind::IPv4:
            return "IP 地址";
    }
    return "";
}

std::uint64_t KindMax(layout::FieldKind kind) {
    switch (kind) {
        case layout::FieldKind::Word32:
            return 0xFFFFFFFFu;
        case layout::FieldKind::Word16:
            return 0xFFFF;
        default:
            return 0xFF;
    }
}

bool RuleFits(const SystemSetting& key, std::optional<layout::FieldKind> kind) {
    if (!kind) return false;
    switch (key.rule) {
        case SettingRule::ByPosition:
            return true;
        case SettingRule::Address:
            return *kind == layout::FieldKind::IPv4;
        case SettingRule::DeviceId:
        case SettingRule::Text16:
            return *kind == layout::FieldKind::Text16;
        case SettingRule::Action:
        case SettingRule::Dhcp:
            return *kind != layout::FieldKind::IPv4 && *kind != layout::FieldKind::Text16;
        case SettingRule::Decimal:
            return *kind != layout::FieldKind::IPv4 && *kind != layout::FieldKind::Text16 &&
                   key.max <= KindMax(*kind);
    }
    return false;
}

std::string NumberRangeProblem(std::uint64_t max) {
    return Format("应为 0～%llu 的十进制整数", static_cast<unsigned long long>(max));
}

constexpr const char* kActionProblem = "动作应为 0～9 的序号（0 无操作 … 9 门锁开/关）";
constexpr const char* kAddressProblem = "应为点分十进制 IP 地址：四个 0～255 的数，以点分隔";

std::string Text16Problem(std::string_view value) {
    if (value.size() <= layout::kTextFieldSize) return {};
    return Format("文本不能超过 16 字节（按 UTF-8 计），实有 %zu 字节", value.size());
}

// A problem of a named key's value, or empty.
std::string NamedValueProblem(const SystemSetting& key, std::string_view value) {
    switch (key.rule) {
        case SettingRule::ByPosition:
            return {};
        case SettingRule::Decimal:
            return Decimal(value, key.max) && IsCanonicalInteger(value)
                       ? std::string()
                       : NumberRangeProblem(key.max);
        case SettingRule::Action:
            return Decimal(value, 9) && IsCanonicalInteger(value) ? std::string() : kActionProblem;
        case SettingRule::Dhcp:
            return value == "0" || value == "1" ? std::string()
                                                : "应为 1（DHCP 自动获取）或 0（固定地址）";
        case SettingRule::Address:
            return IsDottedAddress(value) ? std::string() : kAddressProblem;
        case SettingRule::DeviceId: {
            bool ok = value.empty() || value.size() == 16;
            for (const char c : value) ok = ok && IsHexDigit(c);
            return ok ? std::string() : "设备编号应为空或 16 个十六进制字符";
        }
        case SettingRule::Text16:
            return Text16Problem(value);
    }
    return {};
}

// A problem of a value at a position no named key occupies, by the field it fills, or empty.
std::string PositionValueProblem(std::optional<layout::FieldKind> kind, std::string_view value) {
    if (!kind) return {};
    switch (*kind) {
        case layout::FieldKind::Text16:
            return Text16Problem(value);
        case layout::FieldKind::IPv4:
            return IsDottedAddress(value) ? std::string() : kAddressProblem;
        default:
            return Decimal(value, KindMax(*kind)) && IsCanonicalInteger(value)
                       ? std::string()
                       : NumberRangeProblem(KindMax(*kind));
    }
}

// ---------------------------------------------------------------- the checker

class TableChecker {
  public:
    TableChecker(const ConfigTable& table, FileProblems& problems)
        : table_(table), problems_(problems) {}

    const ConfigTable& table() const { return table_; }

    // row from 1 (0: the table), column index (-1: the row).
    void add(int row, int column, std::string text) const {
        FileProblem p;
        p.table = table_.name;
        p.row = row;
        p.text = std::move(text);
        p.line = table_.line;
        if (row > 0) {
            const auto r = static_cast<std::size_t>(row - 1);
            if (r < table_.cellLines.size() && !table_.cellLines[r].empty()) {
                const auto& lines = table_.cellLines[r];
                const auto c = column < 0 ? 0 : static_cast<std::size_t>(column);
                p.line = lines[c < lines.size() ? c : 0];
            }
            if (column >= 0 && static_cast<std::size_t>(column) < table_.columns.size()) {
                p.column = table_.columns[static_cast<std::size_t>(column)];
            }
        }
        problems_.push_back(std::move(p));
    }

    // Rows whose cells match the columns; others are reported once and skipped by the checks.
    std::vector<int> wellFormedRows() const {
        std::vector<int> rows;
        for (std::size_t r = 0; r < table_.rows.size(); ++r) {
            const SqlRow& row = table_.rows[r];
            const int n = static_cast<int>(r) + 1;
            if (row.size() != table_.columns.size()) {
                add(n, -1,
                    Format("该行应有 %zu 个值，实有 %zu 个", table_.columns.size(), row.size()));
                continue;
            }
            if (r < table_.rowReported.size() && table_.rowReported[r]) continue;
            bool clean = true;
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (!json::IsValidUtf8(row[c])) {
                    add(n, static_cast<int>(c), "文本不是有效的 UTF-8 编码");
                    clean = false;
                } else if (row[c].find('\0') != std::string::npos) {
                    add(n, static_cast<int>(c), "文本中不能含有零字符（\\u0000）");
                    clean = false;
                }
            }
            if (clean) rows.push_back(n);
        }
        return rows;
    }

    const std::string& cell(int row, int column) const {
        return table_.rows[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column)];
    }

    void expectRowCount(std::size_t count) const {
        if (table_.rows.size() != count) {
            add(0, -1, Format("应有 %zu 行，实有 %zu 行", count, table_.rows.size()));
        }
    }

    // Integer keys: digits, unique and ascending, because the table order that the image and
    // the editors depend on is the order of these keys.
    void expectAscendingKeys(const std::vector<int>& rows, int column) const {
        std::optional<std::uint64_t> previous;
        for (const int r : rows) {
            const std::string& text = cell(r, column);
            if (!IsCanonicalInteger(text)) {
                add(r, column, "应为不带前导零的非负整数");
                continue;
            }
            const std::uint64_t v = std::stoull(text);
            if (previous && v <= *previous) {
                add(r, column,
                    Format("%s 须按从小到大排列且不能重复，因为行的顺序决定它在单元中的位置",
                           table_.columns[static_cast<std::size_t>(column)].c_str()));
            }
            previous = v;
        }
    }

  private:
    const ConfigTable& table_;
    FileProblems& problems_;
};

constexpr const char* kSendCodeProblem =
    "发码须为以单个空格分隔的两位十六进制字节，最多 32 个（如 A5 01 0F），或为空";

void CheckSystemConfig(const TableChecker& t) {
    t.expectRowCount(layout::kSystemConfigRows);
    const bool positionsKnown = t.table().rows.size() == layout::kSystemConfigRows;
    const std::vector<int> rows = t.wellFormedRows();
    t.expectAscendingKeys(rows, 0);
    std::map<std::string, int> seen;
    for (const int r : rows) {
        const std::string& name = t.cell(r, 1);
        const std::string& value = t.cell(r, 2);
        if (name.empty()) {
            t.add(r, 1, "设置项名称不能为空");
            continue;
        }
        if (const auto it = seen.find(name); it != seen.end()) {
            t.add(r, 1, Format("设置项 %s 重复（与第 %d 行相同）", name.c_str(), it->second));
            continue;
        }
        seen[name] = r;
        const std::optional<layout::FieldKind> kind =
            positionsKnown ? KindAt(r) : std::optional<layout::FieldKind>();
        if (const SystemSetting* key = FindNamedKey(name)) {
            if (positionsKnown && !RuleFits(*key, kind)) {
                t.add(r, 1,
                      Format("设置项 %s 不能放在第 %d 行：单元在这个位置读取的是%s", name.c_str(),
                             r, KindText(kind)));
            }
            if (std::string problem = NamedValueProblem(*key, value); !problem.empty()) {
                t.add(r, 2, name + "：" + problem);
            }
        } else if (positionsKnown) {
            if (std::string problem = PositionValueProblem(kind, value); !problem.empty()) {
                t.add(r, 2, name + "：" + problem);
            }
        }
    }
    if (rows.size() == t.table().rows.size()) {
        for (const SystemSetting& key : kSystemSettings) {
            if (key.rule != SettingRule::ByPosition && !seen.contains(key.name))
                t.add(0, -1, Format("缺少设置项 %s", key.name));
        }
    }
}

void CheckSPChannel(const TableChecker& t) {
    t.expectRowCount(layout::kSerialChannelCount);
    const std::vector<int> rows = t.wellFormedRows();
    t.expectAscendingKeys(rows, 0);
    for (const int r : rows) {
        if (std::string problem = LineSettingsProblem(t.cell(r, 2)); !problem.empty()) {
            t.add(r, 2, problem);
        }
    }
}

// The channel number each code row must carry: the key of the channel row it belongs to.
void CheckCodes(const TableChecker& t, std::size_t count, int perChannel,
                const ConfigTable* channels) {
    t.expectRowCount(count);
    const std::vector<int> rows = t.wellFormedRows();
    t.expectAscendingKeys(rows, 0);
    for (const int r : rows) {
        const std::size_t channelRow = static_cast<std::size_t>((r - 1) / perChannel);
        if (channels && channelRow < channels->rows.size() && !channels->rows[channelRow].empty()) {
            const std::string& number = channels->rows[channelRow][0];
            if (t.cell(r, 1) != number) {
                t.add(r, 1,
                      Format("应为 %s：第 %d 至 %d 行是 %s 表第 %zu 行那个通道的发码",
                             number.c_str(), static_cast<int>(channelRow) * perChannel + 1,
                             static_cast<int>(channelRow + 1) * perChannel, channels->name.c_str(),
                             channelRow + 1));
            }
        } else if (!IsCanonicalInteger(t.cell(r, 1))) {
            t.add(r, 1, "应为不带前导零的非负整数");
        }
        if (!IsHexByteCodeText(t.cell(r, 3))) t.add(r, 3, kSendCodeProblem);
    }
}

void CheckIRChannel(const TableChecker& t) {
    t.expectRowCount(1);
    const std::vector<int> rows = t.wellFormedRows();
    t.expectAscendingKeys(rows, 0);
    for (const int r : rows) {
        const std::string& protocol = t.cell(r, 2);
        bool known = false;
        for (const char* p : layout::kInfraredProtocols) known = known || protocol == p;
        if (!known) t.add(r, 2, "红外协议应为 NEC、RC-5 或 AIR（区分大小写）");
    }
}

void CheckKeyCode(const TableChecker& t) {
    t.expectRowCount(layout::kKeyCount);
    const std::vector<int> rows = t.wellFormedRows();
    t.expectAscendingKeys(rows, 0);
    for (const int r : rows) {
        for (int c = 2; c < 2 + layout::kGroupsPerKey; ++c) {
            const std::string& group = t.cell(r, c);
            if (group.size() != 2 || group[0] < '0' || group[0] > '5' || group[1] < '0' ||
                group[1] > '9') {
                t.add(r, c,
                      "控制码组应为两位数字：第一位是通道（0 无，1～4 串口，5 红外），"
                      "第二位是发码序号 0～9");
            }
        }
    }
}

void CheckCard(const TableChecker& t) {
    if (t.table().rows.size() > layout::kMaxCards) {
        t.add(
            0, -1,
            Format("最多 %zu 行（IC 卡），实有 %zu 行", layout::kMaxCards, t.table().rows.size()));
    }
    const std::vector<int> rows = t.wellFormedRows();
    // By the number the unit stores: "0123" and "123" are one card.
    std::map<std::uint32_t, int> seen;
    for (const int r : rows) {
        const std::string& id = t.cell(r, 0);
        if (!Decimal(id, 0xFFFFFFFFu)) {
            t.add(r, 0, "卡号应为十进制数字，不超过 4294967295");
        } else if (const auto it = seen.find(ReadDecimal(id)); it != seen.end()) {
            const std::string& first = t.cell(it->second, 0);
            t.add(r, 0,
                  first == id ? Format("卡号 %s 重复（与第 %d 行相同）", id.c_str(), it->second)
                              : Format("卡号 %s 与第 %d 行的 %s 是同一张卡", id.c_str(), it->second,
                                       first.c_str()));
        } else {
            seen[ReadDecimal(id)] = r;
        }
        for (const int c : {1, 2}) {
            if (!Decimal(t.cell(r, c), 9) || !IsCanonicalInteger(t.cell(r, c))) {
                t.add(r, c, kActionProblem);
            }
        }
    }
}

const ConfigTable* FindTable(const ConfigTables& tables, std::string_view name) {
    for (const ConfigTable& t : tables) {
        if (t.name == name) return &t;
    }
    return nullptr;
}

// ---------------------------------------------------------------- reading the document

class DocumentReader {
  public:
    explicit DocumentReader(FileProblems& problems) : problems_(problems) {}

    std::optional<ConfigTables> read(std::string_view text) {
        ConfigTables tables;
        json::ParseError error;
        const std::optional<json::Value> doc = json::Parse(text, &error);
        if (!doc) {
            add(error.line, {},
                Format("JSON 格式错误（第 %d 列）：%s", error.column, error.message.c_str()));
            return std::nullopt;
        }
        if (!doc->isObject()) {
            add(doc->line, {},
                "文件最外层应为一个对象：{ \"format\": …, \"version\": …, "
                "\"tables\": … }");
            return std::nullopt;
        }
        const json::Value* format = doc->find("format");
        if (!format || !format->isString() || format->text != kConfigFileFormat) {
            add(format ? format->line : doc->line, {},
                Format("这不是本程序的配置文件：缺少 \"format\": \"%s\"", kConfigFileFormat));
            return std::nullopt;
        }
        const json::Value* version = doc->find("version");
        if (!version || version->type != json::Value::Type::Number ||
            !IsCanonicalInteger(version->text)) {
            add(version ? version->line : doc->line, {}, "\"version\" 应为整数");
            return std::nullopt;
        }
        if (version->text != std::to_string(kConfigFileVersion)) {
            add(version->line, {},
                Format("该文件的格式版本为 %s，本程序只能读取版本 %d 的文件", version->text.c_str(),
                       kConfigFileVersion));
            return std::nullopt;
        }
        for (const auto& [name, value] : doc->members) {
            if (name != "format" && name != "version" && name != "tables") {
                add(value.line, {}, "未知的项 \"" + name + "\"");
            }
        }
        const json::Value* list = doc->find("tables");
        if (!list || !list->isObject()) {
            add(list ? list->line : doc->line, {}, "缺少 \"tables\" 对象");
            return std::nullopt;
        }
        for (const auto& [name, value] : list->members) {
            bool known = false;
            for (const TableSpec& definition : ConfigTableSpecs())
                known = known || name == definition.name;
            if (!known) {
                add(value.line, {}, "未知的表 \"" + name + "\"");
                continue;
            }
            tables.push_back(readTable(name, value));
        }
        return tables;
    }

  private:
    void add(int line, std::string table, std::string text, int row = 0, std::string column = {}) {
        problems_.push_back({line, std::move(table), row, std::move(column), std::move(text)});
    }

    ConfigTable readTable(const std::string& name, const json::Value& value) {
        ConfigTable table;
        table.name = name;
        table.line = value.line;
        if (!value.isObject()) {
            add(value.line, name, "表应为含 \"columns\" 和 \"rows\" 的对象");
            return table;
        }
        for (const auto& [member, v] : value.members) {
            if (member != "columns" && member != "rows") {
                add(v.line, name, "未知的项 \"" + member + "\"");
            }
        }
        const json::Value* columns = value.find("columns");
        if (!columns || !columns->isArray()) {
            add(columns ? columns->line : value.line, name, "\"columns\" 应为列名的数组");
        } else {
            for (const json::Value& c : columns->items) {
                if (!c.isString()) {
                    add(c.line, name, "列名应为文本");
                    continue;
                }
                table.columns.push_back(c.text);
            }
        }
        const json::Value* rows = value.find("rows");
        if (!rows || !rows->isArray()) {
            add(rows ? rows->line : value.line, name, "\"rows\" 应为数组，每行一个数组");
            return table;
        }
        for (const json::Value& row : rows->items) {
            const int n = static_cast<int>(table.rows.size()) + 1;
            SqlRow cells;
            std::vector<int> lines;
            bool reported = false;
            if (!row.isArray()) {
                add(row.line, name, "每一行应为一个数组", n);
                reported = true;
            } else {
                for (const json::Value& cell : row.items) {
                    if (!cell.isString()) {
                        const std::size_t c = cells.size();
                        add(cell.line, name,
                            "值应为文本（用双引号括起），数字也要写成文本，如 \"1\"", n,
                            c < table.columns.size() ? table.columns[c] : std::string());
                        reported = true;
                    }
                    cells.push_back(cell.isString() ? cell.text : std::string());
                    lines.push_back(cell.line);
                }
            }
            if (lines.empty()) lines.push_back(row.line);
            table.rows.push_back(std::move(cells));
            table.cellLines.push_back(std::move(lines));
            table.rowReported.push_back(reported);
        }
        return table;
    }

    FileProblems& problems_;
};

// The file's text, or false with why it cannot be used ("path: reason" follows the headline).
bool ReadWholeFile(const std::string& path, std::string& out, std::string& reason) {
    switch (ReadRegularFile(path, kMaxConfigFileSize, out, reason)) {
        case ReadFailure::None:
            return true;
        case ReadFailure::NotRegular:
            reason = texts::kNotARegularFile;
            return false;
        case ReadFailure::TooLarge:
            reason = Format(texts::kFileTooLarge, kMaxConfigFileSize >> 20);
            return false;
        case ReadFailure::Missing:
        case ReadFailure::Other:
            return false;
    }
    return false;
}

}  // namespace

std::string FileProblem::Describe() const {
    std::string out;
    auto part = [&out](const std::string& text) {
        if (!out.empty()) out += "，";
        out += text;
    };
    if (line > 0) part("文件第 " + std::to_string(line) + " 行");
    if (!table.empty()) {
        part(row > 0 ? table + " 表第 " + std::to_string(row) + " 行" : table + " 表");
    }
    if (!column.empty()) part(column + " 列");
    return out.empty() ? text : out + "：" + text;
}

std::string DescribeProblems(const FileProblems& problems, std::size_t maxLines) {
    std::string out;
    for (std::size_t i = 0; i < problems.size() && i < maxLines; ++i) {
        out += problems[i].Describe();
        out += '\n';
    }
    if (problems.size() > maxLines) {
        out += Format("……另有 %zu 处问题\n", problems.size() - maxLines);
    }
    if (!out.empty()) out.pop_back();
    return out;
}

std::optional<ConfigTables> ReadConfigTables(const std::string& databasePath, std::string* error) {
    sqlite3* db = OpenExisting(databasePath);
    if (!db) {
        if (error) *error = texts::kOpenConfigFailed;
        return std::nullopt;
    }
    const SqliteWorkLimit limit(db, ConfigDb::kMaxWork);
    // One snapshot: a dialog writing meanwhile cannot give a file half old, half new.
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    ConfigTables tables;
    for (const TableSpec& definition : ConfigTableSpecs()) {
        ConfigTable table;
        table.name = definition.name;
        const std::string select = "select * from " + QuoteName(definition.name);
        sqlite3_stmt* st = nullptr;
        const bool realTable = IsRealTable(db, definition.name);
        int rc =
            realTable ? sqlite3_prepare_v2(db, select.c_str(), -1, &st, nullptr) : SQLITE_ERROR;
        if (rc == SQLITE_OK) {
            const int columns = sqlite3_column_count(st);
            for (int c = 0; c < columns; ++c)
                table.columns.emplace_back(sqlite3_column_name(st, c));
            rc = ReadRows(st, table.rows, ConfigDb::kMaxRows);
        }
        if (rc != SQLITE_DONE) {
            if (error) {
                const std::string text =
                    "sqlite3_get_table for " + std::string(definition.name) + " error!!!";
                *error = realTable ? WithReason(text, db) : text + "\n(not a table)";
            }
            sqlite3_finalize(st);
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            return std::nullopt;
        }
        sqlite3_finalize(st);
        tables.push_back(std::move(table));
    }
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return tables;
}

std::string FormatConfigFile(const ConfigTables& tables) {
    auto list = [](const std::vector<std::string>& items) {
        std::string out = "[";
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i) out += ", ";
            out += json::Quote(items[i]);
        }
        return out + "]";
    };
    std::string out = "{\n";
    out += "  \"format\": " + json::Quote(kConfigFileFormat) + ",\n";
    out += "  \"version\": " + std::to_string(kConfigFileVersion) + ",\n";
    out += "  \"tables\": {";
    for (std::size_t t = 0; t < tables.size(); ++t) {
        const ConfigTable& table = tables[t];
        out += t ? ",\n" : "\n";
        out += "    " + json::Quote(table.name) + ": {\n";
        out += "      \"columns\": " + list(table.columns) + ",\n";
        out += "      \"rows\": [";
        for (std::size_t r = 0; r < table.rows.size(); ++r) {
            out += r ? ",\n" : "\n";
            out += "        " + list(table.rows[r]);
        }
        out += table.rows.empty() ? "]\n" : "\n      ]\n";
        out += "    }";
    }
    out += "\n  }\n}\n";
    return out;
}

std::optional<ConfigTables> ParseConfigFile(std::string_view text, FileProblems& problems) {
    return DocumentReader(problems).read(text);
}

void ValidateConfigTables(const ConfigTables& tables, FileProblems& problems) {
    for (const TableSpec& definition : ConfigTableSpecs()) {
        const ConfigTable* table = FindTable(tables, definition.name);
        if (!table) {
            problems.push_back({0, definition.name, 0, {}, Format("缺少表 %s", definition.name)});
            continue;
        }
        const std::vector<std::string> expected(definition.columns.begin(),
                                                definition.columns.end());
        if (table->columns != expected) {
            problems.push_back({table->line, definition.name, 0, {}, WrongColumnsText(definition)});
            continue;
        }
        const TableChecker checker(*table, problems);
        const std::string_view name = definition.name;
        if (name == "SystemConfig") {
            CheckSystemConfig(checker);
        } else if (name == "SPChannel") {
            CheckSPChannel(checker);
        } else if (name == "SPTxCode") {
            CheckCodes(checker, layout::kSerialChannelCount * layout::kCodesPerChannel,
                       layout::kCodesPerChannel, FindTable(tables, "SPChannel"));
        } else if (name == "IRChannel") {
            CheckIRChannel(checker);
        } else if (name == "IRTxCode") {
            CheckCodes(checker, layout::kInfraredCodeCount, layout::kInfraredCodeCount,
                       FindTable(tables, "IRChannel"));
        } else if (name == "KeyCode") {
            CheckKeyCode(checker);
        } else {
            CheckCard(checker);
        }
    }
}

bool ReplaceConfigTables(const std::string& databasePath, const ConfigTables& tables,
                         std::string* error) {
    sqlite3* db = OpenExisting(databasePath);
    if (!db) {
        if (error) *error = texts::kOpenConfigFailed;
        return false;
    }
    auto fail = [&](const std::string& text, bool withReason = true) {
        if (error) *error = withReason ? WithReason(text, db) : text;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return false;
    };
    // The schema comes with the file: its functions may not run with side effects.
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // Taken at once, so no other writer can slip in between the check and the commit.
    if (sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail(std::string(texts::kOpenConfigFailed));
    }
    if (HasTriggers(db)) return fail(texts::kImportTriggers, false);
    for (const ConfigTable& table : tables) {
        const std::string execFailed = "sqlite3_exec for " + table.name + " error!!!";
        if (!IsRealTable(db, table.name)) return fail(execFailed);
        const std::string remove = "delete from " + QuoteName(table.name);
        if (sqlite3_exec(db, remove.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            return fail(execFailed);
        }
        std::string insert = "insert into " + QuoteName(table.name) + " (";
        std::string marks;
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            insert += (c ? "," : "") + QuoteName(table.columns[c]);
            marks += c ? ",?" : "?";
        }
        insert += ") values (" + marks + ")";
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, insert.c_str(), -1, &st, nullptr) != SQLITE_OK) {
            return fail(execFailed);
        }
        for (const SqlRow& row : table.rows) {
            sqlite3_reset(st);
            for (std::size_t c = 0; c < row.size(); ++c) {
                sqlite3_bind_text(st, static_cast<int>(c) + 1, row[c].data(),
                                  static_cast<int>(row[c].size()), SQLITE_TRANSIENT);
            }
            if (sqlite3_step(st) != SQLITE_DONE) {
                sqlite3_finalize(st);
                return fail(execFailed);
            }
        }
        sqlite3_finalize(st);
    }
    if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return fail(std::string(texts::kImportFailed));
    }
    sqlite3_close(db);
    return true;
}

bool ExportConfiguration(const std::string& databasePath, const std::string& filePath,
                         Notifier& notifier, std::ostream* standardOutput) {
    std::string error;
    const std::optional<ConfigTables> tables = ReadConfigTables(databasePath, &error);
    if (!tables) {
        notifier.show(std::string(texts::kExportFailed) + "\n" + error, texts::kCaptionNotice,
                      MessageIcon::Error);
        return false;
    }
    std::string reason;
    const std::string document = FormatConfigFile(*tables);
    if (filePath == "-" && standardOutput) {
        *standardOutput << document << std::flush;
    } else if (IsSameFile(filePath, databasePath)) {
        notifier.show(
            std::string(texts::kExportFailed) + "\n" + filePath + ": " + texts::kIsTheDatabase,
            texts::kCaptionNotice, MessageIcon::Error);
        return false;
    } else if (!WriteFileWhole(filePath, document, reason)) {
        notifier.show(std::string(texts::kExportFailed) + "\n" + filePath + ": " + reason,
                      texts::kCaptionNotice, MessageIcon::Error);
        return false;
    }
    FileProblems problems;
    ValidateConfigTables(*tables, problems);
    if (!problems.empty()) {
        notifier.show(std::string(texts::kExportHasProblems) + "\n" + DescribeProblems(problems),
                      texts::kCaptionNotice, MessageIcon::Warning);
    }
    // On standard output the document is the answer; a line after it would spoil it.
    if (filePath != "-" || !standardOutput) {
        notifier.show(std::string(texts::kExportDone) + "\n" + filePath, texts::kCaptionNotice,
                      MessageIcon::Information);
    }
    return true;
}

bool ImportConfiguration(const std::string& databasePath, const std::string& filePath,
                         Notifier& notifier) {
    std::string text;
    std::string reason;
    if (!ReadWholeFile(filePath, text, reason)) {
        notifier.show(std::string(texts::kImportReadFailed) + "\n" + filePath + ": " + reason,
                      texts::kCaptionNotice, MessageIcon::Error);
        return false;
    }
    FileProblems problems;
    const std::optional<ConfigTables> tables = ParseConfigFile(text, problems);
    if (tables) ValidateConfigTables(*tables, problems);
    if (!problems.empty()) {
        notifier.show(std::string(texts::kImportRefused) + "\n" + DescribeProblems(problems),
                      texts::kCaptionNotice, MessageIcon::Error);
        return false;
    }
    std::string error;
    if (!ReplaceConfigTables(databasePath, *tables, &error)) {
        notifier.show(std::string(texts::kImportFailed) + "\n" + error, texts::kCaptionNotice,
                      MessageIcon::Error);
        return false;
    }
    notifier.show(std::string(texts::kImportDone) + "\n" + filePath, texts::kCaptionNotice,
                  MessageIcon::Information);
    return true;
}

}  // namespace ketrel
