#include "editors/code_format.h"

#include <QComboBox>
#include <cstdlib>

namespace ketrel {

bool IsValidCodeText(const QString& text) {
    const QString code = text.trimmed();
    if (code.isEmpty()) return true;
    for (qsizetype p = 0; p < code.size(); ++p) {
        const bool separator = (p + 1) % 3 == 0;
        if ((code[p] == u' ') != separator) return false;
    }
    // A last group of one character ("A5 1") is not a byte.
    return code.size() % 3 == 2;
}

bool SelectEntryBeginningWith(QComboBox* combo, const QString& prefix) {
    if (prefix.isEmpty()) return false;
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(prefix, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

int LeadingInt(const QString& text) { return std::atoi(text.toUtf8().constData()); }

}  // namespace ketrel
