// ParseIPv4 on any text, against a plain model of its rules: the four bytes in written order,
// the same messages, nothing written outside the field.
//
// Byte 0 chooses one of the five address fields; the rest is the text.
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

using namespace ketrel;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t offsets[] = {layout::kIpAddressOffset, layout::kNetmaskOffset,
                                   layout::kGatewayOffset, layout::kDnsOffset,
                                   layout::kServerIpOffset};
    const std::size_t offset = offsets[data[0] % 5];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    ConfigImage image;
    image.fill(0x5A);
    fuzz::Messages messages;
    ParseIPv4(text, image, offset, messages);

    ConfigImage expected;
    expected.fill(0x5A);
    std::vector<std::string> expectedMessages;
    bool tooLong = false;
    const auto tokens = fuzz::ModelTokens(text, '.', 31, &tooLong);
    if (tooLong) expectedMessages.push_back(texts::kAddressTokenTooLong);
    if (tokens.size() != 4) {
        expectedMessages.push_back(texts::kAddressCount);
    } else {
        for (std::size_t i = 0; i < 4; ++i) {
            expected[offset + i] =
                static_cast<std::uint8_t>(fuzz::ModelNumber(tokens[i], 10) & 0xFF);
        }
    }
    Check(messages.texts == expectedMessages);
    Check(image == expected);
    return 0;
}
