#include "settings/network_address_field.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "platform/text_util.h"

namespace ketrel {

NetworkAddressField::NetworkAddressField(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const QRegularExpression byte(QStringLiteral("25[0-5]|2[0-4][0-9]|1[0-9]{0,2}|[1-9][0-9]?|0"));
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        auto* part = new QLineEdit(this);
        part->setObjectName(QStringLiteral("part%1").arg(i));
        part->setMaxLength(3);
        part->setAlignment(Qt::AlignCenter);
        part->setValidator(new QRegularExpressionValidator(byte, part));
        part->setFixedWidth(part->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 14);
        part->installEventFilter(this);
        parts_[i] = part;
        if (i > 0) row->addWidget(new QLabel(QStringLiteral("."), this));
        row->addWidget(part);
        connect(part, &QLineEdit::textChanged, this, &NetworkAddressField::changed);
        connect(part, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() == 3 && i + 1 < parts_.size()) focusPart(static_cast<int>(i) + 1);
        });
    }
    row->addStretch();
    setFocusProxy(parts_[0]);
}

void NetworkAddressField::setOctets(const Octets& octets) {
    for (std::size_t i = 0; i < parts_.size(); ++i) parts_[i]->setText(QString::number(octets[i]));
}

void NetworkAddressField::clear() {
    for (QLineEdit* part : parts_) part->clear();
}

bool NetworkAddressField::isBlank() const {
    for (QLineEdit* part : parts_) {
        if (!part->text().isEmpty()) return false;
    }
    return true;
}

Octets NetworkAddressField::octets() const {
    Octets out{};
    for (std::size_t i = 0; i < parts_.size(); ++i) {
        out[i] = static_cast<std::uint8_t>(parts_[i]->text().toUInt());  // blank: 0
    }
    return out;
}

void NetworkAddressField::focusPart(int index) {
    QLineEdit* part = parts_[static_cast<std::size_t>(index)];
    part->setFocus(Qt::TabFocusReason);
    part->selectAll();
}

bool NetworkAddressField::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (std::size_t i = 0; i < parts_.size(); ++i) {
            if (watched != parts_[i]) continue;
            const bool point = key->key() == Qt::Key_Period;
            const bool leftAtStart = key->key() == Qt::Key_Backspace && i > 0 &&
                                     parts_[i]->cursorPosition() == 0 &&
                                     !parts_[i]->hasSelectedText();
            if (point && i + 1 < parts_.size() && !parts_[i]->text().isEmpty()) {
                focusPart(static_cast<int>(i) + 1);
                return true;
            }
            if (leftAtStart) {
                QLineEdit* previous = parts_[i - 1];
                previous->setFocus(Qt::BacktabFocusReason);
                previous->end(false);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace ketrel
