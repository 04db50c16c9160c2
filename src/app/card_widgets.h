#pragma once

#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/card_actions.h"

namespace ketrel {

// A drop-down of the ten card actions; its index is the stored value.
inline QComboBox* NewCardActionBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const char* text : kCardActions) box->addItem(QString::fromUtf8(text));
    box->setMinimumWidth(160);
    return box;
}

// The form of a card dialog: the number (with a hint under it, if any), the two actions and
// "确定" at the bottom right. Returns the button; the dialog keeps its size.
inline QPushButton* LayOutCardForm(QDialog* dialog, QWidget* number, QLabel* hint, QComboBox* enter,
                                   QComboBox* leave) {
    auto* ok = new QPushButton(QStringLiteral("确定"), dialog);
    ok->setObjectName("button1003");
    ok->setDefault(true);
    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("卡号"), dialog), row, 0);
    grid->addWidget(number, row++, 1);
    if (hint) grid->addWidget(hint, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("插卡执行"), dialog), row, 0);
    grid->addWidget(enter, row++, 1);
    grid->addWidget(new QLabel(QStringLiteral("拔卡执行"), dialog), row, 0);
    grid->addWidget(leave, row, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    dialog->setFixedSize(dialog->sizeHint());
    return ok;
}

}  // namespace ketrel
