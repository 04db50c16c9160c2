#pragma once

#include <QObject>
#include <QPixmap>
#include <QTimer>
#include <map>

#include "common/notifier.h"
#include "link/serial_link.h"

class QLabel;
class QProgressBar;
class QStatusBar;
class QWidget;

namespace ketrel {

// The status bar's elements, looked up by id, and what the link and the transfers show there:
// the port icon and name, the unit's model, and a transfer's step text and progress bar.
class StatusPanes : public QObject, public PortStatusView, public Progress {
    Q_OBJECT
  public:
    static constexpr int kStatus = 5350;
    static constexpr int kPortIcon = 5351;
    static constexpr int kPortName = 5352;
    static constexpr int kSignal = 5353;
    static constexpr int kModel = 5354;
    static constexpr int kModelSpare = 5355;
    static constexpr int kStepText = 5400;
    static constexpr int kProgressBar = 5401;
    static constexpr int kAnimationMs = 500;

    enum class PortAnimation { None, Open, Failed, Closed };

    explicit StatusPanes(QStatusBar* bar);

    QWidget* element(int id) const;
    QLabel* label(int id) const;
    QProgressBar* progressBar() const { return progress_; }

    void setModel(const QString& model);
    // A short note of what just happened (a request the unit did not answer, a line sent).
    void setStatusText(const QString& text);

  signals:
    // The port was opened, closed or lost: what the window shows of the unit is not current.
    void portChanged();

  public:
    void showPortOpen(const std::string& portName) override;
    void showPortFailed() override;
    void showPortClosed() override;

    void setRange(int low, int high) override;
    void setPosition(int position) override;
    void setStepText(const std::string& text) override;

    PortAnimation portAnimation() const { return animation_; }
    int animationFrame() const { return frame_; }

  private:
    void startAnimation(PortAnimation animation, const QPixmap& strip);
    void showFrame();

    std::map<int, QWidget*> elements_;
    QProgressBar* progress_;
    QTimer timer_;
    QPixmap strip_;
    PortAnimation animation_ = PortAnimation::None;
    int frame_ = 0;
};

}  // namespace ketrel
