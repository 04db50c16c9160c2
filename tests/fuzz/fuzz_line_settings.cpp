// ParseLineSettings on any text, against a plain model of its rules: the same four bytes, the
// same messages, nothing written outside the channel's four setting bytes.
//
// Byte 0 chooses the channel; the rest is the text.
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

using namespace ketrel;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t offset = layout::SerialSettingsOffset(data[0] % 4 + 1);
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    ConfigImage image;
    image.fill(0x5A);
    fuzz::Messages messages;
    ParseLineSettings(text, image, offset, messages);

    ConfigImage expected;
    expected.fill(0x5A);
    std::vector<std::string> expectedMessages;
    bool tooLong = false;
    const auto tokens = fuzz::ModelTokens(text, ',', 31, &tooLong);
    if (tooLong) expectedMessages.push_back(texts::kLineSettingsTokenTooLong);
    if (tokens.size() != 4) {
        expectedMessages.push_back(texts::kLineSettingsCount);
    } else {
        // An unknown baud rate or parity leaves its byte alone.
        for (std::size_t i = 0; i < std::size(layout::kBaudRates); ++i) {
            if (tokens[0] == layout::kBaudRates[i]) {
                expected[offset] = static_cast<std::uint8_t>(i);
                break;
            }
        }
        const char* parities[] = {"None", "Odd", "Even"};
        for (std::size_t i = 0; i < 3; ++i) {
            if (tokens[1] == parities[i]) {
                expected[offset + 1] = static_cast<std::uint8_t>(i);
                break;
            }
        }
        expected[offset + 2] = static_cast<std::uint8_t>(fuzz::ModelNumber(tokens[2], 10) & 0xFF);
        expected[offset + 3] = static_cast<std::uint8_t>(fuzz::ModelNumber(tokens[3], 10) & 0xFF);
    }
    Check(messages.texts == expectedMessages);
    Check(image == expected);
    return 0;
}
