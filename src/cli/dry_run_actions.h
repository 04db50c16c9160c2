#pragma once

#include <ostream>
#include <string>

#include "common/pc_actions.h"

namespace ketrel {

// Prints one line per action instead of acting, flushed at once so it can be piped and watched.
class DryRunPcActions : public PcActions {
  public:
    explicit DryRunPcActions(std::ostream& out) : out_(out) {}
    void pressKey(PcKey key) override;
    void shutdown() override;
    void restart() override;
    void openProgram(const std::string& path) override;
    void setResolution(int width) override;

  private:
    void line(const std::string& text);
    std::ostream& out_;
};

}  // namespace ketrel
