#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace ketrel::icons {

// The application's icon at every size drawn for it.
QIcon AppIcon();
// One of the drawn pictures by name (info, write-config, nav-cards, ...).
QIcon Icon(const QString& name);
QPixmap Pixmap(const QString& name);

// The port pane's animations: strips of 16-pixel frames.
inline constexpr int kPortFrameWidth = 16;
QPixmap PortOpenStrip();
QPixmap PortFailedStrip();

}  // namespace ketrel::icons
