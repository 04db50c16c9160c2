#include "link/block_frame.h"

#include <cstring>

namespace ketrel::block {

namespace {
constexpr std::array<std::uint16_t, 256> MakeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t crc = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
        }
        table[i] = crc;
    }
    return table;
}
constexpr auto kTable = MakeTable();
}  // namespace

std::uint16_t Crc16Modbus(const std::uint8_t* data, std::size_t len) {
    std::uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < len; ++i) {
        crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ data[i]) & 0xFF]);
    }
    return crc;
}

Frame ImageBlockFrame(const Image& image, std::size_t block) {
    Frame f{};
    std::memcpy(f.data(), image.data() + block * kBlockData, kBlockData);
    f[kNumberOffset] = static_cast<std::uint8_t>(block);
    f[kZeroOffset] = 0;
    f[kOneOffset] = 1;
    f[kOneOffset + 1] = 0;
    const std::uint16_t crc = Crc16Modbus(f.data(), kCrcOffset);
    f[kCrcOffset] = static_cast<std::uint8_t>(crc >> 8);
    f[kCrcOffset + 1] = static_cast<std::uint8_t>(crc & 0xFF);
    return f;
}

bool CheckBlockFrame(const std::uint8_t* frame, std::size_t len, std::size_t expectedBlock) {
    if (len != kFrameSize) return false;
    if (frame[kNumberOffset] != expectedBlock || frame[kZeroOffset] != 0 ||
        frame[kOneOffset] != 1 || frame[kOneOffset + 1] != 0) {
        return false;
    }
    const std::uint16_t crc = Crc16Modbus(frame, kCrcOffset);
    return frame[kCrcOffset] == (crc >> 8) && frame[kCrcOffset + 1] == (crc & 0xFF);
}

}  // namespace ketrel::block
