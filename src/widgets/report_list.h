#pragma once

#include <QStringList>
#include <QTableWidget>
#include <initializer_list>

namespace ketrel {

// A list in report view: fixed columns, grid lines, whole rows selected one at a time, no
// editing in place. A click on the empty area below the rows clears the selection, so a
// handler that looks for the selected row after a click or double click finds none there.
class ReportList : public QTableWidget {
    Q_OBJECT
  public:
    struct Column {
        const char* title;
        int width;
    };

    ReportList(std::initializer_list<Column> columns, QWidget* parent = nullptr);

    void SetColumnWidths(std::initializer_list<int> widths);
    void ClearRows();
    // Appends a row; returns its index. key: what the row stands for (a channel's number, a
    // code's ID), kept beside the cells so that it is never read back from their text.
    int AddRow(const QStringList& cells, int key = -1);
    // Inserts a row in front of row (row = RowCount() appends).
    void InsertRowAt(int row, const QStringList& cells);
    int RowCount() const { return rowCount(); }
    QString Text(int row, int column) const;
    // The row's key, -1 when it has none.
    int RowKey(int row) const;
    // The selected row, or -1.
    int SelectedRow() const;
    void SelectRow(int row);

    // The whole area of one row, in viewport coordinates, for a test's mouse clicks.
    QRect RowRect(int row) const;

  signals:
    // A click or double click anywhere in the list's area, after the selection followed it.
    void listClicked();
    void listDoubleClicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace ketrel
