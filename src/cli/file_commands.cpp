#include "cli/file_commands.h"

#include <cstdio>
#include <ostream>

#include "cli/cli_notifier.h"
#include "config/config_compare.h"
#include "config/config_file.h"
#include "config/config_file_texts.h"
#include "link/serial_port.h"
#include "link/traffic_log.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "platform/text_util.h"

namespace ketrel::cli {

namespace {

bool BadArguments(const GlobalOptions& options, std::size_t expected, std::ostream& err,
                  JsonReport* report) {
    if (options.args.size() == expected && (expected == 0 || !options.args[0].empty())) {
        return false;
    }
    UsageError("ketrel " + options.subcommand + ": " +
                   (options.args.size() < expected ? "needs a file name"
                                                   : "bad argument " + options.args.back()),
               err, report);
    return true;
}

int RunCompare(AppState& state, std::ostream& out, std::ostream& err, JsonReport* report) {
    CliNotifier notifier(out, err, report);
    UnitSession session(notifier, {.sink = report, .openAppPath = &state.OpenAppPathShared()});
    if (!session.start(state.PortName())) return kExitFailed;
    const CompareResult result = CompareWithUnit(session.link(), state.DatabasePath(), notifier);
    if (report) report->setComparison(result);
    switch (result.outcome) {
        case CompareOutcome::Equal:
            out << texts::kCompareEqual << "\n";
            return kExitOk;
        case CompareOutcome::Different: {
            char header[128];
            std::snprintf(header, sizeof header, texts::kCompareDifferent,
                          result.differences.size());
            out << header << "\n";
            for (const ImageDifference& d : result.differences) {
                out << TerminalText(d.Describe()) << "\n";
            }
            out << std::flush;
            return kExitFailed;
        }
        case CompareOutcome::Failed:
            break;
    }
    return kExitFailed;
}

}  // namespace

bool IsFileCommand(const std::string& subcommand) {
    return subcommand == "export" || subcommand == "import" || subcommand == "compare";
}

int RunFileCommand(AppState& state, const GlobalOptions& options, std::ostream& out,
                   std::ostream& err, JsonReport* report) {
    if (options.subcommand == "compare") {
        if (BadArguments(options, 0, err, report)) return kExitUsage;
        return RunCompare(state, out, err, report);
    }
    if (BadArguments(options, 1, err, nullptr)) return kExitUsage;
    // With the document on standard output, every message goes to standard error.
    const bool toOutput = options.subcommand == "export" && options.args[0] == "-";
    CliNotifier notifier(toOutput ? err : out, err);
    const bool ok = options.subcommand == "export"
                        ? ExportConfiguration(state.DatabasePath(), options.args[0], notifier, &out)
                        : ImportConfiguration(state.DatabasePath(), options.args[0], notifier);
    return ok ? kExitOk : kExitFailed;
}

std::string FileUsage() {
    return "  ketrel [--dir DIR] export FILE                        every table of CONFIG to a "
           "JSON file (- for standard output)\n"
           "  ketrel [--dir DIR] import FILE                        replace CONFIG's tables by "
           "the file's, all or nothing\n"
           "  ketrel [--dir DIR] [--port NAME] compare              list what differs between "
           "the unit and CONFIG\n"
           "  --log FILE before any subcommand appends the serial traffic to FILE\n";
}

TrafficLogScope::TrafficLogScope(const std::string& path) : path_(path) {
    if (path.empty()) return;
    log_ = std::make_unique<TrafficLog>();
    if (!log_->openFile(path, &error_)) {
        log_.reset();
        return;
    }
    SerialPort::SetDefaultTrafficObserver(log_.get());
}

TrafficLogScope::~TrafficLogScope() {
    if (!log_) return;
    // Every port made under this scope is gone by now (they live inside the subcommand).
    SerialPort::SetDefaultTrafficObserver(nullptr);
    log_->flush();
}

std::string TrafficLogScope::failure() const {
    if (path_.empty() || log_) return {};
    return "ketrel: cannot write the log " + path_ + ": " + error_;
}

bool TrafficLogScope::ok(std::ostream& err) const {
    const std::string problem = failure();
    if (!problem.empty()) err << problem << "\n";
    return problem.empty();
}

}  // namespace ketrel::cli
