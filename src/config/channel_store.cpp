#include "config/channel_store.h"

#include <cstdlib>

#include "common/silent_notifier.h"
#include "config/config_db.h"
#include "config/config_statements.h"
#include "config/config_texts.h"

namespace ketrel {

namespace {

struct Statements {
    const char* selectChannels;
    const char* selectChannel;
    const char* selectCodes;
    const char* updateChannel;
    const char* updateCode;
    const char* channelTable;
    const char* codeTable;
};

constexpr Statements kSerial{
    sql::kSelectSPChannel, sql::kSelectSPChannelByNumber, sql::kSelectSPTxCodeByChannel,
    sql::kUpdateSPChannel, sql::kUpdateSPTxCodeById,      sql::kSPChannel,
    sql::kSPTxCode};
constexpr Statements kInfrared{
    sql::kSelectIRChannel, sql::kSelectIRChannelByNumber, sql::kSelectIRTxCodeByChannel,
    sql::kUpdateIRChannel, sql::kUpdateIRTxCodeById,      sql::kIRChannel,
    sql::kIRTxCode};

const Statements& For(ChannelKind kind) {
    return kind == ChannelKind::Serial ? kSerial : kInfrared;
}

// A cell as the lists read it: a number written at its start, 0 when there is none.
int Number(const SqlRow& row, std::size_t column) {
    return column < row.size() ? std::atoi(row[column].c_str()) : 0;
}
std::string Text(const SqlRow& row, std::size_t column) {
    return column < row.size() ? row[column] : std::string();
}

ChannelRow ToChannel(const SqlRow& row) {
    return {Number(row, 0), Text(row, 1), Text(row, 2), Text(row, 3)};
}

}  // namespace

std::optional<std::array<std::string, 4>> SplitSerialProtocol(const std::string& protocol) {
    std::array<std::string, 4> parts;
    std::size_t part = 0;
    for (const char c : protocol) {
        if (c != ',') {
            parts[part] += c;
        } else if (++part == parts.size()) {
            return std::nullopt;
        }
    }
    if (part != parts.size() - 1) return std::nullopt;
    return parts;
}

std::optional<std::vector<ChannelRow>> ChannelStore::LoadChannels() const {
    SilentNotifier silent;
    const Statements& s = For(kind_);
    const auto rows = ConfigDb(path_, silent).fetch(s.selectChannels, s.channelTable);
    if (!rows) return std::nullopt;
    std::vector<ChannelRow> channels;
    for (const SqlRow& row : *rows) channels.push_back(ToChannel(row));
    return channels;
}

std::optional<ChannelRow> ChannelStore::LoadChannel(int number) const {
    SilentNotifier silent;
    const Statements& s = For(kind_);
    const auto rows = ConfigDb(path_, silent, texts::kOpenConfigEditorFailed)
                          .fetch(s.selectChannel, {number}, s.channelTable);
    if (!rows || rows->size() != 1 || rows->front().size() < 4) return std::nullopt;
    return ToChannel(rows->front());
}

std::optional<std::vector<SendCodeRow>> ChannelStore::LoadCodes(int channel) const {
    SilentNotifier silent;
    const Statements& s = For(kind_);
    const auto rows = ConfigDb(path_, silent, texts::kOpenConfigEditorFailed)
                          .fetch(s.selectCodes, {channel}, s.codeTable);
    if (!rows) return std::nullopt;
    std::vector<SendCodeRow> codes;
    for (const SqlRow& row : *rows) {
        codes.push_back({Number(row, 0), Number(row, 1), Text(row, 2), Text(row, 3)});
    }
    return codes;
}

bool ChannelStore::SaveChannel(int number, const std::string& protocol,
                               const std::string& model) const {
    const Statements& s = For(kind_);
    return ConfigDb(path_, notifier_, texts::kOpenConfigEditorFailed)
        .execute(s.updateChannel, {protocol, model, number}, s.channelTable);
}

bool ChannelStore::SetCode(int id, const std::string& code) const {
    const Statements& s = For(kind_);
    return ConfigDb(path_, notifier_, texts::kOpenConfigEditorFailed)
        .execute(s.updateCode, {code, id}, s.codeTable);
}

bool ChannelStore::HasCode(int channel, const std::string& codeName) const {
    SilentNotifier silent;
    const auto rows = ConfigDb(path_, silent, texts::kOpenConfigEditorFailed)
                          .fetch(sql::kSelectSPTxCodeByName, {codeName, channel}, sql::kSPTxCode);
    return rows && rows->size() == 1;
}

bool ChannelStore::SetCodeByName(int channel, const std::string& codeName,
                                 const std::string& code) const {
    return ConfigDb(path_, notifier_, texts::kOpenConfigEditorFailed)
        .execute(sql::kUpdateSPTxCodeByName, {code, channel, codeName}, sql::kSPTxCode);
}

}  // namespace ketrel
