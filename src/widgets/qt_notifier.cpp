#include "widgets/qt_notifier.h"

#include <QAbstractButton>
#include <QMessageBox>

#include "widgets/qt_text.h"

namespace ketrel {

namespace {
QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Warning:
            return QMessageBox::Warning;
        case MessageIcon::Error:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// A message of many lines (the problems of an import, say) would make a box taller than the
// screen: its first line stays the message and the rest goes below it into a list that
// scrolls, opened from the start.
void ShowLongTextScrolling(QMessageBox& box) {
    const QString text = box.text();
    if (text.count(QLatin1Char('\n')) < QtNotifier::kMaxBoxLines) return;
    const qsizetype cut = text.indexOf(QLatin1Char('\n'));
    box.setText(text.left(cut));
    box.setDetailedText(text.mid(cut + 1));
    for (QAbstractButton* button : box.buttons()) {
        if (box.buttonRole(button) == QMessageBox::ActionRole) button->click();
    }
}
// A box over a window that is hidden in the tray (a port error at start-up) would sit where that
// window would be; without an owner it is centred on the screen.
QWidget* Shown(QWidget* owner) { return owner && owner->isVisible() ? owner : nullptr; }
}  // namespace

void QtNotifier::show(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), ToQ(caption), ToQ(text), QMessageBox::Ok, Shown(owner_));
    ShowLongTextScrolling(box);
    box.exec();
}

bool QtNotifier::confirm(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), ToQ(caption), ToQ(text), QMessageBox::Yes | QMessageBox::No,
                    Shown(owner_));
    ShowLongTextScrolling(box);
    return box.exec() == QMessageBox::Yes;
}

}  // namespace ketrel
