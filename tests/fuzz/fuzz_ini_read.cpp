// The INI reader and writer on any file: a read never fails hard and never gives more than 259
// characters; a write of one key either refuses a value with a line break and leaves the file as
// it was, or changes exactly that key's line (or adds it), after which the key reads back as
// written and every other key reads as before.
//
// Byte 0 chooses the key to write, byte 1 the length of the value that follows; the rest is the
// file.
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>

#include "fuzz_support.h"
#include "platform/ini_file.h"
#include "platform/text_util.h"

using namespace ketrel;
using fuzz::Check;

namespace {

struct Probe {
    const char* section;
    const char* key;
};

// The program's own section and keys, a spelling of them in other case, and a neighbour.
const Probe kProbes[] = {{"Setup", "PortName"},
                         {"Setup", "OpenAppPath"},
                         {"Setup", "Author"},
                         {"setup", "PORTNAME"},
                         {"Other", "PortName"}};

const std::string& FilePath() {
    static const std::string path = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = std::string(base) + "/ketrel-fuzz-ini-XXXXXX";
        const char* dir = mkdtemp(pattern.data());
        Check(dir != nullptr);
        return std::string(dir) + "/config.ini";
    }();
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The file's lines with their line endings removed, after a byte-order mark at the start. A
// carriage return at the end of a line counts as part of its ending (a rewrite may drop it); it
// is white space to every reader.
std::vector<std::string> Lines(const std::string& data) {
    std::vector<std::string> lines;
    std::size_t start = data.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    while (start < data.size()) {
        std::size_t end = data.find('\n', start);
        if (end == std::string::npos) end = data.size();
        std::string line = data.substr(start, end - start);
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::size_t Utf8Chars(const std::string& s) {
    return static_cast<std::size_t>(
        std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// What a key=value line gives back when read.
std::string AsRead(const std::string& value) {
    std::string v = Trim(value);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    return TruncateUtf8Chars(v, IniFile::kMaxValueChars);
}

}  // namespace

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 2) return;
    const Probe& target = kProbes[input.byte() % std::size(kProbes)];
    const std::string value(input.take(input.byte()));
    const std::string content(input.rest());
    const std::string& path = FilePath();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
        Check(static_cast<bool>(out));
    }

    std::vector<std::optional<std::string>> before;
    for (const auto& p : kProbes) {
        before.push_back(IniFile::read(path, p.section, p.key));
        if (before.back()) Check(Utf8Chars(*before.back()) <= IniFile::kMaxValueChars);
    }

    std::string error;
    const bool written = IniFile::write(path, target.section, target.key, value, &error);
    const std::string after = ReadAll(path);
    if (value.find_first_of("\r\n") != std::string::npos) {
        Check(!written);
        return Check(after == content);
    }
    Check(written);

    // Only the key's own line changed, or it was added (with its section when that was missing).
    const std::string newLine = std::string(target.key) + "=" + value;
    const auto old = Lines(content);
    auto now = Lines(after);
    if (now.size() == old.size() + 2) {
        Check(now[now.size() - 2] == "[" + std::string(target.section) + "]");
        Check(now.back() == newLine);
        now.resize(old.size());
        Check(now == old);
    } else if (now.size() == old.size() + 1) {
        // The same line may stand elsewhere already (in another section): one of them is new.
        bool found = false;
        for (std::size_t i = 0; i < now.size() && !found; ++i) {
            if (now[i] != newLine) continue;
            auto without = now;
            without.erase(without.begin() + static_cast<std::ptrdiff_t>(i));
            found = without == old;
        }
        Check(found);
    } else {
        Check(now.size() == old.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < now.size(); ++i) {
            if (now[i] != old[i]) {
                ++differing;
                Check(now[i] == newLine);
            }
        }
        Check(differing <= 1);
    }

    // The key reads back as written; every other key as before.
    for (std::size_t i = 0; i < std::size(kProbes); ++i) {
        const auto v = IniFile::read(path, kProbes[i].section, kProbes[i].key);
        const bool same = EqualsNoCase(kProbes[i].section, target.section) &&
                          EqualsNoCase(kProbes[i].key, target.key);
        if (same) {
            Check(v.has_value() && *v == AsRead(value));
        } else {
            Check(v == before[i]);
        }
    }
}
