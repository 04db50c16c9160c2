#pragma once

#include <QLineEdit>

namespace ketrel {

// A line edit for hexadecimal codes: typing is limited to 0-9, A-F, a-f, space, backspace and
// the clipboard keys Ctrl+X, Ctrl+C and Ctrl+V. Text set by the program or pasted is taken as
// it is. Keys that type nothing (arrows, Delete, Home, End) edit as usual; Enter and Escape
// type nothing here and reach the dialog's default and cancel buttons.
class CMyEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CMyEdit(QWidget* parent = nullptr);

    // Whether a typed character is let through to the edit.
    static bool IsAcceptedChar(char16_t c);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace ketrel
