#pragma once

#include <QWidget>

class QAction;
class QMenu;
class QTabWidget;

namespace ketrel {

class CDialogCard;
class CDialogSysSetting;

// The middle of the window: the tab control with the two pages, 系统配置 and 本地IC卡管理.
class CVardoView : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSysSettingPage = 0;
    static constexpr int kCardPage = 1;

    explicit CVardoView(QWidget* parent = nullptr);

    QTabWidget* tabs() const { return tabs_; }
    CDialogSysSetting* sysSettingPage() const { return sysSetting_; }
    CDialogCard* cardPage() const { return card_; }

    void ShowPage(int index);
    int currentPage() const;

    // The context menu "编辑" with cut, copy and paste for the focused field; each entry is
    // enabled only while it can do something there.
    QMenu* editMenu() const { return editMenu_; }

  signals:
    void pageChanged(int index);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void UpdateEditMenu();

    QTabWidget* tabs_;
    CDialogSysSetting* sysSetting_;
    CDialogCard* card_;
    QMenu* editMenu_;
    QAction* cut_;
    QAction* copy_;
    QAction* paste_;
};

}  // namespace ketrel
