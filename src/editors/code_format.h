#pragma once

#include <QString>

class QComboBox;

namespace ketrel {

// A send code as typed, white space at either end ignored, by the editor's rule
// (IsPairedCodeText in config/send_code_rules.h).
bool IsValidCodeText(const QString& text);

// Selects the first entry that begins with prefix, ignoring case. An empty prefix or no match
// leaves the selection as it is. True when an entry was selected.
bool SelectEntryBeginningWith(QComboBox* combo, const QString& prefix);

}  // namespace ketrel
