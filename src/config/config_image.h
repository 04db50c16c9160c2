#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "common/notifier.h"
#include "config/config_db.h"
#include "link/block_frame.h"

namespace ketrel {

// The 2048 bytes the unit takes: built here from the configuration database, or from the Card
// table for a card write.
using ConfigImage = block::Image;

// Number readers with the unit's rules: digits from the first character on (a leading
// non-digit gives 0), a value above 0xFFFFFFFF gives 0xFFFFFFFF. ReadHex accepts a 0x prefix.
std::uint32_t ReadDecimal(std::string_view text);
std::uint32_t ReadHex(std::string_view text);

// The text parsers. A malformed text is reported through the notifier and leaves its target
// as far as it was filled; the compile goes on.
//
// A send code: hexadecimal tokens separated by spaces, at most 32, each of 1 to 7 characters;
// the low byte of each goes to the code slot, their count to the length byte.
void SplitHexCode(std::string_view text, ConfigImage& image, std::size_t codeOffset,
                  std::size_t lengthOffset, Notifier& notifier);
// Line settings "baud,parity,data bits,stop bits" into four bytes.
void ParseLineSettings(std::string_view text, ConfigImage& image, std::size_t offset,
                       Notifier& notifier);
// A dotted address into four bytes in written order.
void ParseIPv4(std::string_view text, ConfigImage& image, std::size_t offset, Notifier& notifier);

// The loaders: each fetches one whole table and encodes it; the number of rows encoded, or 0
// after showing why (database failure, wrong row count).
int LoadSerialCodes(const ConfigDb& db, ConfigImage& image);
int LoadInfraredCodes(const ConfigDb& db, ConfigImage& image);
int LoadSerialChannels(const ConfigDb& db, ConfigImage& image);
int LoadInfraredChannel(const ConfigDb& db, ConfigImage& image);
int LoadKeyCodes(const ConfigDb& db, ConfigImage& image);
int LoadSystemConfig(const ConfigDb& db, ConfigImage& image);

// Clears the image and runs the six loaders in order; false at the first that fails.
bool CompileConfigImage(const ConfigDb& db, ConfigImage& image);

// The card image: a 6-byte record per row of the Card table from offset 0. The number of
// cards, or nothing after showing why (database failure, more than 340 cards).
std::optional<std::size_t> LoadCards(const ConfigDb& db, ConfigImage& image);

}  // namespace ketrel
