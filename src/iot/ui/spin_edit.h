#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ketrel {

// A digits-only edit with a small up-down control beside it. The arrows move the number in
// the edit within 0..maximum and write it into the edit; what is typed is not held to the
// range here (the dialog decides what happens to a value above it).
class SpinEdit : public QWidget {
    Q_OBJECT
  public:
    SpinEdit(int maxLength, int maximum, QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit_; }
    int maximum() const { return maximum_; }
    // Sets the position, held to the range, which also writes it into the edit.
    void setPosition(long long value);
    void stepBy(int steps);

  private:
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
    int maximum_;
};

}  // namespace ketrel
