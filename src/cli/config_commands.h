#pragma once

#include <iosfwd>
#include <string>

#include "cli/cli.h"

namespace ketrel {
class AppState;
}

namespace ketrel::cli {

// image, write-config and write-cards.
bool IsConfigCommand(const std::string& subcommand);
// report: the --json object of write-config and write-cards, or nullptr.
int RunConfigCommand(AppState& state, const GlobalOptions& options, std::ostream& out,
                     std::ostream& err, JsonReport* report);
// Their lines of the usage text.
std::string ConfigUsage();

}  // namespace ketrel::cli
