#pragma once

// The texts shown by the configuration database, the image compiler and the two transfers.
namespace ketrel::texts {

// Database: which open message a caller shows depends on the caller.
inline constexpr const char* kOpenConfigFailed = "sqlite3_open for config error!!!";
inline constexpr const char* kOpenConfigEditorFailed = "sqlite3_open for Config error!!!";
inline constexpr const char* kOpenCardFailed = "sqlite3_open for Card error!!!";

// Compiler.
inline constexpr const char* kRowCountWrong = "获取数据表格行数不正确!";
inline constexpr const char* kHexTokenTooLong = "分割十六进制数据错误!";
inline constexpr const char* kHexTooManyTokens = "分割十六进制数据超上限!";
inline constexpr const char* kLineSettingsTokenTooLong = "串口协议字符串错误!";
inline constexpr const char* kLineSettingsCount = "分割串口协议字符串超上限!";
inline constexpr const char* kAddressTokenTooLong = "IP地址字符串错误!";
inline constexpr const char* kAddressCount = "分割IP地址字符串超上限!";

// Transfers.
inline constexpr const char* kWriting = "写入";
// After the last block: the image is read back, then the unit is asked to take it into use.
inline constexpr const char* kVerifying = "校验中…";
inline constexpr const char* kAwaitingUnit = "等待单元确认…";
inline constexpr const char* kWritingPercent = "写入%d%%";
inline constexpr const char* kExtractFailed = "提取数据失败！";
inline constexpr const char* kWriteConfigFailed1 = "写配置失败1！";
inline constexpr const char* kWriteConfigFailed2 = "写配置失败2！";
inline constexpr const char* kWriteConfigFailed3 = "写配置失败3！";
inline constexpr const char* kWriteCardFailed1 = "写卡失败1！";
inline constexpr const char* kWriteCardFailed2 = "写卡失败2！";
inline constexpr const char* kWriteCardFailed3 = "写卡失败3！";
inline constexpr const char* kReadFailed = "读取失败！";
inline constexpr const char* kReadIncomplete = "读取数据不完整！";
inline constexpr const char* kVerifyFailed = "校验出错，请重新写入！";
inline constexpr const char* kReplyTimeout = "应答超时！";
// Every block was taken, but the unit never answered "Complete": nothing was read back.
inline constexpr const char* kNoCompletion = "单元没有确认传输结束，请重新写入！";
inline constexpr const char* kWriteConfigDone = "写配置成功，校验成功！";
inline constexpr const char* kWriteCardsDone = "写卡成功，校验成功！";
// The second line under a failed transfer's message: what happened and what to check.
inline constexpr const char* kWhyNoOk =
    "单元没有应答写入请求（应答“OK”）。请检查连接线、端口和单元电源。";
inline constexpr const char* kWhyShortWrite =
    "第 %d 块（共 8 块）没有完整发出：串口写入失败。请检查串口适配器和连接线。";
inline constexpr const char* kWhyBadStatus =
    "单元拒绝或没有确认第 %d 块（共 8 块）。请检查连接线和单元电源，然后重新写入。";
inline constexpr const char* kWhyReadFailed =
    "写入后读回数据时单元没有应答。请检查连接线，然后重新写入。";
inline constexpr const char* kWhyReadIncomplete =
    "读回的数据不足 2048 字节，可能是线路受到干扰。请检查连接线，然后重新写入。";
inline constexpr const char* kWhyVerifyFailed = "读回的数据与写入的不一致，可能是线路受到干扰。";
inline constexpr const char* kWhyReplyTimeout =
    "单元没有确认启用新配置（应答“OK”）。请检查单元电源，然后重新写入。";
inline constexpr const char* kTooManyCards = "IC卡数量超出最大上限300张，无法写入!";

}  // namespace ketrel::texts
