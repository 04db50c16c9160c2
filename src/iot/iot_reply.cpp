#include "iot/iot_reply.h"

#include <cstring>

#include "link/frame.h"

namespace ketrel::iot {

namespace {

// Splits text at sep, skipping empty pieces, into at most out.size() pieces of at most
// maxLength characters. False when there are more pieces or a longer one.
template <std::size_t N>
bool SplitWithin(std::string_view text, char sep, std::size_t maxLength,
                 std::array<std::string_view, N>& out, std::size_t& count) {
    count = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(sep, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) {
            if (count == N || end - start > maxLength) return false;
            out[count++] = text.substr(start, end - start);
        }
        start = end + 1;
    }
    return true;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

Word FieldValue(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && IsSpace(field[i])) ++i;
    // Only the low 16 bits are kept, so they are all that needs carrying along.
    std::uint32_t value = 0;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        value = (value * 10 + static_cast<std::uint32_t>(field[i] - '0')) & 0xFFFF;
    }
    return static_cast<Word>(value);
}

}  // namespace

bool ParseIoTAck(std::string_view text, Word* fields, std::size_t expectedCount) {
    if (expectedCount == 0 || expectedCount > kMaxFields) return false;
    std::array<std::string_view, 2> pieces;
    std::size_t pieceCount = 0;
    if (!SplitWithin(text, ':', kMaxPieceLength, pieces, pieceCount) || pieceCount != 2) {
        return false;
    }
    if (pieces[0] != frame::kIoTAckData) return false;
    std::array<std::string_view, kMaxFields> parts;
    std::size_t fieldCount = 0;
    if (!SplitWithin(pieces[1], ',', kMaxFieldLength, parts, fieldCount) ||
        fieldCount != expectedCount) {
        return false;
    }
    for (std::size_t i = 0; i < fieldCount; ++i) fields[i] = FieldValue(parts[i]);
    return true;
}

std::string_view IoTAckBuffer::text() const {
    const char* end = static_cast<const char*>(std::memchr(data_.data(), 0, data_.size()));
    const std::size_t length = end ? static_cast<std::size_t>(end - data_.data()) : data_.size();
    return std::string_view(data_.data(), length);
}

}  // namespace ketrel::iot
