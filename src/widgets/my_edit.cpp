#include "widgets/my_edit.h"

#include <QKeyEvent>

namespace ketrel {

namespace {
constexpr char16_t kBackspace = 8;
constexpr char16_t kCtrlC = 3;
constexpr char16_t kCtrlV = 22;
constexpr char16_t kCtrlX = 24;

char16_t ControlCharOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<char16_t>(key - Qt::Key_A + 1);
    return 0;
}
}  // namespace

CMyEdit::CMyEdit(QWidget* parent) : QLineEdit(parent) {
    // An input method would commit text without a key press per character.
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

bool CMyEdit::IsAcceptedChar(char16_t c) {
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f') ||
           c == u' ' || c == kBackspace || c == kCtrlX || c == kCtrlC || c == kCtrlV;
}

void CMyEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // Typed nothing into the field; the dialog decides what the key means.
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::AltModifier) {
        event->ignore();  // mnemonics and menu keys type nothing into an edit
        return;
    }
    if (key == Qt::Key_Backspace) {
        // Ctrl+Backspace types character 127, which is not let through.
        if (event->modifiers() & Qt::ControlModifier) {
            event->accept();
        } else {
            QLineEdit::keyPressEvent(event);
        }
        return;
    }
    // With Control held, a letter types its control character (Ctrl+V is 22) whatever text the
    // platform reports for it.
    if (event->modifiers() & Qt::ControlModifier) {
        const char16_t c = ControlCharOf(key);
        if (c != 0) {
            if (IsAcceptedChar(c)) {
                QLineEdit::keyPressEvent(event);
            } else {
                event->accept();
            }
            return;
        }
        QLineEdit::keyPressEvent(event);  // Ctrl+arrows and the like type nothing
        return;
    }
    const QString text = event->text();
    const bool typesNothing =
        text.isEmpty() || key == Qt::Key_Delete || (text.size() == 1 && text[0] == QChar(0x7f));
    if (typesNothing) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    for (QChar c : text) {
        if (!IsAcceptedChar(c.unicode())) {
            event->accept();  // swallowed
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace ketrel
