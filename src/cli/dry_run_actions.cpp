#include "cli/dry_run_actions.h"

#include <mutex>

#include "platform/text_util.h"

namespace ketrel {

void DryRunPcActions::line(const std::string& text) {
    static std::mutex m;
    std::lock_guard lock(m);
    out_ << TerminalText(text) << std::endl;
}

void DryRunPcActions::pressKey(PcKey key) { line(std::string("key ") + PcKeyName(key)); }
void DryRunPcActions::shutdown() { line("shutdown"); }
void DryRunPcActions::restart() { line("restart"); }
void DryRunPcActions::openProgram(const std::string& path) { line("open " + path); }
void DryRunPcActions::setResolution(int width) {
    line("resolution " + std::to_string(width) + "x720");
}

}  // namespace ketrel
