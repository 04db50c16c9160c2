#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ketrel::frame {

// A frame from the unit: "{", 62 payload bytes (text, then zero bytes), "}"; no line ending.
inline constexpr std::size_t kFrameSize = 64;
inline constexpr std::size_t kPayloadSize = 62;
inline constexpr std::uint8_t kOpen = '{';
inline constexpr std::uint8_t kClose = '}';

// The receive ring. Frames are looked for only where they fit without crossing its end; the
// last such start is 1984, where the 32nd of a run of back-to-back frames lands.
inline constexpr std::size_t kRingSize = 2048;
inline constexpr std::size_t kLastFrameStart = kRingSize - kFrameSize;  // 1984

using Ring = std::array<std::uint8_t, kRingSize>;

// The unit's commands to the PC, in the order they are matched. A payload that begins with a
// name is that command, whatever follows the name.
enum class PcCommand {
    Shutdown,
    Restart,
    PageUp,
    PageDown,
    Space,
    PlayPause,
    Stop,
    OpenCamera,
    Resolution960,
    Resolution1920,
};

struct CommandName {
    std::string_view name;
    PcCommand command;
};

inline constexpr std::array<CommandName, 10> kCommands{{
    {"ComputerShutdown", PcCommand::Shutdown},
    {"ComputerRestart", PcCommand::Restart},
    {"ComputerPageUp", PcCommand::PageUp},
    {"ComputerPageDown", PcCommand::PageDown},
    {"ComputerSpace", PcCommand::Space},
    {"ComputerPlayPause", PcCommand::PlayPause},
    {"ComputerStop", PcCommand::Stop},
    {"ComputerOpenCamera", PcCommand::OpenCamera},
    {"ChangeResolution960_720", PcCommand::Resolution960},
    {"ChangeResolution1920_720", PcCommand::Resolution1920},
}};

// Command lines the PC sends that are answered, if at all, by frames.
inline constexpr std::string_view kGetInfo = "GetInfo\r\n";

}  // namespace ketrel::frame
