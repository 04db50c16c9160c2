#pragma once

#include <QDockWidget>
#include <map>

class QToolButton;

namespace ketrel {

// The navigation bar at the left: one page with two large buttons, 系统设置 and 本地IC卡管理.
class COutlookBar : public QDockWidget {
    Q_OBJECT
  public:
    static constexpr int kInitialWidth = 100;

    explicit COutlookBar(QWidget* parent = nullptr);

    QToolButton* button(int commandId) const;
    // Marks the button of the page that is shown.
    void setCurrent(int commandId);

  signals:
    void commandTriggered(int commandId);

  private:
    std::map<int, QToolButton*> buttons_;
};

}  // namespace ketrel
