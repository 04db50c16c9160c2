#pragma once

// The texts of the configuration file commands (export, import) and of the read-back comparison.
namespace ketrel::texts {

inline constexpr const char* kExportDone = "导出配置成功！";
inline constexpr const char* kExportFailed = "导出配置失败！";
inline constexpr const char* kExportHasProblems =
    "数据库中有以下内容不符合要求，导出的文件须先改正才能导入：";
inline constexpr const char* kImportDone = "导入配置成功！";
inline constexpr const char* kNotARegularFile = "不是普通文件";
// A real configuration file is some tens of kilobytes.
inline constexpr const char* kFileTooLarge = "文件太大（至多 %zu MB）";
inline constexpr const char* kIsTheDatabase = "这是正在使用的配置数据库，不能用导出的文件覆盖它";
inline constexpr const char* kImportReadFailed = "无法读取配置文件！";
inline constexpr const char* kImportRefused = "配置文件有误，数据库未作任何修改：";
inline constexpr const char* kImportFailed = "导入配置失败，数据库未作任何修改：";
// A database with triggers would run code of its own on every row written.
inline constexpr const char* kImportTriggers = "数据库中含有触发器，不能向其导入";

inline constexpr const char* kCompareEqual = "单元中的配置与数据库一致。";
inline constexpr const char* kCompareDifferent = "单元中的配置与数据库不一致，共 %zu 处：";
inline constexpr const char* kCompareNoAnswer =
    "单元没有应答：没有读回配置数据（应为 2048 字节）。请检查连接线、端口和单元电源。";
inline constexpr const char* kCompareBadAnswer =
    "单元的应答不是 2048 字节的配置数据，无法比较。请重试；仍不行时请检查连接线。";

}  // namespace ketrel::texts
