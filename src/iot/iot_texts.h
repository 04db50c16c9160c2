#pragma once

// The texts of the gateway and smart socket dialogs.
namespace ketrel::texts {

// Sending and waiting.
inline constexpr const char* kIoTSendFailed = "发送指令错误!";
inline constexpr const char* kIoTTimeout = "超时,请检连接状态!";

// Gateway.
inline constexpr const char* kGatewayWriteFailed = "写入失败!";
inline constexpr const char* kGatewayWritten = "写入成功，3秒后自动重启网关!";
// A name or password that does not fit the 16 bytes the gateway keeps. %s: 名称 or 密码,
// %d: the bytes the text takes.
inline constexpr const char* kGatewayTextTooLong = "%s占%d个字节，超过了16个字节，未写入!";
inline constexpr const char* kGatewayTextNotConvertible = "%s含有无法转换的字符，未写入!";
inline constexpr const char* kGatewayName = "名称";
inline constexpr const char* kGatewayPassword = "密码";

// Smart socket: the infrared and air-conditioner settings.
inline constexpr const char* kSocketSetFailed = "设置失败!";
inline constexpr const char* kSocketSetDone = "设置成功!";
inline constexpr const char* kAirConSent = "指令ID:%d,空调指令发送成功!";

// Smart socket: NEC learning. %d: the group as the list shows it, from 1.
inline constexpr const char* kNecLearned = "第%d组NEC红外码学习成功!";
inline constexpr const char* kNecRead = "第%d组NEC红外码读取成功!";
inline constexpr const char* kNecSent = "第%d组NEC红外码发送成功!";
inline constexpr const char* kNecLearnTimeout = "第%d组NEC红外码学习超时,请检连接状态!";
inline constexpr const char* kNecReadTimeout = "第%d组NEC红外码读取超时,请检连接状态!";
inline constexpr const char* kNecWrongId = "接收数据ID错误!";
inline constexpr const char* kNecWidths = "启始位有载波宽度:%dms,无载波宽度:%dms";

// Smart socket: factory calibration.
inline constexpr const char* kPowerCalSent = "功率校准指令发送成功!";
inline constexpr const char* kPowerCalTimeout = "功率校准指令发送超时,请检连接状态!";
inline constexpr const char* kPowerCalFailed = "功率校准指令发送失败!";
inline constexpr const char* kEnergyCalSent = "能耗校准指令发送成功,请等待360秒完成校准!";
inline constexpr const char* kEnergyZeroSent = "能耗清零指令发送成功!";
inline constexpr const char* kEnergyZeroTimeout = "能耗清零指令发送超时,请检连接状态!";
inline constexpr const char* kEnergyZeroFailed = "能耗清零指令发送失败!";

// The factory password dialog.

}  // namespace ketrel::texts
