#include "app/status_panes.h"

#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

#include "common/texts.h"
#include "widgets/icons.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
QFrame* Separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}
}  // namespace

StatusPanes::StatusPanes(QStatusBar* bar) : QObject(bar) {
    auto addLabel = [&](int id, const QString& text, const QString& tip, bool permanent) {
        auto* l = new QLabel(text, bar);
        l->setObjectName(QString("pane%1").arg(id));
        l->setToolTip(tip);
        if (permanent) {
            bar->addPermanentWidget(l);
        } else {
            bar->addWidget(l);
        }
        elements_[id] = l;
        return l;
    };

    addLabel(kStatus, QStringLiteral("状态"), QStringLiteral("Formatted Page Number"), false);
    bar->addWidget(Separator(bar));
    QLabel* icon = addLabel(kPortIcon, QString(), QStringLiteral("端口图标"), false);
    icon->setFixedSize(18, 18);
    icon->setPixmap(icons::AppIcon().pixmap(16, 16));
    addLabel(kPortName, QStringLiteral("COM1"), QStringLiteral("传输端口的编号"), false);
    addLabel(kSignal, QString(), QStringLiteral("通讯信号"), false);
    addLabel(kModel, QString(30, QChar('x')), QStringLiteral("Model"), false);
    addLabel(kModelSpare, QString(), QStringLiteral("Model"), false);
    bar->addPermanentWidget(Separator(bar));
    addLabel(kStepText, QStringLiteral("处理进度"), QStringLiteral("处理进度"), true);
    progress_ = new QProgressBar(bar);
    progress_->setObjectName(QString("pane%1").arg(kProgressBar));
    progress_->setToolTip(QStringLiteral("进度条"));
    progress_->setFixedSize(200, 22);
    progress_->setTextVisible(false);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    bar->addPermanentWidget(progress_);
    elements_[kProgressBar] = progress_;

    timer_.setInterval(kAnimationMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        const int frames = std::max(1, strip_.width() / icons::kPortFrameWidth);
        frame_ = (frame_ + 1) % frames;
        showFrame();
    });
}

QWidget* StatusPanes::element(int id) const {
    const auto it = elements_.find(id);
    return it == elements_.end() ? nullptr : it->second;
}

QLabel* StatusPanes::label(int id) const { return qobject_cast<QLabel*>(element(id)); }

void StatusPanes::setModel(const QString& model) {
    QLabel* l = label(kModel);
    l->setText(model);
    l->update();
}

void StatusPanes::setStatusText(const QString& text) {
    QLabel* l = label(kStatus);
    l->setText(text);
    l->setToolTip(text);
}

void StatusPanes::startAnimation(PortAnimation animation, const QPixmap& strip) {
    animation_ = animation;
    strip_ = strip;
    frame_ = 0;
    showFrame();
    timer_.start();
}

void StatusPanes::showFrame() {
    const int h = strip_.height();
    label(kPortIcon)->setPixmap(
        strip_.copy(frame_ * icons::kPortFrameWidth, 0, icons::kPortFrameWidth, h));
}

void StatusPanes::showPortOpen(const std::string& portName) {
    emit portChanged();
    startAnimation(PortAnimation::Open, icons::PortOpenStrip());
    label(kPortName)->setText(ToQ(portName));
    label(kPortIcon)->repaint();
    label(kPortName)->repaint();
}

void StatusPanes::showPortFailed() {
    emit portChanged();
    startAnimation(PortAnimation::Failed, icons::PortFailedStrip());
    label(kPortName)->setText(ToQ(texts::kPortPaneFailed));
    label(kPortIcon)->repaint();
    label(kPortName)->repaint();
}

void StatusPanes::showPortClosed() {
    emit portChanged();
    // An icon still showing an open port beside "已关闭" would say two things at once.
    startAnimation(PortAnimation::Closed, icons::PortFailedStrip());
    label(kPortName)->setText(ToQ(texts::kPortPaneClosed));
    label(kPortIcon)->repaint();
    label(kPortName)->repaint();
}

// A transfer runs on this thread without returning to the event loop, so each change is painted
// at once.
void StatusPanes::setRange(int low, int high) {
    progress_->setRange(low, high);
    progress_->repaint();
}

void StatusPanes::setPosition(int position) {
    progress_->setValue(position);
    progress_->repaint();
}

void StatusPanes::setStepText(const std::string& text) {
    QLabel* l = label(kStepText);
    l->setText(ToQ(text));
    l->repaint();
}

}  // namespace ketrel
