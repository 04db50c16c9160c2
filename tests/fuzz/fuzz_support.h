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

void FuzzOne(Input& input);

}  // namespace ketrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ketrel::fuzz::Input input(data, size);
    ketrel::fuzz::FuzzOne(input);
    return 0;
}
