#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/notifier.h"

namespace ketrel {

// One of a key's five control code groups: an output channel (0 none, 1..4 the serial ports,
// 5 the infrared output) and one of that channel's ten send codes. Stored as two hexadecimal
// digits, the channel first.
struct KeyCodeGroup {
    std::uint16_t channel = 0;
    std::uint16_t code = 0;
};

namespace keycode {

inline constexpr int kGroupCount = 5;
inline constexpr const char* kChannelNames[] = {"无", "串口1", "串口2", "串口3", "串口4", "红外1"};
inline constexpr const char* kCodeNames[] = {"PowerOn",  "PowerOff", "VGA",     "Video",
                                             "HDMI1",    "HDMI2",    "BlankOn", "BlankOff",
                                             "FreezeOn", "FreezeOff"};

// The stored text read as the image compiler reads it: a hexadecimal number whose low byte
// holds the two digits.
KeyCodeGroup Decode(std::string_view text);
std::string Encode(KeyCodeGroup group);
// What the key list shows: "无" for no channel, else "串口1->PowerOn". A digit beyond the name
// tables (never written by the editor, but possible in a file edited elsewhere) is shown as
// that hexadecimal digit, for example "串口1->C".
std::string DisplayText(KeyCodeGroup group);

}  // namespace keycode

using KeyCodeGroups = std::array<KeyCodeGroup, keycode::kGroupCount>;

// One panel key as stored: its number, its name and its five groups.
struct KeyCodeRow {
    int id = 0;
    std::string name;
    KeyCodeGroups groups;
};

// The KeyCode table of the configuration database. Reads are quiet; a write shows the editors'
// failure messages. A row without its five code columns is not a key.
class KeyCodeStore {
  public:
    KeyCodeStore(std::string databasePath, Notifier& notifier)
        : path_(std::move(databasePath)), notifier_(notifier) {}

    // Every key in table order.
    std::optional<std::vector<KeyCodeRow>> LoadKeys() const;
    // The one key of that number; nothing when there is not exactly one.
    std::optional<KeyCodeRow> LoadKey(int id) const;
    bool SaveGroups(int id, const KeyCodeGroups& groups) const;

  private:
    std::string path_;
    Notifier& notifier_;
};

}  // namespace ketrel
