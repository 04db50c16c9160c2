#pragma once

#include <string>

#include "common/pc_actions.h"

namespace ketrel {

// Sends one key's press and release to whatever window has the keyboard focus.
class KeyInjector {
  public:
    virtual ~KeyInjector() = default;
    // False when the events could not be sent.
    virtual bool pressAndRelease(PcKey key) = 0;
    // Why the last key could not be sent, where the route knows more than that it failed.
    virtual std::string failure() const { return {}; }
};

}  // namespace ketrel
