#pragma once

#include <QComboBox>

#include "card_actions.h"

namespace ketrel {

// A drop-down of the ten card actions; its index is the stored value.
inline QComboBox* NewCardActionBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const char* text : kCardActions) box->addItem(QString::fromUtf8(text));
    box->setMinimumWidth(160);
    return box;
}

}  // namespace ketrel
