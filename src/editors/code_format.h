#pragma once

#include <QString>

class QComboBox;

namespace ketrel {

// A send code as typed: two-character groups separated by single spaces, white space at either
// end ignored; the empty text is valid (no code). Only the shape is checked: pasted text may
// hold characters that are not hexadecimal digits, and the image compiler reads each group as
// hexadecimal.
bool IsValidCodeText(const QString& text);

// Selects the first entry that begins with prefix, ignoring case. An empty prefix or no match
// leaves the selection as it is. True when an entry was selected.
bool SelectEntryBeginningWith(QComboBox* combo, const QString& prefix);

// A whole number written at the start of a text (leading blanks and a sign allowed), 0 when
// there is none, as list cells and database texts are read.
int LeadingInt(const QString& text);

}  // namespace ketrel
