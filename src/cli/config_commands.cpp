#include "cli/config_commands.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <ostream>

#include "cli/cli_notifier.h"
#include "common/texts.h"
#include "config/config_db.h"
#include "config/config_image.h"
#include "config/config_texts.h"
#include "config/config_transfer.h"
#include "link/serial_link.h"
#include "link/unit_session.h"
#include "platform/app_state.h"
#include "platform/safe_file.h"

namespace ketrel::cli {

namespace {

// The status bar's step text on a terminal, rewritten in place; nothing when standard error is
// piped, so scripts see only the messages.
class CliProgress : public Progress {
  public:
    explicit CliProgress(std::ostream& err)
        : err_(err), live_(&err == &std::cerr && isatty(STDERR_FILENO)) {}
    ~CliProgress() override {
        if (live_ && shown_) err_ << "\n" << std::flush;
    }
    void setRange(int, int) override {}
    void setPosition(int) override {}
    void setStepText(const std::string& text) override {
        if (!live_) return;
        err_ << "\r\033[K" << text << std::flush;
        shown_ = true;
    }
    // Ends the progress line before a message is printed under it.
    void finishLine() {
        if (live_ && shown_) err_ << "\n" << std::flush;
        shown_ = false;
    }

  private:
    std::ostream& err_;
    bool live_;
    bool shown_ = false;
};

// Keeps the progress line and the messages on separate lines.
class ProgressAwareNotifier : public Notifier {
  public:
    ProgressAwareNotifier(Notifier& inner, CliProgress& progress)
        : inner_(inner), progress_(progress) {}
    void show(const std::string& text, const std::string& caption, MessageIcon icon) override {
        progress_.finishLine();
        inner_.show(text, caption, icon);
    }
    bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) override {
        progress_.finishLine();
        return inner_.confirm(text, caption, icon);
    }

  private:
    Notifier& inner_;
    CliProgress& progress_;
};

void HexDump(const ConfigImage& image, std::ostream& out) {
    char line[8 + 16 * 3 + 2];
    for (std::size_t offset = 0; offset < image.size(); offset += 16) {
        int n = std::snprintf(line, sizeof line, "%04zX ", offset);
        for (std::size_t i = 0; i < 16; ++i) {
            n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), " %02X",
                               image[offset + i]);
        }
        out << line << "\n";
    }
}

int RunImage(AppState& state, const std::vector<std::string>& args, std::ostream& out,
             std::ostream& err) {
    std::string outPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size() && !args[i + 1].empty()) {
            outPath = args[++i];
        } else {
            err << "ketrel image: bad argument " << args[i] << "\n" << Usage();
            return kExitUsage;
        }
    }
    CliNotifier notifier(out, err);
    ConfigImage image{};
    if (!CompileConfigImage(ConfigDb(state.DatabasePath(), notifier), image)) {
        notifier.show(texts::kExtractFailed, texts::kCaptionNotice, MessageIcon::Error);
        return kExitFailed;
    }
    if (outPath.empty()) {
        HexDump(image, out);
        return kExitOk;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
    if (outPath == "-") {
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        return out ? kExitOk : kExitFailed;
    }
    std::string reason = "this is the configuration database in use";
    if (IsSameFile(outPath, state.DatabasePath()) || !WriteFileWhole(outPath, bytes, reason)) {
        err << "ketrel image: cannot write " << outPath << ": " << reason << "\n";
        return kExitFailed;
    }
    return kExitOk;
}

int RunTransfer(AppState& state, const GlobalOptions& options, std::ostream& out, std::ostream& err,
                JsonReport* report) {
    if (!options.args.empty()) {
        return UsageError("ketrel " + options.subcommand + ": bad argument " + options.args[0], err,
                          report);
    }
    CliNotifier terminal(out, err, report);
    CliProgress progress(err);
    ProgressAwareNotifier notifier(terminal, progress);
    // The receive thread runs as in the window, so what the unit reports meanwhile reaches the
    // report instead of being purged by the next command.
    UnitSession session(notifier, {.sink = report, .openAppPath = &state.OpenAppPathShared()});
    if (!session.start(state.PortName())) return kExitFailed;
    SerialLink& link = session.link();
    const bool ok = options.subcommand == "write-config"
                        ? WriteConfiguration(link, state.DatabasePath(), notifier, progress)
                        : WriteCards(link, state.DatabasePath(), notifier, progress);
    return ok ? kExitOk : kExitFailed;
}

}  // namespace

bool IsConfigCommand(const std::string& subcommand) {
    return subcommand == "image" || subcommand == "write-config" || subcommand == "write-cards";
}

int RunConfigCommand(AppState& state, const GlobalOptions& options, std::ostream& out,
                     std::ostream& err, JsonReport* report) {
    if (options.subcommand == "image") return RunImage(state, options.args, out, err);
    return RunTransfer(state, options, out, err, report);
}

std::string ConfigUsage() {
    return "  ketrel [--dir DIR] image [--out FILE]                 compile CONFIG: 2048 raw bytes "
           "to FILE, or a hex dump\n"
           "  ketrel [--dir DIR] [--port NAME] write-config         write the configuration to "
           "the unit\n"
           "  ketrel [--dir DIR] [--port NAME] write-cards          write the card list to the "
           "unit\n";
}

}  // namespace ketrel::cli
