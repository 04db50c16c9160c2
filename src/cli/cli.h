#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace ketrel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What the command line asked for before the subcommand.
struct GlobalOptions {
    std::string dir;   // --dir
    std::string port;  // --port
    std::string log;   // --log: the serial traffic is appended to this file
    std::string subcommand;
    std::vector<std::string> args;  // after the subcommand
};

// Parses the global options; false (with a message in *error) on a usage error.
bool ParseGlobal(int argc, char** argv, GlobalOptions& out, std::string* error);

// Runs a subcommand and returns the exit status.
int Run(const GlobalOptions& options, std::ostream& out, std::ostream& err);

std::string Usage();

class JsonReport;
// Says what was wrong, then the usage, on err (and in the report, with --json); the usage
// error's exit status.
int UsageError(const std::string& problem, std::ostream& err, JsonReport* report);

}  // namespace ketrel::cli
