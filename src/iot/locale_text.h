#pragma once

#include <string>
#include <string_view>

namespace ketrel::iot {

// The bytes a text takes in the user's character set, the one the gateway is set up with. A
// plain "C" locale counts as UTF-8, as the desktop does. False when a character has no
// encoding there (or the character set is unknown); out is then unspecified.
bool ToLocaleBytes(std::string_view utf8, std::string& out);
// The same for a character set given by its iconv name.
bool ToCharsetBytes(std::string_view utf8, const char* charset, std::string& out);

}  // namespace ketrel::iot
