#pragma once

#include <string>
#include <vector>

#include "platform/monitor_layout.h"

namespace ketrel {

// The displays of KDE Plasma through its command-line tool kscreen-doctor (package
// libkf5screen-bin), which asks the compositor and keeps a change as Plasma keeps its own.
class KscreenDisplays : public MonitorLayer {
  public:
    // environment: NAME=VALUE settings for the tool on top of ours (the compositor's socket and
    // the session bus, where they differ from the program's own).
    explicit KscreenDisplays(std::vector<std::string> environment = {},
                             std::string program = "kscreen-doctor")
        : environment_(std::move(environment)), program_(std::move(program)) {}

    bool read(monitors::Desktop& desktop, std::string& why) override;
    bool apply(const monitors::Desktop& desktop, std::string& why) override;

    // The desktop that `kscreen-doctor -o` describes (its colours taken out).
    static monitors::Desktop Parse(const std::string& listing);

  private:
    bool run(const std::vector<std::string>& args, std::string& output, std::string& why);

    std::vector<std::string> environment_;
    std::string program_;
};

}  // namespace ketrel
