#include "config/key_code.h"

#include <cstdio>
#include <cstdlib>

#include "common/silent_notifier.h"
#include "config/config_db.h"
#include "config/config_image.h"
#include "config/config_statements.h"
#include "config/config_texts.h"

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

namespace {

std::optional<KeyCodeRow> ToKey(const SqlRow& row) {
    if (row.size() < 2 + keycode::kGroupCount) return std::nullopt;
    KeyCodeRow key{std::atoi(row[0].c_str()), row[1], {}};
    for (int k = 0; k < keycode::kGroupCount; ++k) key.groups[k] = keycode::Decode(row[2 + k]);
    return key;
}

}  // namespace

std::optional<std::vector<KeyCodeRow>> KeyCodeStore::LoadKeys() const {
    SilentNotifier silent;
    const auto rows = ConfigDb(path_, silent, texts::kOpenConfigEditorFailed)
                          .fetch(sql::kSelectKeyCode, sql::kKeyCode);
    if (!rows) return std::nullopt;
    std::vector<KeyCodeRow> keys;
    for (const SqlRow& row : *rows) {
        if (auto key = ToKey(row)) keys.push_back(std::move(*key));
    }
    return keys;
}

std::optional<KeyCodeRow> KeyCodeStore::LoadKey(int id) const {
    SilentNotifier silent;
    const auto rows = ConfigDb(path_, silent, texts::kOpenConfigEditorFailed)
                          .fetch(sql::kSelectKeyCodeById, {id}, sql::kKeyCode);
    if (!rows || rows->size() != 1) return std::nullopt;
    return ToKey(rows->front());
}

bool KeyCodeStore::SaveGroups(int id, const KeyCodeGroups& groups) const {
    std::array<std::string, keycode::kGroupCount> stored;
    for (int k = 0; k < keycode::kGroupCount; ++k) stored[k] = keycode::Encode(groups[k]);
    return ConfigDb(path_, notifier_, texts::kOpenConfigEditorFailed)
        .execute(sql::kUpdateKeyCode, {stored[0], stored[1], stored[2], stored[3], stored[4], id},
                 sql::kKeyCode);
}

}  // namespace ketrel
