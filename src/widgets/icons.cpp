#include "widgets/icons.h"

// Q_INIT_RESOURCE must be used outside a namespace.
static void InitKetrelResources() { Q_INIT_RESOURCE(ketrel); }

namespace ketrel::icons {

namespace {
void EnsureResources() {
    static const bool done = [] {
        InitKetrelResources();
        return true;
    }();
    (void)done;
}
}  // namespace

QIcon AppIcon() {
    EnsureResources();
    QIcon icon;
    for (int size : {16, 32, 64, 128}) {
        icon.addFile(QString(":/icons/app-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

QPixmap Pixmap(const QString& name) {
    EnsureResources();
    return QPixmap(QString(":/icons/%1.png").arg(name));
}

QIcon Icon(const QString& name) { return QIcon(Pixmap(name)); }

QPixmap PortOpenStrip() { return Pixmap("port-open"); }
QPixmap PortFailedStrip() { return Pixmap("port-failed"); }

}  // namespace ketrel::icons
