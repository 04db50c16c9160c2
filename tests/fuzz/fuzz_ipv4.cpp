// ParseIPv4 on any text, against a plain model of its rules: the four bytes in written order,
// the same messages, nothing written outside the field.
//
// Byte 0 chooses one of the five address fields; the rest is the text.
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 1) return;
    const std::size_t offsets[] = {layout::kIpAddressOffset, layout::kNetmaskOffset,
                                   layout::kGatewayOffset, layout::kDnsOffset,
                                   layout::kServerIpOffset};
    const std::size_t offset = offsets[input.byte() % 5];
    const std::string_view text = input.rest();
    CheckAgainstModel<ConfigImage>(
        [&](ConfigImage& image, Notifier& messages) { ParseIPv4(text, image, offset, messages); },
        [&](ConfigImage& expected, std::vector<std::string>& messages) {
            bool tooLong = false;
            const auto tokens = ModelTokens(text, '.', 31, &tooLong);
            if (tooLong) messages.push_back(texts::kAddressTokenTooLong);
            if (tokens.size() != 4) return messages.push_back(texts::kAddressCount);
            for (std::size_t i = 0; i < 4; ++i) {
                expected[offset + i] = static_cast<std::uint8_t>(ModelNumber(tokens[i], 10) & 0xFF);
            }
        });
}
