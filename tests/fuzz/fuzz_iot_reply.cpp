// The reply parser on any text, against a plain model of the same rules: the two must agree,
// the parser must never write past the caller's fields, and never touch them when it refuses.
//
// Byte 0 chooses the field count; the rest is the text.
#include "fuzz_support.h"
#include "iot/iot_reply.h"

using ketrel::iot::Word;

namespace {

bool Model(std::string_view text, std::size_t expected, std::vector<Word>& out) {
    if (expected == 0 || expected > 10) return false;
    bool tooLong = false;
    const auto pieces = ketrel::fuzz::ModelTokens(text, ':', std::string::npos, &tooLong);
    if (pieces.size() != 2 || pieces[0].size() >= 128 || pieces[1].size() >= 128) return false;
    if (pieces[0] != "IoTAckData") return false;
    const auto fields = ketrel::fuzz::ModelTokens(pieces[1], ',', 31, &tooLong);
    if (tooLong || fields.size() > 10 || fields.size() != expected) return false;
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

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 1) return;
    // Counts 0..12 include the ones no caller may ask for.
    const std::size_t expected = input.byte() % 13;
    const std::string_view text = input.rest();
    // Exactly as many fields as asked, on the heap, so a write past them is caught.
    constexpr Word kUntouched = 0xA5A5;
    std::vector<Word> fields(expected, kUntouched);
    const bool accepted = iot::ParseIoTAck(text, fields.data(), expected);
    std::vector<Word> model;
    Check(accepted == Model(text, expected, model));
    Check(fields == (accepted ? model : std::vector<Word>(expected, kUntouched)));
}
