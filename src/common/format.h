#pragma once

#include <cstdio>
#include <string>

namespace ketrel {

// A text template (kept in a texts header) with its numbers and names filled in.
template <typename... Args>
std::string Format(const char* format, Args... args) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

inline bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

}  // namespace ketrel
