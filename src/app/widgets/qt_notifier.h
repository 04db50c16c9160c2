#pragma once

#include <QPointer>
#include <QWidget>

#include "notifier.h"

namespace ketrel {

// Message boxes owned by the main window (or standing alone while it does not exist yet).
class QtNotifier : public Notifier {
  public:
    explicit QtNotifier(QWidget* owner = nullptr) : owner_(owner) {}
    void setOwner(QWidget* owner) { owner_ = owner; }

    void show(const std::string& text, const std::string& caption, MessageIcon icon) override;
    bool confirm(const std::string& text, const std::string& caption, MessageIcon icon) override;

  private:
    QPointer<QWidget> owner_;
};

}  // namespace ketrel
