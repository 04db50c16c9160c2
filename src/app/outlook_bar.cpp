#include "app/outlook_bar.h"

#include <QToolButton>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "widgets/icons.h"

namespace ketrel {

COutlookBar::COutlookBar(QWidget* parent) : QDockWidget(QStringLiteral("."), parent) {
    setObjectName("COutlookBar");
    // Docked at the left for good: it can be made wider but not floated or closed.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(Qt::LeftDockWidgetArea);
    setTitleBarWidget(new QWidget(this));

    auto* pane = new QWidget(this);
    pane->setObjectName("outlookPane");
    pane->setAttribute(Qt::WA_StyledBackground);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(4, 8, 4, 8);
    layout->setSpacing(8);

    const struct {
        int id;
        const char* text;
        const char* icon;
    } entries[] = {
        {cmd::ID_NAV_SYS_SETTING, "系统设置", "nav-settings"},
        {cmd::ID_NAV_CARD, "本地IC卡管理", "nav-cards"},
    };
    QFont bold = font();
    bold.setBold(true);
    for (const auto& e : entries) {
        auto* b = new QToolButton(pane);
        b->setObjectName(QString("nav%1").arg(e.id));
        b->setText(QString::fromUtf8(e.text));
        b->setIcon(icons::Icon(e.icon));
        b->setIconSize(QSize(32, 32));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setFont(bold);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        const int id = e.id;
        connect(b, &QToolButton::clicked, this, [this, id] { emit commandTriggered(id); });
        layout->addWidget(b);
        buttons_[e.id] = b;
    }
    layout->addStretch();
    setWidget(pane);
}

QToolButton* COutlookBar::button(int commandId) const {
    const auto it = buttons_.find(commandId);
    return it == buttons_.end() ? nullptr : it->second;
}

void COutlookBar::setCurrent(int commandId) {
    if (QToolButton* b = button(commandId)) b->setChecked(true);
}

}  // namespace ketrel
