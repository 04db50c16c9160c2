#include "iot/iot_line.h"

#include "link/frame.h"

namespace ketrel::iot {

std::string FormatSetData(int id, const DataWords& words) {
    std::string line(frame::kIoTSetData);
    line += std::to_string(id);
    for (Word w : words) line += "," + std::to_string(w);
    line += "," + std::to_string(kDataWordCount);
    return line;
}

std::string FormatSetDataFive(int id, Word w1, Word w2, Word w3, Word w4, Word w5) {
    return FormatSetData(id, {w1, w2, w3, w4, w5, 0, 0, 0});
}

std::string FormatSetDataEmpty(int id) { return FormatSetData(id, DataWords{}); }

std::string FormatSetCmd(int code) { return std::string(frame::kIoTSetCmd) + std::to_string(code); }

DataWords PackTextBytes(std::string_view bytes) {
    std::array<std::uint8_t, kTextBytes> area{};
    for (std::size_t i = 0; i < area.size() && i < bytes.size(); ++i) {
        area[i] = static_cast<std::uint8_t>(bytes[i]);
    }
    DataWords words{};
    for (std::size_t k = 0; k < words.size(); ++k) {
        words[k] = static_cast<Word>(area[2 * k] + 256 * area[2 * k + 1]);
    }
    return words;
}

std::array<std::uint8_t, kTextBytes> UnpackTextBytes(const DataWords& words) {
    std::array<std::uint8_t, kTextBytes> area{};
    for (std::size_t k = 0; k < words.size(); ++k) {
        area[2 * k] = static_cast<std::uint8_t>(words[k] & 0xFF);
        area[2 * k + 1] = static_cast<std::uint8_t>(words[k] >> 8);
    }
    return area;
}

}  // namespace ketrel::iot
