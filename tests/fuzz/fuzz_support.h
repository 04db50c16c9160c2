#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"

namespace ketrel::fuzz {

// Says which check failed before the fuzzer keeps the input.
inline void Check(bool condition, const char* file = __builtin_FILE(),
                  int line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at %s:%d\n", file, line);
    std::abort();
}

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

}  // namespace ketrel::fuzz
