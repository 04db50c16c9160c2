#pragma once

#include "config_db.h"
#include "report_list.h"

namespace ketrel {

// The "发送代码" list of a channel editor: ID, channel number, code name and code of each send
// code, one row per database row.
ReportList* MakeSendCodeList(QWidget* parent);

// Empties a list and adds one row per database row, the first columns in table order.
void FillRows(ReportList* list, const SqlRows& rows);

}  // namespace ketrel
