#pragma once

#include <string>

#include "config/channel_store.h"

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

// Shows a channel's send codes, each row keyed by the code's ID. A database failure is not
// shown and leaves the list as it was: false then.
bool LoadSendCodes(ReportList* list, const ChannelStore& store, int channel);

// Opens the code editor for the selected row of a channel's list: true when the code was saved,
// false when nothing was selected or the editor was cancelled.
template <class CodeDialog>
bool EditSelectedCode(ReportList* list, int channel, const ChannelEditorContext& context,
                      QWidget* parent) {
    const int row = list->SelectedRow();
    if (row < 0) return false;
    CodeDialog dialog(context.databasePath, context.notifier, list->RowKey(row), channel,
                      list->Text(row, 2), list->Text(row, 3), parent);
    return context.dialogs.run(dialog) == QDialog::Accepted;
}

}  // namespace ketrel
