#pragma once

#include <QDialog>

namespace ketrel {

// "关于 Vardo": the application icon, its version text and 确定.
class CAboutDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace ketrel
