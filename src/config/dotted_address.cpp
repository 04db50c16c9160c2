#include "config/dotted_address.h"

#include "platform/text_util.h"

namespace ketrel {

std::optional<Octets> ReadDottedAddress(std::string_view text, AddressForm form) {
    const std::string trimmed = form == AddressForm::Lenient ? Trim(text) : std::string(text);
    Octets out{};
    std::size_t part = 0;
    std::size_t i = 0;
    for (;;) {
        unsigned value = 0;
        const std::size_t start = i;
        while (i < trimmed.size() && trimmed[i] >= '0' && trimmed[i] <= '9') {
            value = value * 10 + static_cast<unsigned>(trimmed[i] - '0');
            if (i - start >= 3 || value > 255) return std::nullopt;
            ++i;
        }
        const std::size_t digits = i - start;
        if (digits == 0) return std::nullopt;
        if (form == AddressForm::Canonical && digits > 1 && trimmed[start] == '0') {
            return std::nullopt;
        }
        out[part++] = static_cast<std::uint8_t>(value);
        if (part == 4) break;
        if (i >= trimmed.size() || trimmed[i] != '.') return std::nullopt;
        ++i;
    }
    if (i != trimmed.size()) return std::nullopt;
    return out;
}

std::string FormatDottedAddress(const Octets& o) {
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
           std::to_string(o[3]);
}

}  // namespace ketrel
