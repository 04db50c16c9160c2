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

// The transfers' command lines: the unit answers them on the line itself (an "OK", a status
// after each block, the 2048-byte image), with the receive thread paused.
inline constexpr const char* kWriteConfig = "WriteConfig\r\n";
inline constexpr const char* kReadConfig = "ReadConfig\r\n";
inline constexpr const char* kInitConfig = "InitConfig\r\n";
inline constexpr const char* kWriteCard = "WriteCard\r\n";
inline constexpr const char* kReadCard = "ReadCard\r\n";
// The card authorisation lines, which the unit does not answer.
inline constexpr const char* kAddAuthor = "AddAuthor\r\n";
inline constexpr const char* kDelAuthor = "DelAuthor\r\n";
inline constexpr const char* kExitAuthor = "ExitAuthor\r\n";

// The unit's answers on the line: "OK" to a transfer's announcement and to InitConfig, and the
// status after each block.
inline constexpr const char* kReplyOk = "OK\r\n";
inline constexpr const char* kReplyReady = "Ready\r\n";
inline constexpr const char* kReplyComplete = "Complete\r\n";
inline constexpr const char* kReplyError = "Error\r\n";

// The heads of the lines the unit relays to the IoT gateway and the smart socket, and of their
// reply ("IoTAckData:f0,f1,...").
inline constexpr std::string_view kIoTSetData = "IoTSetData:";
inline constexpr std::string_view kIoTSetCmd = "IoTSetCmd:0,";
inline constexpr std::string_view kIoTAckData = "IoTAckData";

}  // namespace ketrel::frame
