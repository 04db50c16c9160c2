#pragma once

#include <QString>
#include <string>

namespace ketrel {

// The core speaks UTF-8; the widgets speak QString.
inline QString ToQ(const std::string& text) { return QString::fromStdString(text); }
inline std::string FromQ(const QString& text) { return text.toStdString(); }

}  // namespace ketrel
