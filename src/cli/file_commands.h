#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "cli/cli.h"

namespace ketrel {
class AppState;
class TrafficLog;
}  // namespace ketrel

namespace ketrel::cli {

// export, import and compare.
bool IsFileCommand(const std::string& subcommand);
// report: the --json object of compare, or nullptr.
int RunFileCommand(AppState& state, const GlobalOptions& options, std::ostream& out,
                   std::ostream& err, JsonReport* report);
// Their lines of the usage text.
std::string FileUsage();

// The --log option: while it lives, every serial port made in the process records its traffic
// into the file. Nothing happens for an empty path.
class TrafficLogScope {
  public:
    explicit TrafficLogScope(const std::string& path);
    ~TrafficLogScope();  // the file holds everything when this returns
    TrafficLogScope(const TrafficLogScope&) = delete;
    TrafficLogScope& operator=(const TrafficLogScope&) = delete;

    // Why the file could not be opened, or nothing.
    std::string failure() const;
    // False, after saying why on err, when the file could not be opened.
    bool ok(std::ostream& err) const;
    TrafficLog* log() const { return log_.get(); }

  private:
    std::string path_;
    std::string error_;
    std::unique_ptr<TrafficLog> log_;
};

}  // namespace ketrel::cli
