#pragma once

#include <ostream>

#include "notifier.h"
#include "text_util.h"

namespace ketrel::cli {

// Messages on the terminal: successes and notices on standard output, errors on standard error,
// never with a control character of their own (they may quote what the unit or a file said).
// Nothing is asked: a confirmation is refused, since nobody may be there to answer.
class CliNotifier : public Notifier {
  public:
    CliNotifier(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    void show(const std::string& text, const std::string&, MessageIcon icon) override {
        (icon == MessageIcon::Information ? out_ : err_) << TerminalText(text, true) << std::endl;
    }
    bool confirm(const std::string& text, const std::string&, MessageIcon) override {
        err_ << TerminalText(text, true) << std::endl;
        return false;
    }

  private:
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace ketrel::cli
