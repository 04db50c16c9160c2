#include "settings/dialog_key_code.h"

#include <QVBoxLayout>
#include <cstdio>

#include "editors/code_format.h"
#include "settings/dialog_modify_key_code.h"
#include "widgets/dialog_runner.h"
#include "widgets/list_keys.h"
#include "widgets/qt_text.h"
#include "widgets/report_list.h"

namespace ketrel {

CDialogKeyCode::CDialogKeyCode(std::string databasePath, Notifier& notifier, DialogRunner& dialogs,
                               QWidget* parent)
    : QDialog(parent),
      databasePath_(std::move(databasePath)),
      notifier_(notifier),
      dialogs_(dialogs) {
    setObjectName("dialog345");
    setWindowTitle(QStringLiteral("按键发码定义"));
    keys_ = new ReportList({{"键码编号", 80},
                            {"键码名称", 120},
                            {"第1组控制码", 120},
                            {"第2组控制码", 120},
                            {"第3组控制码", 120},
                            {"第4组控制码", 120},
                            {"第5组控制码", 120}},
                           this);
    keys_->setMinimumSize(820, 300);
    connect(keys_, &ReportList::listDoubleClicked, this, &CDialogKeyCode::OnListDoubleClick);
    OpenRowOnEnter(keys_, [this] { OnListDoubleClick(); });
    (new QVBoxLayout(this))->addWidget(keys_);
    FillList();
}

void CDialogKeyCode::FillList() {
    keys_->SetColumnWidths({80, 120, 120, 120, 120, 120, 120});
    keys_->ClearRows();
    const auto keys = KeyCodeStore(databasePath_, notifier_).LoadKeys();
    if (!keys) return;
    for (const KeyCodeRow& key : *keys) {
        QStringList cells{QString::number(key.id), ToQ(key.name)};
        for (const KeyCodeGroup& group : key.groups) cells << ToQ(keycode::DisplayText(group));
        keys_->AddRow(cells, key.id);
    }
}

void CDialogKeyCode::OnListDoubleClick() {
    const int row = keys_->SelectedRow();
    if (row < 0) return;
    CDialogModifyKeyCode editor(databasePath_, notifier_, keys_->RowKey(row), this);
    dialogs_.run(editor);
    // Every change in the editor is already stored, and it only ever closes as cancelled: the
    // row may have changed whatever it returned.
    FillList();
}

}  // namespace ketrel
