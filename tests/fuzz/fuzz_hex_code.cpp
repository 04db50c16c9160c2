// SplitHexCode on any text, against a plain model of its rules: the same bytes in the code slot
// and the length byte, the same messages, and not one byte written outside the two.
//
// Byte 0 chooses the slot (one of the 40 serial codes or the 10 infrared codes); the rest is the
// text.
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 1) return;
    const int slot = input.byte() % 50;
    const int channel = slot / 10 + 1, n = slot % 10 + 1;
    const std::size_t codeOffset = slot < 40 ? layout::SerialCodeOffset(channel, n)
                                             : layout::InfraredCodeOffset(slot - 40 + 1);
    const std::size_t lengthOffset = slot < 40 ? layout::SerialLengthOffset(channel, n)
                                               : layout::InfraredLengthOffset(slot - 40 + 1);
    const std::string_view text = input.rest();
    CheckAgainstModel<ConfigImage>(
        [&](ConfigImage& image, Notifier& messages) {
            SplitHexCode(text, image, codeOffset, lengthOffset, messages);
        },
        [&](ConfigImage& expected, std::vector<std::string>& messages) {
            bool tooLong = false;
            const auto tokens = ModelTokens(text, ' ', 7, &tooLong);
            if (tooLong) messages.push_back(texts::kHexTokenTooLong);
            if (tokens.size() > layout::kCodeSlotSize) {
                return messages.push_back(texts::kHexTooManyTokens);
            }
            for (std::size_t i = 0; i < tokens.size(); ++i) {
                std::string_view t = tokens[i];
                if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
                    t.remove_prefix(2);
                expected[codeOffset + i] = static_cast<std::uint8_t>(ModelNumber(t, 16) & 0xFF);
            }
            expected[lengthOffset] = static_cast<std::uint8_t>(tokens.size());
        });
}
