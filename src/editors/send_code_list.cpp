#include "send_code_list.h"

#include "qt_text.h"

namespace ketrel {

ReportList* MakeSendCodeList(QWidget* parent) {
    return new ReportList(
        {{"控制码ID", 60}, {"通道编号", 60}, {"控制码名称", 100}, {"控制码(Hex)", 390}}, parent);
}

void FillRows(ReportList* list, const SqlRows& rows) {
    list->setUpdatesEnabled(false);
    list->ClearRows();
    for (const SqlRow& row : rows) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c) {
            cells << (static_cast<std::size_t>(c) < row.size() ? ToQ(row[c]) : QString());
        }
        list->AddRow(cells);
    }
    list->setUpdatesEnabled(true);
}

}  // namespace ketrel
