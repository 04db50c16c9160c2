#include "app/window_clock.h"

#include <QCoreApplication>
#include <QEvent>
#include <thread>

namespace ketrel {

namespace {

using namespace std::chrono_literals;

// Often enough for a window that looks alive, seldom enough to leave the polls their time.
constexpr auto kPumpInterval = 20ms;

// Swallows the user's input for as long as it exists.
class InputDropper : public QObject {
  public:
    InputDropper() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Shortcut:
            case QEvent::ShortcutOverride:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
                return true;
            default:
                return false;
        }
    }
};

}  // namespace

void WindowClock::sleepFor(Duration duration) {
    const TimePoint end = now() + duration;
    if (QCoreApplication::instance() && now() >= nextPump_) {
        InputDropper dropper;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        nextPump_ = now() + kPumpInterval;
    }
    const Duration left = end - now();
    if (left > Duration::zero()) std::this_thread::sleep_for(left);
}

}  // namespace ketrel
