#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ketrel {

using Octets = std::array<std::uint8_t, 4>;

enum class AddressForm {
    // Exactly four decimal numbers of 0 to 255 between points, without leading zeros: what a
    // configuration file must hold.
    Canonical,
    // The same, with blanks around the whole and leading zeros allowed: what the dialogs accept
    // from a database edited elsewhere.
    Lenient,
};

// The one reader of a dotted IPv4 address; nothing when the text is no address of that form.
// (The image compiler packs whatever is stored, with its own warnings, and reads no address.)
std::optional<Octets> ReadDottedAddress(std::string_view text, AddressForm form);
// "a.b.c.d", each number in decimal without leading zeros.
std::string FormatDottedAddress(const Octets& octets);

}  // namespace ketrel
