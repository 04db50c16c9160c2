// The parsers that write a field of the configuration image, on any text, against plain models
// of their rules: the same bytes in the field, the same messages, and not one byte written
// outside the field.
//
// Byte 0 chooses the parser: a send code (SplitHexCode), a serial line's settings
// (ParseLineSettings) or an address (ParseIPv4); byte 1 the slot, channel or address field; the
// rest is the text.
#include <charconv>

#include "common/notifier.h"
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "fuzz_support.h"

using namespace ketrel;
using fuzz::Check;
using fuzz::ModelTokens;

namespace {

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

// Digits of the base from the first character on; the value saturates at 32 bits.
std::uint32_t ModelNumber(std::string_view text, int base) {
    std::uint64_t v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v, base);
    if (error == std::errc::result_out_of_range || v > 0xFFFFFFFFu) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(v);
}

std::uint8_t Low8(std::uint32_t v) { return static_cast<std::uint8_t>(v & 0xFF); }

// What SplitHexCode writes: up to 32 tokens of up to 7 characters, each a hex byte with or
// without "0x", and their count in the length byte.
void ModelHexCode(std::string_view text, ConfigImage& expected, std::size_t codeOffset,
                  std::size_t lengthOffset, std::vector<std::string>& messages) {
    bool tooLong = false;
    const auto tokens = ModelTokens(text, ' ', 7, &tooLong);
    if (tooLong) messages.push_back(texts::kHexTokenTooLong);
    if (tokens.size() > layout::kCodeSlotSize) return messages.push_back(texts::kHexTooManyTokens);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::string_view t = tokens[i];
        if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t.remove_prefix(2);
        expected[codeOffset + i] = Low8(ModelNumber(t, 16));
    }
    expected[lengthOffset] = static_cast<std::uint8_t>(tokens.size());
}

// What ParseLineSettings writes: four settings; an unknown baud rate or parity leaves its byte
// alone.
void ModelLineSettings(std::string_view text, ConfigImage& expected, std::size_t offset,
                       std::vector<std::string>& messages) {
    bool tooLong = false;
    const auto tokens = ModelTokens(text, ',', 31, &tooLong);
    if (tooLong) messages.push_back(texts::kLineSettingsTokenTooLong);
    if (tokens.size() != 4) return messages.push_back(texts::kLineSettingsCount);
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
    for (std::size_t i : {2, 3}) expected[offset + i] = Low8(ModelNumber(tokens[i], 10));
}

// What ParseIPv4 writes: the four numbers in written order.
void ModelAddress(std::string_view text, ConfigImage& expected, std::size_t offset,
                  std::vector<std::string>& messages) {
    bool tooLong = false;
    const auto tokens = ModelTokens(text, '.', 31, &tooLong);
    if (tooLong) messages.push_back(texts::kAddressTokenTooLong);
    if (tokens.size() != 4) return messages.push_back(texts::kAddressCount);
    for (std::size_t i = 0; i < 4; ++i) expected[offset + i] = Low8(ModelNumber(tokens[i], 10));
}

}  // namespace

void ketrel::fuzz::FuzzOne(Input& input) {
    if (input.size() < 2) return;
    const int parser = input.byte() % 3;
    const int choice = input.byte();
    const std::string_view text = input.rest();
    // Both images start filled with a marker byte: a byte the model leaves alone must keep it.
    ConfigImage image, expected;
    image.fill(0x5A);
    expected.fill(0x5A);
    Messages messages;
    std::vector<std::string> expectedMessages;
    if (parser == 0) {
        // One of the 40 serial codes or the 10 infrared codes.
        const int slot = choice % 50, channel = slot / 10 + 1, n = slot % 10 + 1;
        const std::size_t code = slot < 40 ? layout::SerialCodeOffset(channel, n)
                                           : layout::InfraredCodeOffset(slot - 40 + 1);
        const std::size_t length = slot < 40 ? layout::SerialLengthOffset(channel, n)
                                             : layout::InfraredLengthOffset(slot - 40 + 1);
        SplitHexCode(text, image, code, length, messages);
        ModelHexCode(text, expected, code, length, expectedMessages);
    } else if (parser == 1) {
        const std::size_t offset = layout::SerialSettingsOffset(choice % 4 + 1);
        ParseLineSettings(text, image, offset, messages);
        ModelLineSettings(text, expected, offset, expectedMessages);
    } else {
        const std::size_t offsets[] = {layout::kIpAddressOffset, layout::kNetmaskOffset,
                                       layout::kGatewayOffset, layout::kDnsOffset,
                                       layout::kServerIpOffset};
        ParseIPv4(text, image, offsets[choice % 5], messages);
        ModelAddress(text, expected, offsets[choice % 5], expectedMessages);
    }
    Check(messages.texts == expectedMessages);
    Check(image == expected);
}
