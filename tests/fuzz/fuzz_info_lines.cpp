// The information lines on any text: SplitString must give back exactly the trimmed text when its
// pieces are joined again, and HandleInfoLine must hand on a line exactly when it is one known
// key, one "=" and a value, with the key and the value as they stand. The same text as a frame's
// payload must reach the sink, if at all, as valid UTF-8.
//
// Byte 0 chooses the delimiter of the plain split; the rest is the text.
#include <cstring>

#include "fuzz_support.h"
#include "link/frame.h"
#include "link/frame_dispatch.h"
#include "platform/app_state.h"

namespace {

std::string_view Trimmed(std::string_view t) {
    const auto space = [](char c) { return c != '\0' && std::strchr(" \t\r\n\v\f", c); };
    while (!t.empty() && space(t.front())) t.remove_prefix(1);
    while (!t.empty() && space(t.back())) t.remove_suffix(1);
    return t;
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t len = c < 0x80         ? 1
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

}  // namespace

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 1) return;
    const std::uint8_t choice = input.byte();
    const char delimiters[] = {'=', ',', '.', ' ', static_cast<char>(choice)};
    const char delimiter = delimiters[choice % std::size(delimiters)];
    const std::string_view text = input.rest();

    // SplitString: the pieces joined by the delimiter are the trimmed text, none holds it.
    const auto parts = SplitString(text, delimiter);
    const std::string_view trimmed = Trimmed(text);
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Check(parts[i].find(delimiter) == std::string::npos);
        joined += (i ? std::string(1, delimiter) : "") + parts[i];
    }
    Check(parts.empty() == trimmed.empty() && joined == trimmed);

    // HandleInfoLine: exactly one known key, one "=", reported once with both halves as sent.
    Recorder sink;
    const bool reached = HandleInfoLine(text, sink);
    const std::size_t eq = trimmed.find('=');
    Check(reached ==
          (eq != std::string_view::npos && trimmed.find('=', eq + 1) == std::string_view::npos &&
           KnownInfoKey(trimmed.substr(0, eq))));
    Check(sink.events ==
          (reached ? std::vector{"info " + std::string(trimmed)} : std::vector<std::string>{}));

    // The same bytes as a payload: at most one thing happens, and text reaches the sink valid.
    std::uint8_t payload[frame::kPayloadSize] = {};
    std::memcpy(payload, text.data(), std::min(text.size(), sizeof payload));
    Recorder frameSink;
    NoPcActions actions;
    SharedText path;
    FrameDispatcher(actions, frameSink, path).HandlePayload(payload);
    Check(frameSink.events.size() <= 1);
    for (const std::string& event : frameSink.events) {
        const std::size_t at = event.find('=');
        Check(event.rfind("info ", 0) == 0 && at != std::string::npos);
        Check(KnownInfoKey(std::string_view(event).substr(5, at - 5)));
        Check(ValidUtf8(event.substr(at + 1)) && event.find('=', at + 1) == std::string::npos);
    }
}
