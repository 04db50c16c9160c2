#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "iot/iot_line.h"

namespace ketrel::iot {

// The limits of a reply: two pieces around the colon, each shorter than 128 characters, and
// at most ten fields of fewer than 32 characters. A reply beyond them is not a reply.
inline constexpr std::size_t kMaxPieceLength = 127;
inline constexpr std::size_t kMaxFields = 10;
inline constexpr std::size_t kMaxFieldLength = 31;

// Reads text as one "IoTAckData:f0,f1,..." reply of exactly expectedCount fields. Empty pieces
// between colons and between commas do not count. Each field is a decimal number (leading
// white space skipped, ending at the first other character, so "\r\n" after the last one is
// ignored) of which the low 16 bits are kept. On success fields[0..expectedCount-1] hold the
// values; otherwise fields is not touched.
bool ParseIoTAck(std::string_view text, Word* fields, std::size_t expectedCount);

// Where a wait collects the reply: 128 bytes that start zeroed, written in a circle (the old
// bytes stay when the write position comes round again), with the last byte remembered.
class IoTAckBuffer {
  public:
    static constexpr std::size_t kSize = 128;

    void append(std::uint8_t byte) {
        data_[write_] = static_cast<char>(byte);
        write_ = (write_ + 1) % kSize;
        last_ = byte;
        any_ = true;
    }
    // Whether a line feed is the last byte received so far.
    bool endsWithLineFeed() const { return any_ && last_ == '\n'; }
    // From the first byte up to the first zero byte, or the whole buffer when it holds none.
    std::string_view text() const;
    std::size_t writeIndex() const { return write_; }

  private:
    std::array<char, kSize> data_{};
    std::size_t write_ = 0;
    std::uint8_t last_ = 0;
    bool any_ = false;
};

}  // namespace ketrel::iot
