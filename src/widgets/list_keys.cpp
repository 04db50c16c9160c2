#include "widgets/list_keys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

namespace ketrel {

namespace {

bool OpensRow(const QKeyEvent* event) {
    if (event->modifiers() & ~Qt::KeypadModifier) return false;
    const int key = event->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_F2;
}

class RowOpener : public QObject {
  public:
    RowOpener(QObject* parent, std::function<void()> open)
        : QObject(parent), open_(std::move(open)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShortcutOverride && OpensRow(static_cast<QKeyEvent*>(event))) {
            // Taken here before any shortcut of the window claims the key.
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress && OpensRow(static_cast<QKeyEvent*>(event))) {
            open_();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> open_;
};

}  // namespace

void OpenRowOnEnter(QAbstractItemView* list, std::function<void()> open) {
    list->setTabKeyNavigation(false);
    list->installEventFilter(new RowOpener(list, std::move(open)));
}

}  // namespace ketrel
