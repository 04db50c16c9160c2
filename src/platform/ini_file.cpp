#include "platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/safe_file.h"
#include "platform/text_util.h"

namespace ketrel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Far beyond any settings file; a device or a runaway file in its place is not read.
constexpr std::size_t kMaxIniSize = 1 << 20;

// The file's lines, whether it used CR LF and began with a byte-order mark (so a rewrite keeps
// both). False when it cannot be read, with the reason; missing when it does not exist.
bool LoadLines(const std::string& path, std::vector<std::string>& lines, bool& crlf, bool& bom,
               std::string* reason = nullptr, bool* missing = nullptr) {
    std::string data, why;
    const ReadFailure failure = ReadRegularFile(path, kMaxIniSize, data, why);
    if (missing) *missing = failure == ReadFailure::Missing;
    if (failure != ReadFailure::None) {
        if (reason) *reason = why;
        return false;
    }
    // Editors on another system save a mark that would hide the first section's name.
    bom = data.rfind(kByteOrderMark, 0) == 0;
    if (bom) data.erase(0, kByteOrderMark.size());
    crlf = data.find("\r\n") != std::string::npos;
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return true;
}

// The section name of a "[name]" line, trimmed, or nullopt for any other line.
std::optional<std::string> SectionOf(const std::string& line) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    const std::size_t close = t.find(']');
    if (close == std::string::npos) return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

// Splits a "key=value" line; false for comments and lines without "=".
bool KeyValueOf(const std::string& line, std::string& key, std::string& value) {
    const std::string t = Trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    const std::size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

std::string UnquoteValue(std::string value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

std::string TruncateUtf8Chars(const std::string& text, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == maxChars) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

std::optional<std::string> IniFile::read(const std::string& path, const std::string& section,
                                         const std::string& key) {
    std::vector<std::string> lines;
    bool crlf = false, bom = false;
    if (!LoadLines(path, lines, crlf, bom)) return std::nullopt;
    bool inSection = false;
    for (const auto& line : lines) {
        if (auto s = SectionOf(line)) {
            inSection = EqualsNoCase(*s, section);
            continue;
        }
        if (!inSection) continue;
        std::string k, v;
        if (KeyValueOf(line, k, v) && EqualsNoCase(k, key)) {
            return TruncateUtf8Chars(UnquoteValue(v), kMaxValueChars);
        }
    }
    return std::nullopt;
}

std::string IniFile::read(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& fallback) {
    return read(path, section, key).value_or(fallback);
}

bool IniFile::write(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value, std::string* error) {
    if (value.find_first_of("\r\n") != std::string::npos) {
        if (error) *error = "a value cannot hold a line break";
        return false;
    }
    std::vector<std::string> lines;
    bool crlf = false, bom = false, missing = false;
    std::string reason;
    if (!LoadLines(path, lines, crlf, bom, &reason, &missing)) {
        if (!missing) {
            if (error) *error = reason;
            return false;
        }
        lines.clear();
        crlf = true;  // a new file gets the line endings the unit's tools have always written
    }
    const std::string newLine = key + "=" + value;
    bool inSection = false;
    std::optional<std::size_t> sectionEnd;  // index after the last non-blank line of the section
    bool done = false;
    for (std::size_t i = 0; i < lines.size() && !done; ++i) {
        if (auto s = SectionOf(lines[i])) {
            if (inSection) break;
            inSection = EqualsNoCase(*s, section);
            if (inSection) sectionEnd = i + 1;
            continue;
        }
        if (!inSection) continue;
        std::string k, v;
        if (KeyValueOf(lines[i], k, v) && EqualsNoCase(k, key)) {
            lines[i] = newLine;
            done = true;
        } else if (!Trim(lines[i]).empty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*sectionEnd), newLine);
        } else {
            lines.push_back("[" + section + "]");
            lines.push_back(newLine);
        }
    }
    std::string data(bom ? kByteOrderMark : "");
    const char* eol = crlf ? "\r\n" : "\n";
    for (const auto& l : lines) data += l + eol;
    if (WriteFileWhole(path, data, reason)) return true;
    if (error) *error = reason;
    return false;
}

}  // namespace ketrel
