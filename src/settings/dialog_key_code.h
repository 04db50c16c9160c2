#pragma once

#include <QDialog>
#include <string>

#include "config/key_code.h"

namespace ketrel {

class DialogRunner;
class Notifier;
class ReportList;

// "按键发码定义": the nine panel keys with their five code groups; a double click opens the
// key's editor.
class CDialogKeyCode : public QDialog {
    Q_OBJECT
  public:
    CDialogKeyCode(std::string databasePath, Notifier& notifier, DialogRunner& dialogs,
                   QWidget* parent = nullptr);

    ReportList* keyList() const { return keys_; }

    // Refills the list from the database; a failure leaves it empty, silently.
    void FillList();
    // Opens the editor of the selected key, if any, and refills the list when it closes.
    void OnListDoubleClick();

  private:
    std::string databasePath_;
    Notifier& notifier_;
    DialogRunner& dialogs_;
    ReportList* keys_;
};

}  // namespace ketrel
