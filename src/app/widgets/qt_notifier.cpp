#include "qt_notifier.h"

#include <QMessageBox>

#include "qt_text.h"

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
}  // namespace

void QtNotifier::show(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), ToQ(caption), ToQ(text), QMessageBox::Ok, owner_.data());
    box.exec();
}

bool QtNotifier::confirm(const std::string& text, const std::string& caption, MessageIcon icon) {
    QMessageBox box(BoxIcon(icon), ToQ(caption), ToQ(text), QMessageBox::Yes | QMessageBox::No,
                    owner_.data());
    return box.exec() == QMessageBox::Yes;
}

}  // namespace ketrel
