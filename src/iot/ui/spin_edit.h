#pragma once

#include "widgets/spin_field.h"

namespace ketrel {

// The timing fields of the infrared learning: at most maxLength digits, arrows within
// 0..maximum.
class SpinEdit : public SpinField {
  public:
    SpinEdit(int maxLength, int maximum, QWidget* parent = nullptr)
        : SpinField(maximum, maxLength, parent) {}
};

}  // namespace ketrel
