#pragma once

// The texts of the projector code library and its import into a serial channel.
namespace ketrel::projector::texts {

inline constexpr const char* kConnectFailed = "数据库连接失败!";
inline constexpr const char* kOpenFailed = "打开数据库失败!";
inline constexpr const char* kChooseBrandModel = "请选择投影机品牌型号!";
inline constexpr const char* kNoPowerOn = "发送代码列表中无PowerOn项,请先添加后再选择导入!";
inline constexpr const char* kNoPowerOff = "发送代码列表中无PowerOff项,请先添加后再选择导入!";
inline constexpr const char* kNoVGA = "发送代码列表中无VGA项,请先添加后再选择导入!";
inline constexpr const char* kNoVideo = "发送代码列表中无Video项,请先添加后再选择导入!";

// Captions.
inline constexpr const char* kCaptionError = "错误";
inline constexpr const char* kCaptionNotice = "提示";

// The dialog's fixed labels, for the window that shows the lists.
inline constexpr const char* kBrandColumn = "厂商品牌";
inline constexpr const char* kModelColumn = "型号";
inline constexpr const char* kCodeNameColumn = "名称";
inline constexpr const char* kCodeColumn = "控制码";

}  // namespace ketrel::projector::texts
