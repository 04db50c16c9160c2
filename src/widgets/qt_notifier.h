#pragma once

#include <QPointer>
#include <QWidget>

#include "common/notifier.h"

namespace ketrel {

// Message boxes owned by the main window (or standing alone while it does not exist yet).
class QtNotifier : public Notifier {
  public:
    // Longer messages show their lines after the first in a scrolling list.
    static constexpr int kMaxBoxLines = 15;

    explicit QtNotifier(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    void show(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace ketrel
