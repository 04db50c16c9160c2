#pragma once

#include <array>
#include <string>

namespace ketrel {

// What the unit does when a card is inserted or removed. The database stores the index; lists
// and drop-downs show the text.
inline constexpr std::array<const char*, 10> kCardActions{
    "无操作",   "系统开",        "系统关", "系统开/关", "面板解锁",
    "面板锁定", "面板解锁/锁定", "门锁开", "门锁关",    "门锁开/关"};

// The text of a stored action; empty for a value the unit does not know.
inline std::string CardActionText(int index) {
    return index >= 0 && index < static_cast<int>(kCardActions.size()) ? kCardActions[index]
                                                                       : std::string();
}

}  // namespace ketrel
