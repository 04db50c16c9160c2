// The harness every fuzz target shares: a target includes this header once and defines
// FuzzOne, which takes the input apart with Input and aborts through Check when the code under
// test and its model disagree.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"
#include "common/pc_actions.h"
#include "link/info_lines.h"

namespace ketrel::fuzz {

// Says which check failed before the fuzzer keeps the input.
inline void Check(bool condition, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at %s:%d\n", file, line);
    std::abort();
}

// The fuzzer's bytes, taken from the front: choice bytes first, then texts or chunks.
class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}
    std::size_t size() const { return rest_.size(); }
    std::uint8_t byte() {
        const auto b = static_cast<std::uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return b;
    }
    // Up to n bytes.
    std::string_view take(std::size_t n) {
        const std::string_view piece = rest_.substr(0, n);
        rest_.remove_prefix(piece.size());
        return piece;
    }
    std::string_view rest() { return take(rest_.size()); }
    // The rest as chunks [length][bytes...]; the last may be short.
    std::vector<std::string> chunks() {
        std::vector<std::string> out;
        while (size() > 0) {
            const std::size_t n = byte();
            out.emplace_back(take(n));
        }
        return out;
    }

  private:
    std::string_view rest_;
};

// Keeps the texts of the messages a parser shows.
class Messages : public Notifier {
  public:
    void show(const std::string& text, const std::string&, MessageIcon) override {
        texts.push_back(text);
    }
    bool confirm(const std::string& text, const std::string&, MessageIcon) override {
        texts.push_back(text);
        return false;
    }
    std::vector<std::string> texts;
};

// What the unit's frames made happen, one line each: "key PageUp", "open /path", "info k=v".
class Recorder : public PcActions, public FrameSink {
  public:
    void pressKey(PcKey key) override { events.push_back(std::string("key ") + PcKeyName(key)); }
    void shutdown() override { events.push_back("shutdown"); }
    void restart() override { events.push_back("restart"); }
    void openProgram(const std::string& path) override { events.push_back("open " + path); }
    void setResolution(int width) override {
        events.push_back("resolution " + std::to_string(width));
    }
    void infoLine(const std::string& key, const std::string& value) override {
        events.push_back("info " + key + "=" + value);
    }
    std::vector<std::string> events;
};

inline bool KnownInfoKey(std::string_view key) {
    return std::find(kInfoKeys.begin(), kInfoKeys.end(), key) != kInfoKeys.end();
}

// Runs a parser that writes into an image, on an image filled with a marker byte, and checks
// the image and the messages against what the model writes into another such image: a byte
// the model leaves alone must keep its marker.
template <typename Image, typename Parse, typename Model>
void CheckAgainstModel(Parse&& parse, Model&& model) {
    Image image, expected;
    image.fill(0x5A);
    expected.fill(0x5A);
    Messages messages;
    std::vector<std::string> expectedMessages;
    parse(image, messages);
    model(expected, expectedMessages);
    Check(messages.texts == expectedMessages);
    Check(image == expected);
}

// Tokens between runs of the separator, up to the first one longer than maxLength; *tooLong
// tells whether such a token stopped the reading.
inline std::vector<std::string> ModelTokens(std::string_view text, char separator,
                                            std::size_t maxLength, bool* tooLong) {
    std::vector<std::string> tokens;
    std::string token;
    *tooLong = false;
    auto flush = [&] {
        if (token.empty()) return true;
        if (token.size() > maxLength) {
            *tooLong = true;
            return false;
        }
        tokens.push_back(token);
        token.clear();
        return true;
    };
    for (char c : text) {
        if (c != separator) {
            token += c;
        } else if (!flush()) {
            return tokens;
        }
    }
    flush();
    return tokens;
}

// Digits of the base from the first character on; the value saturates at 32 bits.
inline std::uint32_t ModelNumber(std::string_view text, unsigned base) {
    std::uint64_t v = 0;
    for (char c : text) {
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'z')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'Z')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (d >= base) break;
        v = v * base + d;
        if (v > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(v);
}

void FuzzOne(Input& input);

}  // namespace ketrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ketrel::fuzz::Input input(data, size);
    ketrel::fuzz::FuzzOne(input);
    return 0;
}
