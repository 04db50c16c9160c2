#pragma once

// The texts of the channel and send-code editors.
namespace ketrel::texts {

inline constexpr const char* kProtocolFormatWrong = "获取通信协议格式不正确!";

inline constexpr const char* kModifySerialPortTitle = "修改串口通道";
inline constexpr const char* kModifyInfraredTitle = "修改红外通道";
inline constexpr const char* kModifySPTxCodeTitle = "修改串口发送代码";
inline constexpr const char* kModifyIRTxCodeTitle = "修改红外发送代码";
inline constexpr const char* kImportProjectorTitle = "选择投影机";

inline constexpr const char* kImportButton = "从库中导入代码";
inline constexpr const char* kImportTooltip = "从投影机代码库中导入控制码";
inline constexpr const char* kOk = "确定";
inline constexpr const char* kClear = "清空";

}  // namespace ketrel::texts
