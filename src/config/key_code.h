#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace ketrel
