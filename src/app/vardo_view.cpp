#include "app/vardo_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/dialog_card.h"
#include "settings/dialog_sys_setting.h"

namespace ketrel {

namespace {
QLineEdit* FocusedEdit() { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }
}  // namespace

CVardoView::CVardoView(QWidget* parent) : QWidget(parent) {
    setObjectName("CVardoView");
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("tab1001");
    sysSetting_ = new CDialogSysSetting(tabs_);
    card_ = new CDialogCard(tabs_);
    tabs_->addTab(sysSetting_, QStringLiteral("系统配置"));
    tabs_->addTab(card_, QStringLiteral("本地IC卡管理"));
    tabs_->setCurrentIndex(kSysSettingPage);
    connect(tabs_, &QTabWidget::currentChanged, this, &CVardoView::pageChanged);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(tabs_);

    editMenu_ = new QMenu(QStringLiteral("编辑"), this);
    editMenu_->setObjectName("editMenu");
    cut_ = editMenu_->addAction(QStringLiteral("剪切(&T)\tCtrl+X"), this, [] {
        if (QLineEdit* e = FocusedEdit()) e->cut();
    });
    copy_ = editMenu_->addAction(QStringLiteral("复制(&C)\tCtrl+C"), this, [] {
        if (QLineEdit* e = FocusedEdit()) e->copy();
    });
    paste_ = editMenu_->addAction(QStringLiteral("粘贴(&P)\tCtrl+V"), this, [] {
        if (QLineEdit* e = FocusedEdit()) e->paste();
    });
    connect(editMenu_, &QMenu::aboutToShow, this, &CVardoView::UpdateEditMenu);
}

void CVardoView::UpdateEditMenu() {
    const QLineEdit* e = FocusedEdit();
    // A password field gives its text to neither cut nor copy.
    const bool selected = e && e->hasSelectedText() && e->echoMode() == QLineEdit::Normal;
    const bool writable = e && !e->isReadOnly();
    cut_->setEnabled(selected && writable);
    copy_->setEnabled(selected);
    paste_->setEnabled(writable && !QGuiApplication::clipboard()->text().isEmpty());
}

void CVardoView::ShowPage(int index) { tabs_->setCurrentIndex(index); }

int CVardoView::currentPage() const { return tabs_->currentIndex(); }

void CVardoView::contextMenuEvent(QContextMenuEvent* event) {
    editMenu_->popup(event->globalPos());
    event->accept();
}

}  // namespace ketrel
