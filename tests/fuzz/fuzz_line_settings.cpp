// ParseLineSettings on any text, against a plain model of its rules: the same four bytes, the
// same messages, nothing written outside the channel's four setting bytes.
//
// Byte 0 chooses the channel; the rest is the text.
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 1) return;
    const std::size_t offset = layout::SerialSettingsOffset(input.byte() % 4 + 1);
    const std::string_view text = input.rest();
    CheckAgainstModel<ConfigImage>(
        [&](ConfigImage& image, Notifier& messages) {
            ParseLineSettings(text, image, offset, messages);
        },
        [&](ConfigImage& expected, std::vector<std::string>& messages) {
            bool tooLong = false;
            const auto tokens = ModelTokens(text, ',', 31, &tooLong);
            if (tooLong) messages.push_back(texts::kLineSettingsTokenTooLong);
            if (tokens.size() != 4) return messages.push_back(texts::kLineSettingsCount);
            // An unknown baud rate or parity leaves its byte alone.
            const auto* baud =
                std::find(std::begin(layout::kBaudRates), std::end(layout::kBaudRates), tokens[0]);
            if (baud != std::end(layout::kBaudRates)) {
                expected[offset] = static_cast<std::uint8_t>(baud - std::begin(layout::kBaudRates));
            }
            const std::string parities[] = {"None", "Odd", "Even"};
            const auto* parity = std::find(std::begin(parities), std::end(parities), tokens[1]);
            if (parity != std::end(parities)) {
                expected[offset + 1] = static_cast<std::uint8_t>(parity - parities);
            }
            for (std::size_t i : {2, 3}) {
                expected[offset + i] = static_cast<std::uint8_t>(ModelNumber(tokens[i], 10) & 0xFF);
            }
        });
}
