#pragma once

#include "notifier.h"

namespace ketrel {

// For reads whose failure the user is not told about: the controls simply stay as they were.
class SilentNotifier : public Notifier {
  public:
    void show(const std::string&, const std::string&, MessageIcon) override {}
    bool confirm(const std::string&, const std::string&, MessageIcon) override { return false; }
};

}  // namespace ketrel
