#pragma once

#include <string>

namespace ketrel {

enum class MessageIcon { None, Information, Warning, Error, Question };

// How the core tells the user something. The window shows message boxes, the command line
// prints, tests record. Implementations may be called from the user-interface thread only.
class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void show(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    virtual bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

// The transfer progress of the status bar: a bar with a range and a position, and a step text.
class Progress {
  public:
    virtual ~Progress() = default;
    virtual void setRange(int low, int high) = 0;
    virtual void setPosition(int position) = 0;
    virtual void setStepText(const std::string& text) = 0;
};

}  // namespace ketrel
