#pragma once

#include "widgets/spin_field.h"

namespace ketrel {

// The delay fields of the options dialog: any number of digits, arrows within 0..maximum.
class OptionSpin : public SpinField {
  public:
    explicit OptionSpin(int maximum, QWidget* parent = nullptr) : SpinField(maximum, 0, parent) {}
};

}  // namespace ketrel
