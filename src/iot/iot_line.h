#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The lines the gateway and the smart socket understand, relayed by the unit. They carry no
// line ending: the unit passes on what arrives and the other end ends a line by a pause.
namespace ketrel::iot {

using Word = std::uint16_t;
using DataWords = std::array<Word, 8>;

// "IoTSetData" command IDs.
inline constexpr int kIdSocketSettings = 0;
inline constexpr int kIdWifiName = 250;
inline constexpr int kIdWifiPassword = 251;
inline constexpr int kIdGatewayDefaults = 252;

// "IoTSetCmd" codes; the first number of the line is always 0.
inline constexpr int kCmdAirConOn = 0;
inline constexpr int kCmdAirConOff = 1;
inline constexpr int kCmdModeAuto = 3;
inline constexpr int kCmdModeCool = 4;
inline constexpr int kCmdModeDry = 5;
inline constexpr int kCmdModeFan = 6;
inline constexpr int kCmdModeHeat = 7;
inline constexpr int kCmdTemperatureBase = 8;  // + step 0..14
inline constexpr int kCmdSwing = 23;
inline constexpr int kCmdFanSpeedBase = 24;  // + step 0..5
inline constexpr int kCmdLearnBase = 32;     // + group 0..31
inline constexpr int kCmdReadBase = 64;
inline constexpr int kCmdTestBase = 96;
inline constexpr int kCmdPowerCalibration = 128;
inline constexpr int kCmdEnergyCalibration = 129;
inline constexpr int kCmdEnergyZeroing = 130;

inline constexpr int kGroupCount = 32;
inline constexpr int kTemperatureSteps = 15;  // 0..14
inline constexpr int kFanSpeedSteps = 6;      // 0..5

// The last number of an "IoTSetData" line and of a data reply: the count of data words.
inline constexpr Word kDataWordCount = 8;

// Reply shapes and how long each is awaited, in 1 ms polls.
inline constexpr std::size_t kStatusFields = 3;
inline constexpr std::size_t kDataFields = 10;
inline constexpr int kStatusPolls = 300;
inline constexpr int kDataPolls = 500;

// The gateway keeps a name or a password as 16 bytes.
inline constexpr std::size_t kTextBytes = 16;

// "IoTSetData:%d,%d,%d,%d,%d,%d,%d,%d,%d,8": all eight data words.
std::string FormatSetData(int id, const DataWords& words);
// "IoTSetData:%d,%d,%d,%d,%d,%d,0,0,0,8": five data words, then three zeros.
std::string FormatSetDataFive(int id, Word w1, Word w2, Word w3, Word w4, Word w5);
// "IoTSetData:%d,0,0,0,0,0,0,0,0,8": no data.
std::string FormatSetDataEmpty(int id);
// "IoTSetCmd:0,%d".
std::string FormatSetCmd(int code);

// Two bytes to a word, the first of each pair the low byte; bytes past the text are 0.
// Only the first 16 bytes are taken.
DataWords PackTextBytes(std::string_view bytes);
// The reverse, for the other end of the line: 16 bytes.
std::array<std::uint8_t, kTextBytes> UnpackTextBytes(const DataWords& words);

}  // namespace ketrel::iot
