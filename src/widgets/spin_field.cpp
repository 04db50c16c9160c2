#include "widgets/spin_field.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace ketrel {

SpinField::SpinField(int maximum, int maxLength, QWidget* parent)
    : QWidget(parent), maximum_(maximum) {
    edit_ = new QLineEdit(this);
    if (maxLength > 0) edit_->setMaxLength(maxLength);
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    edit_->setAlignment(Qt::AlignRight);
    // One width for every length in use, so that a column of them lines up.
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 6 + 12);
    edit_->installEventFilter(this);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(down_, &QToolButton::clicked, this, [this] { stepBy(-1); });

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(edit_);
    row->addLayout(arrows);
    setFocusProxy(edit_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

int SpinField::position() const {
    long long value = 0;
    for (const QChar c : edit_->text()) {
        if (c < u'0' || c > u'9') break;
        // Past the maximum the rest of the digits change nothing.
        value = std::min<long long>(value * 10 + (c.unicode() - u'0'), maximum_);
    }
    return static_cast<int>(value);
}

void SpinField::setPosition(long long value) {
    edit_->setText(QString::number(std::clamp<long long>(value, 0, maximum_)));
}

void SpinField::stepBy(int steps) { setPosition(static_cast<long long>(position()) + steps); }

bool SpinField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ketrel
