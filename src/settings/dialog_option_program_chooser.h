#pragma once

#include <optional>
#include <string>

class QFileInfo;
class QWidget;

namespace ketrel {

// Asks the user for the program that the unit's camera command starts. Tests answer it
// themselves; the program asks with a file dialog.
class ProgramPathPrompter {
  public:
    virtual ~ProgramPathPrompter() = default;
    // The full path of an existing file, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseProgram(QWidget* parent,
                                                     const std::string& current) = 0;
};

// A file-open dialog for an existing file. A program on Linux need not end in .exe, so the
// dialog's first filter, chosen at the start, lists the files that may be run, the second every
// file. It opens in the folder of the current program, or in /usr/bin when there is none.
class FileDialogProgramPrompter : public ProgramPathPrompter {
  public:
    std::optional<std::string> ChooseProgram(QWidget* parent, const std::string& current) override;

    // Whether the first filter lists the entry (folders are listed so that one can go into them).
    static bool ListedAsProgram(const QFileInfo& info);
};

}  // namespace ketrel
