#include "editors/code_format.h"

#include <QComboBox>

#include "config/send_code_rules.h"

namespace ketrel {

bool IsValidCodeText(const QString& text) {
    const QString code = text.trimmed();
    return IsPairedCodeText(std::u16string_view(reinterpret_cast<const char16_t*>(code.utf16()),
                                                static_cast<std::size_t>(code.size())));
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

}  // namespace ketrel
