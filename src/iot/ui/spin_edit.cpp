#include "spin_edit.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "qt_text.h"
#include "smart_socket.h"

namespace ketrel {

SpinEdit::SpinEdit(int maxLength, int maximum, QWidget* parent)
    : QWidget(parent), maximum_(maximum) {
    edit_ = new QLineEdit(this);
    edit_->setMaxLength(maxLength);
    edit_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit_));
    edit_->setAlignment(Qt::AlignRight);
    // One width for every length in use, so that a column of them lines up.
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("0")) * 6 + 12);
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
}

void SpinEdit::setPosition(long long value) {
    const long long position = std::clamp<long long>(value, 0, maximum_);
    edit_->setText(QString::number(position));
}

void SpinEdit::stepBy(int steps) { setPosition(iot::DecimalValue(FromQ(edit_->text())) + steps); }

}  // namespace ketrel
