#pragma once

#include <string>
#include <string_view>

namespace ketrel {

// White space as the Windows trimming functions know it: space, tab, CR, LF, VT, FF.
std::string Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWith(std::string_view text, std::string_view prefix);

// The text as valid UTF-8: bytes that do not form UTF-8 become U+FFFD, so nothing the unit sends
// can reach a control or a file as broken text.
std::string SanitizeUtf8(std::string_view bytes);

// The text as it may be printed on a terminal: valid UTF-8, with every control character
// written out (\n, \r, \t, \x1b, \u009b), so text from the unit cannot forge a line or send
// the terminal an escape sequence. Line breaks stay when keepLineBreaks (a message of several
// lines of the program's own).
std::string TerminalText(std::string_view bytes, bool keepLineBreaks = false);

}  // namespace ketrel
