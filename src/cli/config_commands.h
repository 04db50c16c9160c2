#pragma once

#include <iosfwd>
#include <string>

#include "cli.h"

namespace ketrel {
class AppState;
}

namespace ketrel::cli {

// image, write-config and write-cards.
bool IsConfigCommand(const std::string& subcommand);
int RunConfigCommand(AppState& state, const GlobalOptions& options, std::ostream& out,
                     std::ostream& err);
// Their lines of the usage text.
std::string ConfigUsage();

}  // namespace ketrel::cli
