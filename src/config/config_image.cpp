#include "config/config_image.h"

#include <cstring>
#include <string>
#include <vector>

#include "common/texts.h"
#include "config/config_statements.h"
#include "config/image_layout.h"
#include "config/system_settings.h"

namespace ketrel {

namespace {

constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::size_t kMaxCodeTokens = layout::kCodeSlotSize;
constexpr std::size_t kMaxHexTokenLength = 7;
constexpr std::size_t kMaxFieldTokenLength = 31;

int DigitValue(char c, int base) {
    int v = -1;
    if (c >= '0' && c <= '9')
        v = c - '0';
    else if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < base ? v : -1;
}

std::uint32_t ReadNumber(std::string_view text, int base) {
    std::uint64_t value = 0;
    for (const char c : text) {
        const int d = DigitValue(c, base);
        if (d < 0) break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > kMax32) return kMax32;
    }
    return static_cast<std::uint32_t>(value);
}

std::uint8_t Low8(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

void Warn(Notifier& notifier, const char* text) {
    notifier.show(text, texts::kCaptionNotice, MessageIcon::Error);
}

void RowCountWrong(const ConfigDb& db) {
    db.notifier().show(texts::kRowCountWrong, "", MessageIcon::None);
}

// Tokens separated by runs of the separator; reading stops before the first token longer than
// maxLength, which is reported through *tooLong.
std::vector<std::string_view> Tokens(std::string_view text, char separator, std::size_t maxLength,
                                     bool* tooLong) {
    std::vector<std::string_view> tokens;
    *tooLong = false;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == separator) {
            ++i;
            continue;
        }
        std::size_t end = text.find(separator, i);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view token = text.substr(i, end - i);
        if (token.size() > maxLength) {
            *tooLong = true;
            break;
        }
        tokens.push_back(token);
        i = end;
    }
    return tokens;
}

// A cell by position; a table with fewer columns than the format reads as empty text rather
// than past the end of the row.
const std::string& Cell(const SqlRow& row, std::size_t column) {
    static const std::string kEmpty;
    return column < row.size() ? row[column] : kEmpty;
}

void Put16(ConfigImage& image, std::size_t offset, std::uint32_t v) {
    image[offset] = Low8(v);
    image[offset + 1] = Low8(v >> 8);
}

void Put32(ConfigImage& image, std::size_t offset, std::uint32_t v) {
    Put16(image, offset, v);
    Put16(image, offset + 2, v >> 16);
}

}  // namespace

std::uint32_t ReadDecimal(std::string_view text) { return ReadNumber(text, 10); }

std::uint32_t ReadHex(std::string_view text) {
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    return ReadNumber(text, 16);
}

void SplitHexCode(std::string_view text, ConfigImage& image, std::size_t codeOffset,
                  std::size_t lengthOffset, Notifier& notifier) {
    bool tooLong = false;
    const auto tokens = Tokens(text, ' ', kMaxHexTokenLength, &tooLong);
    if (tooLong) Warn(notifier, texts::kHexTokenTooLong);
    if (tokens.size() > kMaxCodeTokens) {
        Warn(notifier, texts::kHexTooManyTokens);
        return;
    }
    if (codeOffset + tokens.size() > image.size() || lengthOffset >= image.size()) return;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        image[codeOffset + i] = Low8(ReadHex(tokens[i]));
    }
    image[lengthOffset] = static_cast<std::uint8_t>(tokens.size());
}

void ParseLineSettings(std::string_view text, ConfigImage& image, std::size_t offset,
                       Notifier& notifier) {
    bool tooLong = false;
    const auto tokens = Tokens(text, ',', kMaxFieldTokenLength, &tooLong);
    if (tooLong) Warn(notifier, texts::kLineSettingsTokenTooLong);
    if (tokens.size() != 4) {
        Warn(notifier, texts::kLineSettingsCount);
        return;
    }
    if (offset + 4 > image.size()) return;
    // An unknown baud rate or parity leaves its byte as it is; the unit treats 0 as its first
    // entry.
    for (std::size_t i = 0; i < std::size(layout::kBaudRates); ++i) {
        if (tokens[0] == layout::kBaudRates[i]) {
            image[offset] = static_cast<std::uint8_t>(i);
            break;
        }
    }
    for (std::size_t i = 0; i < std::size(layout::kParities); ++i) {
        if (tokens[1] == layout::kParities[i]) {
            image[offset + 1] = static_cast<std::uint8_t>(i);
            break;
        }
    }
    image[offset + 2] = Low8(ReadDecimal(tokens[2]));
    image[offset + 3] = Low8(ReadDecimal(tokens[3]));
}

void ParseIPv4(std::string_view text, ConfigImage& image, std::size_t offset, Notifier& notifier) {
    bool tooLong = false;
    const auto tokens = Tokens(text, '.', kMaxFieldTokenLength, &tooLong);
    if (tooLong) Warn(notifier, texts::kAddressTokenTooLong);
    if (tokens.size() != 4) {
        Warn(notifier, texts::kAddressCount);
        return;
    }
    if (offset + 4 > image.size()) return;
    for (std::size_t i = 0; i < 4; ++i) image[offset + i] = Low8(ReadDecimal(tokens[i]));
}

int LoadSerialCodes(const ConfigDb& db, ConfigImage& image) {
    const auto rows = db.fetch(sql::kSelectSPTxCode, sql::kSPTxCode);
    if (!rows) return 0;
    constexpr std::size_t kRows = layout::kSerialChannelCount * layout::kCodesPerChannel;
    if (rows->size() != kRows) {
        RowCountWrong(db);
        return 0;
    }
    for (std::size_t r = 0; r < kRows; ++r) {
        const int channel = static_cast<int>(r / layout::kCodesPerChannel) + 1;
        const int code = static_cast<int>(r % layout::kCodesPerChannel) + 1;
        SplitHexCode(Cell((*rows)[r], 3), image, layout::SerialCodeOffset(channel, code),
                     layout::SerialLengthOffset(channel, code), db.notifier());
    }
    return static_cast<int>(kRows);
}

int LoadInfraredCodes(const ConfigDb& db, ConfigImage& image) {
    const auto rows = db.fetch(sql::kSelectIRTxCode, sql::kIRTxCode);
    if (!rows) return 0;
    if (rows->size() != layout::kInfraredCodeCount) {
        RowCountWrong(db);
        return 0;
    }
    for (int n = 1; n <= layout::kInfraredCodeCount; ++n) {
        SplitHexCode(Cell((*rows)[static_cast<std::size_t>(n - 1)], 3), image,
                     layout::InfraredCodeOffset(n), layout::InfraredLengthOffset(n), db.notifier());
    }
    return layout::kInfraredCodeCount;
}

int LoadSerialChannels(const ConfigDb& db, ConfigImage& image) {
    const auto rows = db.fetch(sql::kSelectSPChannel, sql::kSPChannel);
    if (!rows) return 0;
    if (rows->size() != layout::kSerialChannelCount) {
        RowCountWrong(db);
        return 0;
    }
    for (int c = 1; c <= layout::kSerialChannelCount; ++c) {
        ParseLineSettings(Cell((*rows)[static_cast<std::size_t>(c - 1)], 2), image,
                          layout::SerialSettingsOffset(c), db.notifier());
    }
    return layout::kSerialChannelCount;
}

int LoadInfraredChannel(const ConfigDb& db, ConfigImage& image) {
    const auto rows = db.fetch(sql::kSelectIRChannel, sql::kIRChannel);
    if (!rows) return 0;
    if (rows->size() != 1) {
        RowCountWrong(db);
        return 0;
    }
    const std::string& protocol = Cell((*rows)[0], 2);
    for (std::size_t i = 0; i < std::size(layout::kInfraredProtocols); ++i) {
        if (protocol == layout::kInfraredProtocols[i]) {
            image[layout::kInfraredProtocolOffset] = static_cast<std::uint8_t>(i);
        }
    }
    return 1;
}

int LoadKeyCodes(const ConfigDb& db, ConfigImage& image) {
    const auto rows = db.fetch(sql::kSelectKeyCode, sql::kKeyCode);
    if (!rows) return 0;
    if (rows->size() != layout::kKeyCount) {
        RowCountWrong(db);
        return 0;
    }
    for (int k = 1; k <= layout::kKeyCount; ++k) {
        const SqlRow& row = (*rows)[static_cast<std::size_t>(k - 1)];
        for (int g = 1; g <= layout::kGroupsPerKey; ++g) {
            image[layout::KeyGroupOffset(k, g)] =
                Low8(ReadHex(Cell(row, static_cast<std::size_t>(g + 1))));
        }
    }
    return layout::kKeyCount;
}

int LoadSystemConfig(const ConfigDb& db, ConfigImage& image) {
    const auto rows = db.fetch(sql::kSelectSystemConfig, sql::kSystemConfig);
    if (!rows) return 0;
    if (rows->size() != layout::kSystemConfigRows) {
        RowCountWrong(db);
        return 0;
    }
    for (const SystemSetting& field : kSystemSettings) {
        if (field.offset == kStaysOnPc) continue;
        const std::string& value = Cell((*rows)[static_cast<std::size_t>(field.position - 1)], 2);
        switch (field.kind) {
            case layout::FieldKind::Word32:
                Put32(image, field.offset, ReadDecimal(value));
                break;
            case layout::FieldKind::Word16:
                Put16(image, field.offset, ReadDecimal(value));
                break;
            case layout::FieldKind::Byte:
                image[field.offset] = Low8(ReadDecimal(value));
                break;
            case layout::FieldKind::Text16:
                // The unit takes the bytes as they are, a multi-byte character cut at the end
                // included.
                std::memcpy(image.data() + field.offset, value.data(),
                            std::min(value.size(), layout::kTextFieldSize));
                break;
            case layout::FieldKind::IPv4:
                ParseIPv4(value, image, field.offset, db.notifier());
                break;
        }
    }
    return layout::kSystemConfigRows;
}

bool CompileConfigImage(const ConfigDb& db, ConfigImage& image) {
    image.fill(0);
    return LoadSerialCodes(db, image) != 0 && LoadInfraredCodes(db, image) != 0 &&
           LoadSerialChannels(db, image) != 0 && LoadInfraredChannel(db, image) != 0 &&
           LoadKeyCodes(db, image) != 0 && LoadSystemConfig(db, image) != 0;
}

std::optional<std::size_t> LoadCards(const ConfigDb& db, ConfigImage& image) {
    image.fill(0);
    const auto rows = db.fetch(sql::kSelectCard, sql::kCard);
    if (!rows) return std::nullopt;
    if (rows->size() > layout::kMaxCards) {
        db.notifier().show(texts::kTooManyCards, "", MessageIcon::None);
        return std::nullopt;
    }
    for (std::size_t i = 0; i < rows->size(); ++i) {
        const SqlRow& row = (*rows)[i];
        const std::size_t base = layout::kCardRecordSize * i;
        Put32(image, base + layout::kCardIdOffset, ReadDecimal(Cell(row, 0)));
        image[base + layout::kCardEnterOffset] = Low8(ReadDecimal(Cell(row, 1)));
        image[base + layout::kCardLeaveOffset] = Low8(ReadDecimal(Cell(row, 2)));
    }
    return rows->size();
}

}  // namespace ketrel
