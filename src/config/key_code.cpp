#include "config/key_code.h"

#include <cstdio>

#include "config/config_image.h"

namespace ketrel {

namespace keycode {

KeyCodeGroup Decode(std::string_view text) {
    const std::uint32_t byte = ReadHex(text) & 0xFF;
    return {static_cast<std::uint16_t>(byte >> 4), static_cast<std::uint16_t>(byte & 0x0F)};
}

std::string Encode(KeyCodeGroup group) {
    char text[8];
    std::snprintf(text, sizeof text, "%01X%01X", group.channel & 0x0Fu, group.code & 0x0Fu);
    return text;
}

std::string DisplayText(KeyCodeGroup group) {
    if (group.channel == 0) return kChannelNames[0];
    auto name = [](std::uint16_t index, const auto& table) -> std::string {
        if (index < std::size(table)) return table[index];
        char digit[4];
        std::snprintf(digit, sizeof digit, "%X", index & 0x0Fu);
        return digit;
    };
    return name(group.channel, kChannelNames) + "->" + name(group.code, kCodeNames);
}

}  // namespace keycode

}  // namespace ketrel
