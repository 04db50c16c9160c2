#include "link/info_lines.h"

#include "platform/text_util.h"

namespace ketrel {

std::vector<std::string> SplitString(std::string_view text, char delimiter) {
    const std::string t = Trim(text);
    std::vector<std::string> parts;
    if (t.empty()) return parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = t.find(delimiter, start);
        if (at == std::string::npos) {
            parts.push_back(t.substr(start));
            return parts;
        }
        parts.push_back(t.substr(start, at - start));
        start = at + 1;
    }
}

bool HandleInfoLine(std::string_view line, FrameSink& sink) {
    const auto parts = SplitString(line, '=');
    if (parts.size() != 2) return false;
    for (auto key : kInfoKeys) {
        if (parts[0] == key) {
            sink.infoLine(parts[0], parts[1]);
            return true;
        }
    }
    return false;
}

std::string DhcpText(const std::string& value) { return value == "1" ? "启用" : "禁用"; }

}  // namespace ketrel
