#pragma once

#include <string_view>

// The two rules a send code's text is held to. They differ on purpose: the code editor takes
// what a user types or pastes and only needs it to be in byte-sized groups (the compiler reads
// each group as hexadecimal, a stray character as 0); a configuration file comes from outside
// and is refused unless every group is a byte the unit can be sent.
namespace ketrel {

// The editor's rule, for a text already trimmed of white space at either end: empty, or groups
// of any two characters separated by single spaces ("A5 01", also "G5 ZZ"). No limit on the
// number of groups: the compiler keeps the first 32.
bool IsPairedCodeText(std::u16string_view text);

// The file's rule: empty, or one to 32 two-digit hexadecimal bytes separated by single spaces,
// with nothing before, between or after ("A5 01 0F").
bool IsHexByteCodeText(std::string_view text);

}  // namespace ketrel
