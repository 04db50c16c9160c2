#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace ketrel {

// A number field with an up-down control beside it: digits only, written by the arrows (and by
// the Up and Down keys in the field) as plain digits within 0..maximum. What is typed is not
// held to the range here: the dialog decides what a larger number becomes.
class SpinField : public QWidget {
    Q_OBJECT
  public:
    // maxLength 0 leaves the number of digits free.
    SpinField(int maximum, int maxLength, QWidget* parent = nullptr);

    QLineEdit* edit() const { return edit_; }
    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }
    int maximum() const { return maximum_; }
    // The number in the field as the arrows see it: from its leading digits, held to the range.
    int position() const;
    // Held to the range, written into the field.
    void setPosition(long long value);
    void stepBy(int steps);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
    int maximum_;
};

}  // namespace ketrel
