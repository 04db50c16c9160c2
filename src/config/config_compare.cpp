#include "config/config_compare.h"

#include <cstdio>
#include <cstring>

#include "common/card_actions.h"
#include "common/format.h"
#include "common/texts.h"
#include "config/config_file_texts.h"
#include "config/config_statements.h"
#include "config/config_texts.h"
#include "config/image_layout.h"
#include "config/key_code.h"
#include "config/system_settings.h"
#include "link/frame.h"
#include "link/serial_link.h"

namespace ketrel {

namespace {

// How the key editor names a code group's two digits.

std::string HexBytes(const std::uint8_t* data, std::size_t len) {
    std::string out;
    for (std::size_t i = 0; i < len; ++i) {
        char b[4];
        std::snprintf(b, sizeof b, i ? " %02X" : "%02X", data[i]);
        out += b;
    }
    return out;
}

std::uint32_t Get16(const ConfigImage& image, std::size_t offset) {
    return static_cast<std::uint32_t>(image[offset]) | static_cast<std::uint32_t>(image[offset + 1])
                                                           << 8;
}

std::uint32_t Get32(const ConfigImage& image, std::size_t offset) {
    return Get16(image, offset) | Get16(image, offset + 2) << 16;
}

// A send code as the editor writes it, from its slot and length byte.
std::string CodeText(const ConfigImage& image, std::size_t slot, std::size_t lengthOffset) {
    const std::size_t length = image[lengthOffset];
    const std::size_t shown = std::min(length, layout::kCodeSlotSize);
    std::string out = length == 0 ? std::string("（空）") : HexBytes(image.data() + slot, shown);
    if (length > layout::kCodeSlotSize) out += Format("（长度 %zu 超过 32）", length);
    // Bytes after the code are zero in a compiled image; anything else is worth seeing.
    std::size_t end = layout::kCodeSlotSize;
    while (end > shown && image[slot + end - 1] == 0) --end;
    if (end > shown)
        out += "（其后还有：" + HexBytes(image.data() + slot + shown, end - shown) + "）";
    return out;
}

std::string IndexText(std::uint8_t value, const char* const* names, std::size_t count) {
    if (value < count) return names[value];
    return Format("无效值 %u", value);
}

std::string KeyGroupText(std::uint8_t value) {
    const unsigned channel = value >> 4;
    const unsigned code = value & 0x0F;
    if (channel == 0) return keycode::kChannelNames[0];
    if (channel < std::size(keycode::kChannelNames) && code < std::size(keycode::kCodeNames)) {
        return std::string(keycode::kChannelNames[channel]) + "->" + keycode::kCodeNames[code];
    }
    return Format("无效值 %02X", value);
}

std::string TextField(const ConfigImage& image, std::size_t offset) {
    const auto* begin = reinterpret_cast<const char*>(image.data() + offset);
    const std::size_t len = strnlen(begin, layout::kTextFieldSize);
    std::string text(begin, len);
    bool printable = true;
    for (const char c : text) printable = printable && static_cast<unsigned char>(c) >= 0x20;
    bool tail = false;
    for (std::size_t i = len; i < layout::kTextFieldSize; ++i) tail = tail || image[offset + i];
    if (!printable || tail) {
        return HexBytes(image.data() + offset, layout::kTextFieldSize) + "（十六进制）";
    }
    return text.empty() ? std::string("（空）") : "“" + text + "”";
}

std::string ActionSuffix(std::uint32_t value) {
    return value < kCardActions.size() ? "（" + CardActionText(static_cast<int>(value)) + "）"
                                       : std::string();
}

std::string ChannelLabel(const char* kind, int number, const std::string& name,
                         const std::string& model) {
    std::string inside = name;
    if (!model.empty()) inside += (inside.empty() ? "" : "，") + model;
    std::string label = number > 0 ? Format("%s %d", kind, number) : std::string(kind);
    return inside.empty() ? label : label + "（" + inside + "）";
}

// A label and what follows it: no space after a closing bracket, as Chinese text is written.
std::string Join(const std::string& head, const std::string& tail) {
    static const std::string kClose = "）";
    static const std::string kCloseQuote = "」";
    const bool closed = head.ends_with(kClose) || head.ends_with(kCloseQuote);
    return closed ? head + tail : head + " " + tail;
}

class FieldList {
  public:
    explicit FieldList(const ConfigImage& image) : image_(image) {}

    void add(std::string label, std::vector<std::pair<std::size_t, std::size_t>> ranges,
             std::string value) {
        fields_.push_back({std::move(label), std::move(ranges), std::move(value)});
    }
    void add(std::string label, std::size_t offset, std::size_t size, std::string value) {
        add(std::move(label), {{offset, size}}, std::move(value));
    }
    // A run of bytes the unit does not read: shown only by what is not zero in it.
    void reserved(std::size_t offset, std::size_t size) {
        std::string value = "全为 0";
        for (std::size_t i = 0; i < size; ++i) {
            if (image_[offset + i]) {
                value = "非零字节：";
                for (std::size_t k = 0; k < size; ++k) {
                    if (image_[offset + k])
                        value += Format(" %zu=%02X", offset + k, image_[offset + k]);
                }
                break;
            }
        }
        add(Format("保留区（第 %zu 至 %zu 字节，应全为 0）", offset, offset + size - 1), offset,
            size, value);
    }
    std::vector<DecodedField> take() { return std::move(fields_); }

  private:
    const ConfigImage& image_;
    std::vector<DecodedField> fields_;
};

}  // namespace

ImageLabels DefaultImageLabels() {
    ImageLabels labels;
    for (int c = 1; c <= layout::kSerialChannelCount; ++c) {
        labels.serialChannel[c - 1] = ChannelLabel("串口通道", c, "", "");
        for (int n = 1; n <= layout::kCodesPerChannel; ++n) {
            labels.serialCode[c - 1][n - 1] = keycode::kCodeNames[n - 1];
        }
    }
    labels.infraredChannel = "红外通道";
    for (int n = 1; n <= layout::kInfraredCodeCount; ++n) {
        labels.infraredCode[n - 1] = keycode::kCodeNames[n - 1];
    }
    return labels;
}

ImageLabels LoadImageLabels(const ConfigDb& db) {
    ImageLabels labels = DefaultImageLabels();
    auto cell = [](const SqlRow& row, std::size_t c) {
        return c < row.size() ? row[c] : std::string();
    };
    if (auto rows = db.fetch(sql::kSelectSPChannel, sql::kSPChannel)) {
        for (std::size_t c = 0; c < rows->size() && c < 4; ++c) {
            labels.serialChannel[c] = ChannelLabel("串口通道", static_cast<int>(c) + 1,
                                                   cell((*rows)[c], 1), cell((*rows)[c], 3));
        }
    }
    if (auto rows = db.fetch(sql::kSelectSPTxCode, sql::kSPTxCode)) {
        for (std::size_t r = 0; r < rows->size() && r < 40; ++r) {
            labels.serialCode[r / 10][r % 10] = cell((*rows)[r], 2);
        }
    }
    if (auto rows = db.fetch(sql::kSelectIRChannel, sql::kIRChannel); rows && !rows->empty()) {
        labels.infraredChannel =
            ChannelLabel("红外通道", 0, cell((*rows)[0], 1), cell((*rows)[0], 3));
    }
    if (auto rows = db.fetch(sql::kSelectIRTxCode, sql::kIRTxCode)) {
        for (std::size_t r = 0; r < rows->size() && r < 10; ++r) {
            labels.infraredCode[r] = cell((*rows)[r], 2);
        }
    }
    if (auto rows = db.fetch(sql::kSelectKeyCode, sql::kKeyCode)) {
        for (std::size_t r = 0; r < rows->size() && r < 9; ++r)
            labels.keyName[r] = cell((*rows)[r], 1);
    }
    if (auto rows = db.fetch(sql::kSelectSystemConfig, sql::kSystemConfig)) {
        for (std::size_t r = 0; r < rows->size() && r < 35; ++r) {
            labels.systemName[r] = cell((*rows)[r], 1);
        }
    }
    return labels;
}

std::vector<DecodedField> DecodeConfigImage(const ConfigImage& image, const ImageLabels& labels) {
    FieldList fields(image);
    auto codeLabel = [](const std::string& channel, int n, const std::string& name) {
        std::string label = Join(channel, Format("发码 %d", n));
        return name.empty() ? label : label + "「" + name + "」";
    };

    for (int c = 1; c <= layout::kSerialChannelCount; ++c) {
        const std::string& channel = labels.serialChannel[c - 1];
        for (int n = 1; n <= layout::kCodesPerChannel; ++n) {
            const std::size_t slot = layout::SerialCodeOffset(c, n);
            const std::size_t length = layout::SerialLengthOffset(c, n);
            fields.add(codeLabel(channel, n, labels.serialCode[c - 1][n - 1]),
                       {{slot, layout::kCodeSlotSize}, {length, 1}}, CodeText(image, slot, length));
        }
        const std::size_t settings = layout::SerialSettingsOffset(c);
        fields.add(Join(channel, "波特率"), settings, 1,
                   IndexText(image[settings], layout::kBaudRates, std::size(layout::kBaudRates)));
        fields.add(Join(channel, "校验位"), settings + 1, 1,
                   IndexText(image[settings + 1], layout::kParities, std::size(layout::kParities)));
        fields.add(Join(channel, "数据位"), settings + 2, 1, std::to_string(image[settings + 2]));
        fields.add(Join(channel, "停止位"), settings + 3, 1, std::to_string(image[settings + 3]));
    }

    for (int n = 1; n <= layout::kInfraredCodeCount; ++n) {
        const std::size_t slot = layout::InfraredCodeOffset(n);
        const std::size_t length = layout::InfraredLengthOffset(n);
        fields.add(codeLabel(labels.infraredChannel, n, labels.infraredCode[n - 1]),
                   {{slot, layout::kCodeSlotSize}, {length, 1}}, CodeText(image, slot, length));
    }
    fields.add(Join(labels.infraredChannel, "红外协议"), layout::kInfraredProtocolOffset, 1,
               IndexText(image[layout::kInfraredProtocolOffset], layout::kInfraredProtocols,
                         std::size(layout::kInfraredProtocols)));

    for (int k = 1; k <= layout::kKeyCount; ++k) {
        std::string key = Format("按键 %d", k);
        if (!labels.keyName[k - 1].empty()) key += "「" + labels.keyName[k - 1] + "」";
        for (int g = 1; g <= layout::kGroupsPerKey; ++g) {
            const std::size_t offset = layout::KeyGroupOffset(k, g);
            fields.add(Join(key, Format("第%d组控制码", g)), offset, 1,
                       KeyGroupText(image[offset]));
        }
    }

    for (const SystemSetting& field : kSystemSettings) {
        if (field.offset == kStaysOnPc) continue;
        const std::string& name = labels.systemName[field.position - 1];
        // The caption of the setting the row holds, wherever the database put it.
        const SystemSetting* named = FindSystemSetting(name);
        const char* caption = named ? named->caption : nullptr;
        std::string label = "系统设置";
        if (caption) {
            label += std::string("「") + caption + "」(" + name + ")";
        } else if (!name.empty()) {
            label += " " + name;
        }
        label = Join(label, Format("第 %d 项", field.position));
        std::string value;
        std::size_t size = 1;
        switch (field.kind) {
            case layout::FieldKind::Word32:
                size = 4;
                value = std::to_string(Get32(image, field.offset));
                break;
            case layout::FieldKind::Word16:
                size = 2;
                value = std::to_string(Get16(image, field.offset));
                break;
            case layout::FieldKind::Byte:
                value = std::to_string(image[field.offset]);
                if (named && named->rule == SettingRule::Action)
                    value += ActionSuffix(image[field.offset]);
                break;
            case layout::FieldKind::Text16:
                size = layout::kTextFieldSize;
                value = TextField(image, field.offset);
                break;
            case layout::FieldKind::IPv4:
                size = 4;
                value = Format("%u.%u.%u.%u", image[field.offset], image[field.offset + 1],
                               image[field.offset + 2], image[field.offset + 3]);
                break;
        }
        fields.add(label, field.offset, size, value);
    }
    fields.reserved(layout::kFuncFlagOffset + 4, 4);
    fields.reserved(layout::kSystemConfigEnd, layout::kImageSize - layout::kSystemConfigEnd);
    return fields.take();
}

std::string ImageDifference::Describe() const {
    return label + "：单元中为 " + unitValue + "，数据库中为 " + configValue;
}

ImageDifferences CompareConfigImages(const ConfigImage& unit, const ConfigImage& config,
                                     const ImageLabels& labels) {
    const std::vector<DecodedField> unitFields = DecodeConfigImage(unit, labels);
    const std::vector<DecodedField> configFields = DecodeConfigImage(config, labels);
    ImageDifferences out;
    for (std::size_t i = 0; i < unitFields.size() && i < configFields.size(); ++i) {
        const DecodedField& field = configFields[i];
        bool differs = false;
        for (const auto& [offset, size] : field.ranges) {
            differs =
                differs || std::memcmp(unit.data() + offset, config.data() + offset, size) != 0;
        }
        if (!differs) continue;
        std::string unitValue = unitFields[i].value;
        std::string configValue = field.value;
        // Bytes that differ but read the same (a slot's unused tail, say) are shown raw.
        if (unitValue == configValue) {
            unitValue.clear();
            configValue.clear();
            for (const auto& [offset, size] : field.ranges) {
                unitValue +=
                    (unitValue.empty() ? "" : " | ") + HexBytes(unit.data() + offset, size);
                configValue +=
                    (configValue.empty() ? "" : " | ") + HexBytes(config.data() + offset, size);
            }
        }
        out.push_back({field.label, field.ranges.front().first, std::move(unitValue),
                       std::move(configValue)});
    }
    return out;
}

CompareResult CompareWithUnit(SerialLink& link, const std::string& databasePath,
                              Notifier& notifier) {
    CompareResult result;
    if (!link.RequirePort()) return result;
    const ConfigDb db(databasePath, notifier);
    ConfigImage expected{};
    if (!CompileConfigImage(db, expected)) {
        notifier.show(texts::kExtractFailed, texts::kCaptionNotice, MessageIcon::Error);
        return result;
    }
    const ImageLabels labels = LoadImageLabels(db);

    ConfigImage unit{};
    std::size_t count = 0;
    bool read = false;
    int leftOver = 0;
    {
        // The image comes back as raw bytes, which the receive thread must not take for frames.
        SerialLink::Exchange exchange(link);
        if (!link.SendCommand(frame::kReadConfig)) return result;
        read = link.ReadBlock(unit.data(), count);
        if (!read || count != unit.size()) {
            leftOver = link.CommHandle().queuedInput();
            link.CommHandle().purge();
        }
    }
    if (!read || count != unit.size()) {
        notifier.show(
            leftOver > 0 || count > 0 ? texts::kCompareBadAnswer : texts::kCompareNoAnswer,
            texts::kCaptionNotice, MessageIcon::Error);
        return result;
    }
    result.differences = CompareConfigImages(unit, expected, labels);
    result.outcome = result.differences.empty() ? CompareOutcome::Equal : CompareOutcome::Different;
    return result;
}

}  // namespace ketrel
