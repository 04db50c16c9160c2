#include "widgets/report_list.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace ketrel {

ReportList::ReportList(std::initializer_list<Column> columns, QWidget* parent)
    : QTableWidget(0, static_cast<int>(columns.size()), parent) {
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    verticalHeader()->setVisible(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    QStringList titles;
    int c = 0;
    for (const Column& column : columns) {
        titles << QString::fromUtf8(column.title);
        setColumnWidth(c++, column.width);
    }
    setHorizontalHeaderLabels(titles);
}

void ReportList::SetColumnWidths(std::initializer_list<int> widths) {
    int c = 0;
    for (int w : widths) setColumnWidth(c++, w);
}

void ReportList::ClearRows() { setRowCount(0); }

int ReportList::AddRow(const QStringList& cells, int key) {
    const int row = rowCount();
    InsertRowAt(row, cells);
    if (QTableWidgetItem* first = item(row, 0)) first->setData(Qt::UserRole, key);
    return row;
}

void ReportList::InsertRowAt(int row, const QStringList& cells) {
    insertRow(row);
    for (int c = 0; c < columnCount(); ++c) {
        setItem(row, c, new QTableWidgetItem(c < cells.size() ? cells[c] : QString()));
    }
}

QString ReportList::Text(int row, int column) const {
    const QTableWidgetItem* cell = item(row, column);
    return cell ? cell->text() : QString();
}

int ReportList::RowKey(int row) const {
    const QTableWidgetItem* first = item(row, 0);
    const QVariant key = first ? first->data(Qt::UserRole) : QVariant();
    return key.isValid() ? key.toInt() : -1;
}

int ReportList::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void ReportList::SelectRow(int row) {
    clearSelection();
    if (row >= 0 && row < rowCount()) {
        setCurrentCell(row, 0);
        selectRow(row);
    }
}

QRect ReportList::RowRect(int row) const {
    QRect rect = visualRect(model()->index(row, 0));
    rect.setRight(visualRect(model()->index(row, columnCount() - 1)).right());
    return rect;
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    if (!indexAt(event->position().toPoint()).isValid()) {
        clearSelection();
        setCurrentIndex(QModelIndex());
    }
    QTableWidget::mousePressEvent(event);
}

void ReportList::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit listClicked();
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit listDoubleClicked();
}

}  // namespace ketrel
