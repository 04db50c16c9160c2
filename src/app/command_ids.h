#pragma once

namespace ketrel::cmd {

// The window's commands. The numbers are the ones the unit's documentation and older
// installations know the commands by.
enum Id : int {
    ID_BUTTON_INFO = 32801,
    ID_BUTTON_WRITE_SYS = 32802,
    ID_BUTTON_WRITE_CARD = 32804,
    ID_BUTTON_PORT = 32806,
    ID_BUTTON_PORT_OPEN_CLOSE = 32807,
    ID_BUTTON_GATEWAY = 32808,
    ID_BUTTON_II_PLUG = 32809,
    ID_BUTTON_LIGHT = 32810,
    ID_BUTTON_FAN = 32811,
    ID_BUTTON_CURTAIN = 32812,
    // The configuration file, the read-back comparison and the traffic log.
    ID_BUTTON_EXPORT = 32820,
    ID_BUTTON_IMPORT = 32821,
    ID_BUTTON_COMPARE = 32822,
    ID_BUTTON_TRAFFIC_LOG = 32823,
    ID_CHECK_AUTORUN = 32773,
    ID_VIEW_STATUS_BAR = 59393,
    ID_APP_EXIT = 57665,
    ID_APP_ABOUT = 57664,
    // The 样式 menu.
    ID_VIEW_APPLOOK_OFF_2007_BLUE = 215,
    ID_VIEW_APPLOOK_OFF_2007_BLACK = 216,
    ID_VIEW_APPLOOK_OFF_2007_SILVER = 217,
    ID_VIEW_APPLOOK_OFF_2007_AQUA = 218,
    ID_VIEW_APPLOOK_WINDOWS_7 = 219,
    // The navigation bar's two buttons.
    ID_NAV_SYS_SETTING = 5101,
    ID_NAV_CARD = 5102,
    // The tray menu.
    ID_TRAY_ABOUT = 32777,
    ID_TRAY_EXIT = 32778,
    ID_TRAY_SHOW = 32779,
};

}  // namespace ketrel::cmd
