#include "app/dialog_compare.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "config/config_file_texts.h"
#include "widgets/qt_text.h"

namespace ketrel {

CDialogCompare::CDialogCompare(const ImageDifferences& differences, QWidget* parent)
    : QDialog(parent) {
    setObjectName("CDialogCompare");
    setWindowTitle(QStringLiteral("读回比较"));
    resize(860, 480);

    char header[128];
    std::snprintf(header, sizeof header, texts::kCompareDifferent, differences.size());
    summary_ = new QLabel(QString::fromUtf8(header), this);
    summary_->setObjectName("compareSummary");

    table_ = new QTableWidget(static_cast<int>(differences.size()), 3, this);
    table_->setObjectName("compareTable");
    table_->setHorizontalHeaderLabels(
        {QStringLiteral("项目"), QStringLiteral("单元中"), QStringLiteral("数据库中")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setTabKeyNavigation(false);
    // Long item names wrap within their column, and each cell shows its whole text as a tip.
    table_->setWordWrap(true);
    table_->setTextElideMode(Qt::ElideNone);
    for (int r = 0; r < table_->rowCount(); ++r) {
        const ImageDifference& d = differences[static_cast<std::size_t>(r)];
        int column = 0;
        for (const std::string* text : {&d.label, &d.unitValue, &d.configValue}) {
            auto* item = new QTableWidgetItem(ToQ(*text));
            item->setToolTip(item->text());
            table_->setItem(r, column++, item);
        }
    }
    table_->setColumnWidth(0, 340);
    table_->setColumnWidth(1, 240);
    table_->resizeRowsToContents();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    layout->addWidget(buttons);
}

}  // namespace ketrel
