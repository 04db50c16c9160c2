#include "app/ribbon_bar.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/command_ids.h"
#include "widgets/icons.h"

namespace ketrel {

namespace {

// A check box that is the face of a checkable action.
QCheckBox* CheckBoxFor(QAction* action, QWidget* parent) {
    auto* box = new QCheckBox(action->text(), parent);
    box->setObjectName(action->objectName());
    box->setProperty("commandId", action->data());
    box->setChecked(action->isChecked());
    QObject::connect(box, &QCheckBox::clicked, action, [action, box] {
        // The action decides; the box shows whatever state the action ends in.
        box->setChecked(action->isChecked());
        action->trigger();
    });
    QObject::connect(action, &QAction::changed, box, [action, box] {
        box->setChecked(action->isChecked());
        box->setEnabled(action->isEnabled());
    });
    return box;
}

}  // namespace

RibbonBar::RibbonBar(const ActionOf& actionOf, QMenu* styleMenu, QWidget* parent)
    : QWidget(parent) {
    setObjectName("ribbon");
    setAttribute(Qt::WA_StyledBackground);

    // Tab row.
    auto* tabRow = new QWidget(this);
    tabRow->setObjectName("ribbonTabRow");
    mainButton_ = new QToolButton(tabRow);
    mainButton_->setObjectName("ribbonMainButton");
    mainButton_->setIcon(icons::AppIcon());
    mainButton_->setIconSize(QSize(24, 24));
    mainButton_->setAutoRaise(true);
    mainButton_->setPopupMode(QToolButton::InstantPopup);
    mainMenu_ = new QMenu(mainButton_);
    mainMenu_->addAction(actionOf(cmd::ID_APP_EXIT));
    mainButton_->setMenu(mainMenu_);

    auto* category = new QLabel(QStringLiteral("主页"), tabRow);
    category->setObjectName("ribbonCategory");

    styleButton_ = new QToolButton(tabRow);
    styleButton_->setObjectName("ribbonStyleButton");
    styleButton_->setText(QStringLiteral("样式"));
    styleButton_->setAutoRaise(true);
    styleButton_->setPopupMode(QToolButton::InstantPopup);
    styleButton_->setMenu(styleMenu);

    auto* about = new QToolButton(tabRow);
    about->setObjectName("ribbonAboutButton");
    about->setDefaultAction(actionOf(cmd::ID_APP_ABOUT));
    about->setToolButtonStyle(Qt::ToolButtonIconOnly);
    about->setIconSize(QSize(16, 16));
    about->setAutoRaise(true);

    auto* tabs = new QHBoxLayout(tabRow);
    tabs->setContentsMargins(4, 2, 4, 0);
    tabs->setSpacing(6);
    tabs->addWidget(mainButton_);
    tabs->addWidget(category, 0, Qt::AlignBottom);
    tabs->addStretch();
    tabs->addWidget(styleButton_);
    tabs->addWidget(about);

    // Panels of the category "主页".
    auto row = [](std::initializer_list<QWidget*> widgets) {
        auto* w = new QWidget;
        auto* l = new QHBoxLayout(w);
        l->setContentsMargins(2, 2, 2, 0);
        l->setSpacing(2);
        for (QWidget* child : widgets) l->addWidget(child);
        return w;
    };
    auto* panels = new QHBoxLayout;
    panels->setContentsMargins(4, 3, 4, 4);
    panels->setSpacing(4);
    panels->addWidget(
        panel(QStringLiteral("联机测试"), row({largeButton(actionOf(cmd::ID_BUTTON_INFO))})));
    panels->addWidget(
        panel(QStringLiteral("传输数据"), row({largeButton(actionOf(cmd::ID_BUTTON_WRITE_SYS)),
                                               largeButton(actionOf(cmd::ID_BUTTON_WRITE_CARD))})));
    // One large button and a column of three small ones, so the panel fits beside the others.
    auto smallColumn = [](std::initializer_list<QAction*> actions) {
        auto* w = new QWidget;
        auto* l = new QVBoxLayout(w);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        for (QAction* action : actions) {
            auto* button = new QToolButton(w);
            button->setObjectName(action->objectName());
            button->setProperty("commandId", action->data());
            button->setDefaultAction(action);
            button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
            button->setIconSize(QSize(16, 16));
            button->setAutoRaise(true);
            l->addWidget(button);
        }
        return w;
    };
    panels->addWidget(
        panel(QStringLiteral("配置维护"),
              row({largeButton(actionOf(cmd::ID_BUTTON_COMPARE)),
                   smallColumn({actionOf(cmd::ID_BUTTON_EXPORT), actionOf(cmd::ID_BUTTON_IMPORT),
                                actionOf(cmd::ID_BUTTON_TRAFFIC_LOG)})})));
    panels->addWidget(panel(QStringLiteral("通信端口"),
                            row({largeButton(actionOf(cmd::ID_BUTTON_PORT)),
                                 largeButton(actionOf(cmd::ID_BUTTON_PORT_OPEN_CLOSE))})));
    panels->addWidget(panel(
        QStringLiteral("物联配置"),
        row({largeButton(actionOf(cmd::ID_BUTTON_GATEWAY)),
             largeButton(actionOf(cmd::ID_BUTTON_II_PLUG)),
             largeButton(actionOf(cmd::ID_BUTTON_LIGHT)), largeButton(actionOf(cmd::ID_BUTTON_FAN)),
             largeButton(actionOf(cmd::ID_BUTTON_CURTAIN))})));
    auto* options = new QWidget;
    auto* optionsLayout = new QVBoxLayout(options);
    optionsLayout->setContentsMargins(6, 4, 6, 0);
    optionsLayout->addWidget(CheckBoxFor(actionOf(cmd::ID_CHECK_AUTORUN), options));
    optionsLayout->addWidget(CheckBoxFor(actionOf(cmd::ID_VIEW_STATUS_BAR), options));
    optionsLayout->addStretch();
    panels->addWidget(panel(QStringLiteral("选项"), options));
    panels->addStretch();

    // The panels scroll sideways when the window is narrower than they are, so every command
    // stays reachable.
    auto* panelRow = new QWidget;
    panelRow->setObjectName("ribbonPanelRow");
    panelRow->setLayout(panels);
    panelScroll_ = new QScrollArea(this);
    panelScroll_->setObjectName("ribbonScroll");
    panelScroll_->setFrameShape(QFrame::NoFrame);
    panelScroll_->setWidgetResizable(true);
    panelScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panelScroll_->setWidget(panelRow);
    panelScroll_->viewport()->setAutoFillBackground(false);
    panelRow->setAutoFillBackground(false);
    fitPanelHeight();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabRow);
    layout->addWidget(panelScroll_);
}

void RibbonBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitPanelHeight();
}

void RibbonBar::fitPanelHeight() {
    // Room for the scroll bar only while it is needed.
    const QSize content = panelScroll_->widget()->minimumSizeHint();
    const bool narrow = content.width() > width();
    panelScroll_->setFixedHeight(
        content.height() + (narrow ? panelScroll_->horizontalScrollBar()->sizeHint().height() : 0));
}

QWidget* RibbonBar::panel(const QString& caption, QWidget* content) {
    auto* frame = new QWidget(this);
    frame->setObjectName("ribbonPanel");
    frame->setAttribute(Qt::WA_StyledBackground);
    frame->setProperty("panelCaption", caption);
    content->setParent(frame);
    auto* label = new QLabel(caption, frame);
    label->setObjectName("ribbonPanelCaption");
    label->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(1);
    layout->addWidget(content, 1);
    layout->addWidget(label);
    return frame;
}

QToolButton* RibbonBar::largeButton(QAction* action) {
    auto* button = new QToolButton;
    button->setObjectName(action->objectName());
    button->setProperty("commandId", action->data());
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    button->setMinimumWidth(64);
    return button;
}

QStringList RibbonBar::panelCaptions() const {
    QStringList captions;
    for (QWidget* w : findChildren<QWidget*>("ribbonPanel")) {
        captions << w->property("panelCaption").toString();
    }
    return captions;
}

QString RibbonBar::panelOf(int id) const {
    for (QWidget* w : findChildren<QWidget*>("ribbonPanel")) {
        for (QWidget* control : w->findChildren<QWidget*>()) {
            const QVariant v = control->property("commandId");
            if (v.isValid() && v.toInt() == id) return w->property("panelCaption").toString();
        }
    }
    return {};
}

}  // namespace ketrel
