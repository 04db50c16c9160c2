#include "desktop_actions.h"

#include <atomic>
#include <iostream>

namespace ketrel {

namespace {
// Until the desktop back ends exist, say so once and keep running.
class UnavailablePcActions : public PcActions {
  public:
    void pressKey(PcKey) override { unavailable(); }
    void shutdown() override { unavailable(); }
    void restart() override { unavailable(); }
    void openProgram(const std::string&) override { unavailable(); }
    void setResolution(int) override { unavailable(); }

  private:
    void unavailable() {
        if (!said_.exchange(true)) {
            std::cerr << "ketrel: PC actions are not available on this system" << std::endl;
        }
    }
    std::atomic<bool> said_{false};
};
}  // namespace

std::unique_ptr<PcActions> CreateDesktopPcActions() {
    return std::make_unique<UnavailablePcActions>();
}

}  // namespace ketrel
