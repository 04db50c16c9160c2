// The reply parser on any text, against a plain model of the same rules: the two must agree,
// the parser must never write past the caller's fields, and never touch them when it refuses.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "iot/iot_reply.h"

using ketrel::iot::Word;

namespace {

constexpr Word kUntouched = 0xA5A5;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> SplitSkippingEmpty(std::string_view text, char sep) {
    std::vector<std::string> out;
    std::string piece;
    for (char c : text) {
        if (c == sep) {
            if (!piece.empty()) out.push_back(piece);
            piece.clear();
        } else {
            piece += c;
        }
    }
    if (!piece.empty()) out.push_back(piece);
    return out;
}

bool Model(std::string_view text, std::size_t expected, std::vector<Word>& out) {
    if (expected == 0 || expected > 10) return false;
    const auto pieces = SplitSkippingEmpty(text, ':');
    if (pieces.size() != 2 || pieces[0].size() >= 128 || pieces[1].size() >= 128) return false;
    if (pieces[0] != "IoTAckData") return false;
    const auto fields = SplitSkippingEmpty(pieces[1], ',');
    if (fields.size() > 10 || fields.size() != expected) return false;
    for (const auto& f : fields) {
        if (f.size() >= 32) return false;
    }
    out.clear();
    for (const auto& f : fields) {
        std::size_t i = f.find_first_not_of(" \t\n\v\f\r");
        unsigned long long value = 0;
        for (; i < f.size() && f[i] >= '0' && f[i] <= '9'; ++i) {
            value = (value * 10 + static_cast<unsigned>(f[i] - '0')) % 65536;
        }
        out.push_back(static_cast<Word>(value));
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // Counts 0..12 include the ones no caller may ask for.
    const std::size_t expected = data[0] % 13;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    // Exactly as many fields as asked, on the heap, so a write past them is caught.
    std::vector<Word> fields(expected, kUntouched);
    const bool accepted = ketrel::iot::ParseIoTAck(text, fields.data(), expected);
    std::vector<Word> model;
    Check(accepted == Model(text, expected, model));
    if (accepted) {
        Check(fields == model);
    } else {
        for (Word w : fields) Check(w == kUntouched);
    }
    return 0;
}
