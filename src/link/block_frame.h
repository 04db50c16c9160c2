#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace ketrel::block {

// An image travels to the unit in eight blocks of 256 bytes, each framed as:
//   [0..255] data, [256] block number, [257] 0, [258..259] 1 little-endian,
//   [260..261] CRC-16/MODBUS over bytes 0..259, high byte first.
inline constexpr std::size_t kImageSize = 2048;
inline constexpr std::size_t kBlockData = 256;
inline constexpr std::size_t kBlockCount = kImageSize / kBlockData;
inline constexpr std::size_t kFrameSize = 262;
inline constexpr std::size_t kNumberOffset = 256;
inline constexpr std::size_t kZeroOffset = 257;
inline constexpr std::size_t kOneOffset = 258;
inline constexpr std::size_t kCrcOffset = 260;

using Image = std::array<std::uint8_t, kImageSize>;
using Frame = std::array<std::uint8_t, kFrameSize>;

// Reflected polynomial 0xA001, initial value 0xFFFF, no final XOR.
std::uint16_t Crc16Modbus(const std::uint8_t* data, std::size_t len);

Frame ImageBlockFrame(const Image& image, std::size_t block);

// Whether a received frame is well formed for the expected block (used by the unit's side).
bool CheckBlockFrame(const std::uint8_t* frame, std::size_t len, std::size_t expectedBlock);

}  // namespace ketrel::block
