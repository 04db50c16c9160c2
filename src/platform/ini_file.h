#pragma once

#include <optional>
#include <string>

namespace ketrel {

// Reads and writes an INI file the way the Windows private-profile functions do: section and key
// names match without regard to case, values are trimmed, a value is cut to 259 characters, and a
// write replaces one key's line in place so every other line of the file survives untouched.
class IniFile {
  public:
    static constexpr std::size_t kMaxValueChars = 259;

    // The value of [section] key, or nullopt when the file, the section or the key is missing
    // or the file cannot be read.
    static std::optional<std::string> read(const std::string& path, const std::string& section,
                                           const std::string& key);
    static std::string read(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& fallback);

    // Sets [section] key=value, creating the file, the section or the key where missing. The file
    // is replaced atomically, so a failed write leaves the old file whole. False on failure, with
    // the system's reason in *error when given.
    static bool write(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value, std::string* error = nullptr);
};

// Cuts UTF-8 text after its first `maxChars` characters, never inside a character.
std::string TruncateUtf8Chars(const std::string& text, std::size_t maxChars);

}  // namespace ketrel
