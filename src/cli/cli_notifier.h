#pragma once

#include <ostream>

#include "notifier.h"

namespace ketrel::cli {

// Messages on the terminal: successes and notices on standard output, errors on standard error.
// Nothing is asked: a confirmation is refused, since nobody may be there to answer.
class CliNotifier : public Notifier {
  public:
    CliNotifier(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    void show(const std::string& text, const std::string&, MessageIcon icon) override {
        (icon == MessageIcon::Information ? out_ : err_) << text << std::endl;
    }
    bool confirm(const std::string& text, const std::string&, MessageIcon) override {
        err_ << text << std::endl;
        return false;
    }

  private:
    std::ostream& out_;
    std::ostream& err_;
};

}  // namespace ketrel::cli
