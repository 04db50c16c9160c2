#pragma once

// Every statement the program runs against the configuration database, as formats for
// ConfigDb::fetch and ConfigDb::execute. The table named beside each is the one its failure
// message names.
namespace ketrel::sql {

// SystemConfig (GetConfigValue, SetConfigValue, the compiler).
inline constexpr const char* kSelectConfigValue = "select * from SystemConfig where Name = '%s'";
inline constexpr const char* kUpdateConfigValue =
    "update SystemConfig set Value = '%s' where Name = '%s'";
inline constexpr const char* kSelectSystemConfig = "select * from SystemConfig";

// Whole tables (the compiler, the settings page, the key list, the card page).
inline constexpr const char* kSelectSPChannel = "select * from SPChannel";
inline constexpr const char* kSelectIRChannel = "select * from IRChannel";
inline constexpr const char* kSelectSPTxCode = "select * from SPTxCode";
inline constexpr const char* kSelectIRTxCode = "select * from IRTxCode";
inline constexpr const char* kSelectKeyCode = "select * from KeyCode";
inline constexpr const char* kSelectCard = "select * from Card";

// Serial channel editor and projector import.
inline constexpr const char* kSelectSPChannelByNumber =
    "select * from SPChannel where SPNumber = %d";
inline constexpr const char* kSelectSPTxCodeByChannel =
    "select * from SPTxCode where SPNumber = %d";
inline constexpr const char* kUpdateSPChannel =
    "update SPChannel set Protocol = '%s',Model = '%s' where SPNumber = %d";
inline constexpr const char* kUpdateSPTxCodeById = "update SPTxCode set Code = '%s' where ID = %d";
inline constexpr const char* kSelectSPTxCodeByName =
    "select * from SPTxCode where CodeName = '%s' and SPNumber = %d";
inline constexpr const char* kUpdateSPTxCodeByName =
    "update SPTxCode set Code = '%s' where SPNumber = %d and CodeName = '%s'";

// Infrared channel editor.
inline constexpr const char* kSelectIRChannelByNumber =
    "select * from IRChannel where IRNumber = %d";
inline constexpr const char* kSelectIRTxCodeByChannel =
    "select * from IRTxCode where IRNumber = %d";
inline constexpr const char* kUpdateIRChannel =
    "update IRChannel set Protocol = '%s',Model = '%s' where IRNumber = %d";
inline constexpr const char* kUpdateIRTxCodeById = "update IRTxCode set Code = '%s' where ID = %d";

// Key definitions.
inline constexpr const char* kSelectKeyCodeById = "select * from KeyCode where id = %d";
inline constexpr const char* kUpdateKeyCode =
    "update KeyCode set Code1 = '%s',Code2 = '%s',Code3 = '%s',Code4 = '%s',Code5 = '%s' where "
    "Id = %d";

// Card page.
inline constexpr const char* kSelectCardById = "select * from Card where ID = '%s'";
inline constexpr const char* kInsertCard = "insert into Card(ID,Enter,Leave) values('%s',%d,%d)";
inline constexpr const char* kUpdateCard = "update Card set Enter = %d, Leave = %d where ID = '%s'";
inline constexpr const char* kDeleteCard = "delete from Card where ID = '%s'";
inline constexpr const char* kDeleteAllCards = "delete from Card";

// Table names for the failure messages.
inline constexpr const char* kSystemConfig = "SystemConfig";
inline constexpr const char* kSPChannel = "SPChannel";
inline constexpr const char* kSPTxCode = "SPTxCode";
inline constexpr const char* kIRChannel = "IRChannel";
inline constexpr const char* kIRTxCode = "IRTxCode";
inline constexpr const char* kKeyCode = "KeyCode";
inline constexpr const char* kCard = "Card";

}  // namespace ketrel::sql
