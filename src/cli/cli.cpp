#include "cli/cli.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "cli/cli_notifier.h"
#include "cli/config_commands.h"
#include "cli/dry_run_actions.h"
#include "cli/file_commands.h"
#include "cli/json_report.h"
#include "common/texts.h"
#include "link/frame.h"
#include "link/info_lines.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "platform/desktop_actions.h"
#include "platform/text_util.h"

namespace ketrel::cli {

namespace {

std::atomic<bool> g_interrupted{false};
void OnSignal(int) { g_interrupted = true; }

std::atomic<int> g_exitStatus{kExitOk};
void OnAlarm(int) { _exit(g_exitStatus.load()); }

// Once a subcommand that prints from the receive thread has decided to end, it ends within a
// second: a reader of standard output that stopped reading must not keep it alive, and the
// receive thread may be stuck writing to that reader when it is asked to stop.
class EndWithinASecond {
  public:
    explicit EndWithinASecond(int status) {
        g_exitStatus = status;
        struct sigaction sa {};
        sa.sa_handler = OnAlarm;
        sigaction(SIGALRM, &sa, &previous_);
        alarm(1);
    }
    ~EndWithinASecond() {
        alarm(0);
        sigaction(SIGALRM, &previous_, nullptr);
    }
    EndWithinASecond(const EndWithinASecond&) = delete;
    EndWithinASecond& operator=(const EndWithinASecond&) = delete;

  private:
    struct sigaction previous_ {};
};

void CatchInterrupts() {
    g_interrupted = false;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Prints each information line as it arrives, flushed so it can be piped and watched; and hands
// it on to the report, if any.
class PrintingSink : public FrameSink {
  public:
    PrintingSink(std::ostream& out, std::string prefix, FrameSink* also = nullptr)
        : out_(out), prefix_(std::move(prefix)), also_(also) {}
    void infoLine(const std::string& key, const std::string& value) override {
        ++lines_;
        if (also_) also_->infoLine(key, value);
        std::lock_guard lock(mutex_);
        out_ << prefix_ << TerminalText(key) << "=" << TerminalText(value) << std::endl;
    }
    int lines() const { return lines_.load(); }

  private:
    std::atomic<int> lines_{0};
    std::mutex mutex_;
    std::ostream& out_;
    std::string prefix_;
    FrameSink* also_;
};

bool ParseSeconds(const std::string& text, double& seconds) {
    try {
        std::size_t used = 0;
        seconds = std::stod(text, &used);
        return used == text.size() && seconds >= 0 && seconds <= 86400;
    } catch (...) {
        return false;
    }
}

int RunInfo(AppState& state, const std::vector<std::string>& args, std::ostream& out,
            std::ostream& err, JsonReport* report) {
    double seconds = 2;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--seconds" && i + 1 < args.size() && ParseSeconds(args[i + 1], seconds)) {
            ++i;
        } else {
            return UsageError("ketrel info: bad argument " + args[i], err, report);
        }
    }
    CliNotifier notifier(out, err, report);
    PrintingSink sink(out, "", report);
    std::optional<EndWithinASecond> ending;  // outlives the session: covers its stop
    UnitSession session(notifier, {.sink = &sink, .openAppPath = &state.OpenAppPathShared()});
    if (!session.start(state.PortName())) return kExitFailed;
    if (!session.link().PostCommand(frame::kGetInfo)) return kExitFailed;
    CatchInterrupts();
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
    while (!g_interrupted && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    // Silence is no success: a script must be able to tell a unit that never answered.
    const int status = sink.lines() > 0 ? kExitOk : kExitFailed;
    ending.emplace(status);
    if (status != kExitOk)
        notifier.show(texts::kInfoNoAnswer, texts::kCaptionError, MessageIcon::Error);
    return status;
}

int RunListen(AppState& state, const std::vector<std::string>& args, std::ostream& out,
              std::ostream& err) {
    bool dryRun = false;
    for (const auto& a : args) {
        if (a == "--dry-run") {
            dryRun = true;
        } else {
            err << "ketrel listen: bad argument " << a << "\n" << Usage();
            return kExitUsage;
        }
    }
    CliNotifier notifier(out, err);
    std::unique_ptr<PcActions> actions;
    if (dryRun) {
        actions = std::make_unique<DryRunPcActions>(out);
    } else {
        actions = CreateDesktopPcActions();
    }
    PrintingSink sink(out, dryRun ? "info " : "");
    std::optional<EndWithinASecond> ending;  // outlives the session: covers its stop
    UnitSession session(
        notifier,
        {.sink = &sink, .actions = actions.get(), .openAppPath = &state.OpenAppPathShared()});
    if (!session.start(state.PortName())) return kExitFailed;
    CatchInterrupts();
    while (!g_interrupted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (session.receiver().portLost()) {
            ending.emplace(kExitFailed);
            notifier.show(texts::kPortInvalid, texts::kCaptionError, MessageIcon::Error);
            return kExitFailed;
        }
    }
    ending.emplace(kExitOk);
    return kExitOk;
}

}  // namespace

std::string Usage() {
    return "usage:\n"
           "  ketrel [--dir DIR] [--port NAME]                      the tray program\n" +
           ConfigUsage() + FileUsage() +
           "  ketrel [--dir DIR] [--port NAME] info [--seconds N]   ask the unit for its "
           "information\n"
           "  ketrel [--dir DIR] [--port NAME] listen [--dry-run]   carry out the unit's PC "
           "commands\n"
           "  ketrel --version | --help\n"
           "  --json after info, write-config, write-cards or compare prints one JSON object "
           "instead\n";
}

int UsageError(const std::string& problem, std::ostream& err, JsonReport* report) {
    err << problem << "\n" << Usage();
    if (report) report->message(problem, MessageIcon::Error);
    return kExitUsage;
}

bool ParseGlobal(int argc, char** argv, GlobalOptions& out, std::string* error) {
    int i = 1;
    for (; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--dir" || a == "--port" || a == "--log") {
            if (i + 1 >= argc || std::string(argv[i + 1]).empty()) {
                if (error) *error = a + " needs a value";
                return false;
            }
            (a == "--dir" ? out.dir : a == "--port" ? out.port : out.log) = argv[++i];
        } else if (a == "--help" || a == "-h") {
            out.subcommand = "help";
            return true;
        } else if (a == "--version") {
            out.subcommand = "version";
            return true;
        } else if (!a.empty() && a[0] == '-') {
            if (error) *error = "unknown option " + a;
            return false;
        } else {
            out.subcommand = a;
            ++i;
            break;
        }
    }
    for (; i < argc; ++i) out.args.emplace_back(argv[i]);
    return true;
}

namespace {

int RunSubcommand(const GlobalOptions& options, std::ostream& out, std::ostream& err,
                  JsonReport* report) {
    std::string problem;
    const std::string appDir = AppState::ResolveAppDir(options.dir, &problem);
    if (appDir.empty()) {
        err << problem << "\n";
        if (report) report->message(problem, MessageIcon::Error);
        return kExitFailed;
    }
    AppState state(appDir);
    if (!options.port.empty()) state.SetPortNameForRun(options.port);
    if (report) report->setPort(state.PortName());
    const TrafficLogScope trafficLog(options.log);
    if (const std::string failure = trafficLog.failure(); !failure.empty()) {
        err << failure << "\n";
        if (report) report->message(failure, MessageIcon::Error);
        return kExitFailed;
    }
    if (IsFileCommand(options.subcommand)) return RunFileCommand(state, options, out, err, report);
    if (IsConfigCommand(options.subcommand)) {
        return RunConfigCommand(state, options, out, err, report);
    }
    if (options.subcommand == "info") return RunInfo(state, options.args, out, err, report);
    if (options.subcommand == "listen") return RunListen(state, options.args, out, err);
    err << "ketrel: unknown command " << options.subcommand << "\n" << Usage();
    return kExitUsage;
}

}  // namespace

int Run(const GlobalOptions& given, std::ostream& out, std::ostream& err) {
    if (given.subcommand == "help") {
        out << Usage();
        return kExitOk;
    }
    if (given.subcommand == "version") {
        out << "ketrel " << KETREL_VERSION << "\n";
        return kExitOk;
    }
    GlobalOptions options = given;
    std::optional<JsonReport> report;
    auto& args = options.args;
    if (const auto json = std::find(args.begin(), args.end(), "--json");
        TakesJson(options.subcommand) && json != args.end()) {
        args.erase(json);
        report.emplace(options.subcommand, options.port);
    }
    // With --json the object is all that standard output holds: what the subcommand prints
    // there goes nowhere, and its messages reach the object through the notifier. Standard
    // error stays as it is without --json, so a person or a log watching it loses nothing.
    std::ostream nowhere(nullptr);
    const int status =
        RunSubcommand(options, report ? nowhere : out, err, report ? &*report : nullptr);
    if (report) report->write(out, status);
    return status;
}

}  // namespace ketrel::cli
