#pragma once

#include <QDialog>

namespace ketrel {

// Runs a modal dialog and returns its result. The program runs it for real; a test answers it
// by setting the dialog's controls and calling its handlers, so no test waits in exec().
class DialogRunner {
  public:
    virtual ~DialogRunner() = default;
    virtual int run(QDialog& dialog) = 0;
};

class ModalDialogRunner : public DialogRunner {
  public:
    int run(QDialog& dialog) override { return dialog.exec(); }
};

}  // namespace ketrel
