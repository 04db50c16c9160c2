#pragma once

#include <QWidget>
#include <functional>

class QAction;
class QMenu;
class QScrollArea;
class QToolButton;

namespace ketrel {

// A ribbon-like bar: a tab row with the main button, the category "主页", the 样式 menu and the
// About command, above the labelled panels of the category's commands.
class RibbonBar : public QWidget {
    Q_OBJECT
  public:
    using ActionOf = std::function<QAction*(int id)>;

    // styleMenu: the 样式 menu; actionOf gives the window's action for a command id.
    RibbonBar(const ActionOf& actionOf, QMenu* styleMenu, QWidget* parent = nullptr);

    QToolButton* mainButton() const { return mainButton_; }
    QMenu* mainMenu() const { return mainMenu_; }
    QToolButton* styleButton() const { return styleButton_; }
    // The panel captions, left to right.
    QStringList panelCaptions() const;
    // The caption of the panel that holds the command's control, or empty.
    QString panelOf(int id) const;

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void fitPanelHeight();
    QWidget* panel(const QString& caption, QWidget* content);
    QToolButton* largeButton(QAction* action);

    QToolButton* mainButton_;
    QMenu* mainMenu_;
    QToolButton* styleButton_;
    QScrollArea* panelScroll_;
};

}  // namespace ketrel
