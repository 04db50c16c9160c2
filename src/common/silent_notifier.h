#pragma once

#include "common/notifier.h"

namespace ketrel {

// For reads whose failure the user is not told about: the controls simply stay as they were,
// a code that cannot be read is simply not there.
class SilentNotifier : public Notifier {
  public:
    void show(const std::string&, const std::string&, MessageIcon) override {}
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return false; }
};

}  // namespace ketrel
