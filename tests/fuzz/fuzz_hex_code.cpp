// SplitHexCode on any text, against a plain model of its rules: the same bytes in the code slot
// and the length byte, the same messages, and not one byte written outside the two.
//
// Byte 0 chooses the slot (one of the 40 serial codes or the 10 infrared codes); the rest is the
// text.
#include <algorithm>

#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

using namespace ketrel;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int slot = data[0] % 50;
    const std::size_t codeOffset = slot < 40
                                       ? layout::SerialCodeOffset(slot / 10 + 1, slot % 10 + 1)
                                       : layout::InfraredCodeOffset(slot - 40 + 1);
    const std::size_t lengthOffset = slot < 40
                                         ? layout::SerialLengthOffset(slot / 10 + 1, slot % 10 + 1)
                                         : layout::InfraredLengthOffset(slot - 40 + 1);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    ConfigImage image;
    image.fill(0x5A);
    fuzz::Messages messages;
    SplitHexCode(text, image, codeOffset, lengthOffset, messages);

    ConfigImage expected;
    expected.fill(0x5A);
    std::vector<std::string> expectedMessages;
    bool tooLong = false;
    const auto tokens = fuzz::ModelTokens(text, ' ', 7, &tooLong);
    if (tooLong) expectedMessages.push_back(texts::kHexTokenTooLong);
    if (tokens.size() > layout::kCodeSlotSize) {
        expectedMessages.push_back(texts::kHexTooManyTokens);
    } else {
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            std::string_view t = tokens[i];
            if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.remove_prefix(2);
            expected[codeOffset + i] = static_cast<std::uint8_t>(fuzz::ModelNumber(t, 16) & 0xFF);
        }
        expected[lengthOffset] = static_cast<std::uint8_t>(tokens.size());
    }
    Check(messages.texts == expectedMessages);
    Check(image == expected);
    return 0;
}
