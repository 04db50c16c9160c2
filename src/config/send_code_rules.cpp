#include "config/send_code_rules.h"

#include "common/format.h"
#include "config/image_layout.h"

namespace ketrel {

bool IsPairedCodeText(std::u16string_view text) {
    if (text.empty()) return true;
    for (std::size_t p = 0; p < text.size(); ++p) {
        const bool separator = (p + 1) % 3 == 0;
        if ((text[p] == u' ') != separator) return false;
    }
    // A last group of one character ("A5 1") is not a byte.
    return text.size() % 3 == 2;
}

bool IsHexByteCodeText(std::string_view text) {
    if (text.empty()) return true;
    if ((text.size() + 1) % 3 != 0) return false;
    const std::size_t tokens = (text.size() + 1) / 3;
    if (tokens > layout::kCodeSlotSize) return false;
    for (std::size_t i = 0; i < tokens; ++i) {
        const std::size_t at = i * 3;
        if (!IsHexDigit(text[at]) || !IsHexDigit(text[at + 1])) return false;
        if (i + 1 < tokens && text[at + 2] != ' ') return false;
    }
    return true;
}

}  // namespace ketrel
