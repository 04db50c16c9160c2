#pragma once

#include <sys/types.h>

#include <mutex>
#include <ostream>
#include <string>

namespace ketrel {

// Starts the camera program: an executable file runs directly, any other file is opened with
// the desktop's default handler (xdg-open). No shell is ever involved, so a path is always one
// file name, whatever characters it holds. The started program is detached: it is not our
// child, leaves no zombie behind and outlives us.
class ProgramLauncher {
  public:
    explicit ProgramLauncher(std::ostream& err) : err_(err) {}

    struct Started {
        pid_t pid = -1;       // the process that runs the file or its opener; -1: nothing started
        bool opened = false;  // the file was handed to the default handler
    };

    // path is used as it stands (already trimmed); empty or missing starts nothing.
    Started open(const std::string& path);

    // The opener's full path from PATH; empty when it is not installed.
    static std::string FindInPath(const std::string& name);

  private:
    // Each distinct problem once, so a unit that repeats a command does not flood the log.
    void warn(const std::string& text);

    std::ostream& err_;
    std::mutex mutex_;
    std::string lastWarning_;
};

}  // namespace ketrel
