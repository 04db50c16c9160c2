#pragma once

// The program's own user-visible texts that more than one area shows.
namespace ketrel::texts {

inline constexpr const char* kCaptionError = "错误";
inline constexpr const char* kCaptionNotice = "提示";

inline constexpr const char* kPortInvalid = "串口无效，请检查电脑串口是否正常！";
inline constexpr const char* kWriteFailed = "写入数据失败!";
inline constexpr const char* kPortOpenFailed = "端口无效或者被占用,请检查COM端口!";
inline constexpr const char* kPortPaneFailed = "端口无效或者被占用!!!";
inline constexpr const char* kPortPaneClosed = "已关闭";
inline constexpr const char* kReceiveThreadFailed = "创建串口接收线程失败!";
inline constexpr const char* kInfoNoAnswer =
    "单元没有应答：没有收到任何信息行。请检查连接线、端口和单元电源。";
inline constexpr const char* kInfoAnswered = "单元已应答";
// Notes that a card line went to the unit (it does not answer them).
inline constexpr const char* kSentAddAuthor = "已向单元发送：添加通卡";
inline constexpr const char* kSentDelAuthor = "已向单元发送：删除通卡";
inline constexpr const char* kSentExitAuthor = "已向单元发送：退出授权模式";
inline constexpr const char* kPasswordEmpty = "密码不能为空!";
inline constexpr const char* kPasswordWrong = "密码错误,请重新输入!";

}  // namespace ketrel::texts

// The second line under a failed open, so a Linux user knows what to do about it.
namespace ketrel::texts {
inline constexpr const char* kPortHintNotFound = "该端口不存在";
inline constexpr const char* kPortHintPermission =
    "没有权限打开该端口（请把用户加入 dialout 组，然后重新登录）";
inline constexpr const char* kPortHintInUse = "该端口正被其他程序使用";
inline constexpr const char* kPortHintNotSerial = "该名称不是串口设备";
}  // namespace ketrel::texts
