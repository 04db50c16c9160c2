#pragma once

#include <string>

#include "editors/channel_editor_context.h"
#include "editors/code_format.h"
#include "widgets/dialog_runner.h"
#include "widgets/report_list.h"

class QGroupBox;
class QPushButton;

namespace ketrel {

// The "发送代码" group of a channel editor around its list: ID, channel number, code name and
// code of each send code, one row per database row.
QGroupBox* MakeSendCodeGroup(QWidget* parent, const char* listName, ReportList*& list);

// The editors' "确定": the default button, with the OK icon.
QPushButton* MakeEditorOkButton(QWidget* parent);

// Shows a channel's send codes. A database failure is not shown and leaves the list as it was:
// false then.
bool LoadSendCodes(ReportList* list, const std::string& databasePath, const char* select,
                   int channel, const char* table);

// Opens the code editor for the selected row: the channel number of the code when it was saved,
// -1 when nothing was selected or the editor was cancelled.
template <class CodeDialog>
int EditSelectedCode(ReportList* list, const ChannelEditorContext& context, QWidget* parent) {
    const int row = list->SelectedRow();
    if (row < 0) return -1;
    const int channel = LeadingInt(list->Text(row, 1));
    CodeDialog dialog(context.databasePath, context.notifier, LeadingInt(list->Text(row, 0)),
                      channel, list->Text(row, 2), list->Text(row, 3), parent);
    return context.dialogs.run(dialog) == QDialog::Accepted ? channel : -1;
}

}  // namespace ketrel
