#pragma once

#include <string>

namespace ketrel {

// The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, else
// $HOME/.config. No trailing slash.
std::string UserConfigHome();

// The full path of the running executable, or empty when the system cannot tell.
std::string CurrentExecutablePath();

// Starting the program at the user's log-on is an XDG autostart entry,
// <config>/autostart/Pelmar.desktop, whose Exec= line holds the executable's path.
std::string AutoStartFilePath();

// With true, writes the entry for the executable; with false, removes it. Failures are silent:
// the check box shows the outcome through IsAutoStartSet.
void SetAutoStart(bool enable);
void SetAutoStart(bool enable, const std::string& executablePath);

// True when the entry exists, is not hidden, and its Exec value, trimmed, is the executable's
// trimmed path (case-sensitive). An entry left behind by a moved executable does not count.
bool IsAutoStartSet();
bool IsAutoStartSet(const std::string& executablePath);

// The Exec value that starts exactly this path, quoted where the desktop entry rules need it;
// empty when the path cannot be written into a desktop file at all (a line break).
std::string DesktopExecValue(const std::string& path);
// The program path an Exec value names, or empty when the value holds more than one argument
// or is malformed.
std::string DesktopExecProgram(const std::string& value);

}  // namespace ketrel
