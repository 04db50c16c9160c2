#pragma once

#include <ostream>

#include "cli/json_report.h"
#include "common/notifier.h"
#include "platform/text_util.h"

namespace ketrel::cli {

// Messages on the terminal: successes and notices on standard output, errors on standard error,
// never with a control character of their own (they may quote what the unit or a file said).
// Nothing is asked: a confirmation is refused, since nobody may be there to answer.
// With a report (--json) every message is also kept for it, in order.
class CliNotifier : public Notifier {
  public:
    CliNotifier(std::ostream& out, std::ostream& err, JsonReport* report = nullptr)
        : out_(out), err_(err), report_(report) {}
    void show(const std::string& text, const std::string&, MessageIcon icon) override {
        if (report_) report_->message(text, icon);
        (icon == MessageIcon::Information ? out_ : err_) << TerminalText(text, true) << std::endl;
    }
    bool confirm(const std::string& text, const std::string&, MessageIcon icon) override {
        if (report_) report_->message(text, icon);
        err_ << TerminalText(text, true) << std::endl;
        return false;
    }

  private:
    std::ostream& out_;
    std::ostream& err_;
    JsonReport* report_;
};

}  // namespace ketrel::cli
