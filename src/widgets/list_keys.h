#pragma once

#include <functional>

class QAbstractItemView;

namespace ketrel {

// Makes a list that opens a row's editor on a double click usable from the keyboard: Tab and
// Shift+Tab move to the next or previous control instead of from cell to cell, and Enter,
// Return or F2 call open, whatever row is chosen (open looks for it itself, as after a double
// click). The list keeps those keys, so Enter never reaches the dialog's default button.
void OpenRowOnEnter(QAbstractItemView* list, std::function<void()> open);

}  // namespace ketrel
