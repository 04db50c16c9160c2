#pragma once

#include <QDialog>

#include "config/config_compare.h"

class QLabel;
class QTableWidget;

namespace ketrel {

// The outcome of 读回比较: one row for each field whose value in the unit differs from what the
// database compiles to.
class CDialogCompare : public QDialog {
    Q_OBJECT
  public:
    explicit CDialogCompare(const ImageDifferences& differences, QWidget* parent = nullptr);

    QLabel* summary() const { return summary_; }
    QTableWidget* table() const { return table_; }

  private:
    QLabel* summary_;
    QTableWidget* table_;
};

}  // namespace ketrel
