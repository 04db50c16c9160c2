#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/notifier.h"
#include "config/config_db.h"
#include "config/config_image.h"

namespace ketrel {

class SerialLink;

// The names the database gives to what the image holds, so a field can be named as the user
// knows it: "串口通道 1（串口1，投影机）发码 3「VGA」" rather than "bytes 64..95".
struct ImageLabels {
    std::string serialChannel[4];  // "串口通道 1（串口1，投影机）"
    std::string serialCode[4][10];
    std::string infraredChannel;  // "红外通道（红外1，投影机）"
    std::string infraredCode[10];
    std::string keyName[9];
    std::string systemName[35];  // the Name of each SystemConfig row, by position
};

// Labels from the database; positions a table does not fill get plain numbered labels.
ImageLabels LoadImageLabels(const ConfigDb& db);
// Plain numbered labels only.
ImageLabels DefaultImageLabels();

// One field of the image, decoded: what it is, where it lies and its value in the user's terms.
struct DecodedField {
    std::string label;
    std::vector<std::pair<std::size_t, std::size_t>> ranges;  // (offset, size) in the image
    std::string value;
};

// The inverse of the compiler: every byte of the image belongs to exactly one field (the reserved
// areas are fields too), in image order. The same labels give the same fields in the same order
// for any image, so two decodings can be compared field by field.
std::vector<DecodedField> DecodeConfigImage(const ConfigImage& image, const ImageLabels& labels);

struct ImageDifference {
    std::string label;
    std::size_t offset = 0;  // the field's first byte
    std::string unitValue;
    std::string configValue;

    // "<label>：单元中为 X，数据库中为 Y"
    std::string Describe() const;
};
using ImageDifferences = std::vector<ImageDifference>;

// The fields whose bytes differ, in image order.
ImageDifferences CompareConfigImages(const ConfigImage& unit, const ConfigImage& config,
                                     const ImageLabels& labels);

enum class CompareOutcome { Equal, Different, Failed };

struct CompareResult {
    CompareOutcome outcome = CompareOutcome::Failed;
    ImageDifferences differences;
};

// Reads the unit's configuration image ("ReadConfig") with the receive thread paused, and
// compares it with what the database compiles to. A port that is not open, a database that
// does not compile and a unit that does not answer are shown through the notifier; the
// differences are the caller's to present.
CompareResult CompareWithUnit(SerialLink& link, const std::string& databasePath,
                              Notifier& notifier);

}  // namespace ketrel
