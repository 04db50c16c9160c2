// The information lines on any text: SplitString must give back exactly the trimmed text when its
// pieces are joined again, and HandleInfoLine must hand on a line exactly when it is one known
// key, one "=" and a value, with the key and the value as they stand. The same text as a frame's
// payload must reach the sink, if at all, as valid UTF-8.
//
// Byte 0 chooses the delimiter of the plain split; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "common/pc_actions.h"
#include "link/frame.h"
#include "link/frame_dispatch.h"
#include "link/info_lines.h"
#include "platform/app_state.h"

using namespace ketrel;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Sink : FrameSink {
    void infoLine(const std::string& key, const std::string& value) override {
        lines.push_back({key, value});
    }
    std::vector<std::pair<std::string, std::string>> lines;
};

bool IsSpace(char c) { return std::strchr(" \t\r\n\v\f", c) != nullptr && c != '\0'; }

std::string_view Trimmed(std::string_view t) {
    while (!t.empty() && IsSpace(t.front())) t.remove_prefix(1);
    while (!t.empty() && IsSpace(t.back())) t.remove_suffix(1);
    return t;
}

bool ValidUtf8(const std::string& s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t len = c < 0x80         ? 1
                          : (c >> 5) == 6  ? 2
                          : (c >> 4) == 14 ? 3
                          : (c >> 3) == 30 ? 4
                                           : 0;
        if (len == 0 || i + len > s.size()) return false;
        std::uint32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += len;
    }
    return true;
}

bool KnownKey(std::string_view key) {
    for (auto k : kInfoKeys) {
        if (key == k) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const char delimiters[] = {'=', ',', '.', ' ', static_cast<char>(data[0])};
    const char delimiter = delimiters[data[0] % std::size(delimiters)];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    // SplitString: the pieces joined by the delimiter are the trimmed text, none holds it.
    const auto parts = SplitString(text, delimiter);
    const std::string_view trimmed = Trimmed(text);
    Check(parts.empty() == trimmed.empty());
    if (!parts.empty()) {
        std::string joined;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (i) joined += delimiter;
            Check(parts[i].find(delimiter) == std::string::npos);
            joined += parts[i];
        }
        Check(joined == trimmed);
    }

    // HandleInfoLine: exactly one known key, one "=", reported once with both halves as sent.
    Sink sink;
    const bool reached = HandleInfoLine(text, sink);
    const std::size_t eq = trimmed.find('=');
    const bool shouldReach = eq != std::string_view::npos &&
                             trimmed.find('=', eq + 1) == std::string_view::npos &&
                             KnownKey(trimmed.substr(0, eq));
    Check(reached == shouldReach);
    Check(sink.lines.size() == (reached ? 1u : 0u));
    if (reached) {
        Check(sink.lines[0].first == trimmed.substr(0, eq));
        Check(sink.lines[0].second == trimmed.substr(eq + 1));
    }

    // The same bytes as a payload: at most one thing happens, and text reaches the sink valid.
    std::uint8_t payload[frame::kPayloadSize] = {};
    std::memcpy(payload, text.data(), std::min(text.size(), sizeof payload));
    Sink frameSink;
    NoPcActions actions;
    SharedText path;
    FrameDispatcher dispatcher(actions, frameSink, path);
    dispatcher.HandlePayload(payload);
    Check(frameSink.lines.size() <= 1);
    for (const auto& [key, value] : frameSink.lines) {
        Check(KnownKey(key));
        Check(ValidUtf8(value));
        Check(value.find('=') == std::string::npos);
    }
    return 0;
}
