#include "app/visual_style.h"

#include <QApplication>
#include <QSettings>
#include <QStyle>
#include <QStyleFactory>
#include <QWidget>

#include "platform/autostart.h"
#include "widgets/qt_text.h"

namespace ketrel {

namespace {
constexpr const char* kKey = "ApplicationLook";
}

const std::vector<VisualStyle>& VisualStyles() {
    // The black look's ribbon is dark enough for white captions even under the panels' light
    // veil, with room for a dimmer disabled caption.
    static const std::vector<VisualStyle> styles = {
        {215, QStringLiteral("Office 2007 (蓝色样式)(&B)"), "Fusion", "#e3edf9", "#c3d7ef",
         "#b5cce9", "#15428b", "#3c78c8", "#ffffff", "#b5cce9", "#555555"},
        {216, QStringLiteral("Office 2007 (黑色样式)(&L)"), "Fusion", "#3a3d41", "#26282b",
         "#2c2e31", "#ffffff", "#f0a030", "#1f2022", "#101112", "#dcdcdc"},
        {217, QStringLiteral("Office 2007 (银色样式)(&S)"), "Fusion", "#f4f5f7", "#d9dde3",
         "#c9ced6", "#3b3b3b", "#7a8494", "#ffffff", "#c9ced6", "#555555"},
        {218, QStringLiteral("Office 2007 (水绿色样式)(&A)"), "Fusion", "#e6f4f4", "#bfe0e0",
         "#a6d2d2", "#1d5656", "#2a9a9a", "#ffffff", "#a6d2d2", "#555555"},
        {219, QStringLiteral("Windows 7(&D)"), "Windows", "#f5f8fc", "#dfe8f3", "#dde6f1",
         "#1e395b", "#3399ff", "#ffffff", "#dde6f1", "#555555"},
    };
    return styles;
}

const VisualStyle& VisualStyleFor(int id) {
    for (const auto& s : VisualStyles()) {
        if (s.id == id) return s;
    }
    for (const auto& s : VisualStyles()) {
        if (s.id == kDefaultApplicationLook) return s;
    }
    return VisualStyles().front();
}

QString VisualStyleSettingsPath() { return ToQ(UserConfigHome() + "/HDMIVardo/Vardo.conf"); }

int StoredApplicationLook() {
    QSettings settings(VisualStyleSettingsPath(), QSettings::IniFormat);
    bool ok = false;
    const int id = settings.value(kKey, kDefaultApplicationLook).toInt(&ok);
    return ok ? VisualStyleFor(id).id : kDefaultApplicationLook;
}

void StoreApplicationLook(int id) {
    QSettings settings(VisualStyleSettingsPath(), QSettings::IniFormat);
    settings.setValue(kKey, id);
    settings.sync();
}

void ApplyVisualStyle(QWidget* window, int id) {
    const VisualStyle& s = VisualStyleFor(id);
    if (QApplication::style()->name().compare(s.qtStyle, Qt::CaseInsensitive) != 0) {
        if (QStyle* style = QStyleFactory::create(s.qtStyle)) QApplication::setStyle(style);
    }
    // Only the frame's own bars take the colours; pages and dialogs keep the plain palette so
    // that their texts stay readable in every look.
    // Every state of the bars' buttons is drawn here rather than by the Qt style, whose hover
    // box is light whatever the look. The focus mark is in the caption's colour, so it is seen
    // wherever the caption is.
    const QString buttons =
        QString(
            "#ribbon QToolButton, #outlookPane QToolButton { color: %1; background: transparent;"
            " border: 1px solid transparent; border-radius: 3px; padding: 2px; }"
            "#ribbon QToolButton:hover, #outlookPane QToolButton:hover { background: %2;"
            " border-color: %5; }"
            "#ribbon QToolButton:pressed, #outlookPane QToolButton:pressed,"
            " #outlookPane QToolButton:checked { background: %3; border-color: %5; }"
            "#outlookPane QToolButton:checked { border-left: 3px solid %6; }"
            "#ribbon QToolButton:focus, #outlookPane QToolButton:focus { border: 1px solid %1; }"
            "#ribbon QToolButton:disabled, #outlookPane QToolButton:disabled,"
            " #ribbon QCheckBox:disabled { color: %4; }")
            .arg(s.captionText, s.hover, s.pressed, s.disabledText, s.panelCaption, s.accent);
    const QString sheet =
        QString(
            "#ribbon { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1, stop:1 %2);"
            " border-bottom: 1px solid %3; }"
            "#ribbonTabRow QLabel { color: %4; }"
            "#ribbonCategory { background: %1; color: %4; border: 1px solid %3;"
            " border-bottom: none; padding: 3px 14px; font-weight: bold; }"
            "#ribbonPanel { background: rgba(255,255,255,40); border: 1px solid %3;"
            " border-radius: 3px; }"
            "#ribbonPanel QCheckBox { color: %4; }"
            "#ribbonPanelCaption { background: %3; color: %4; padding: 1px 4px; }"
            "#outlookPane { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 %1,"
            " stop:1 %2); }"
            "QStatusBar { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %1,"
            " stop:1 %2); color: %4; }"
            "QStatusBar QLabel { color: %4; }")
            .arg(s.ribbonTop, s.ribbonBottom, s.panelCaption, s.captionText) +
        buttons;
    window->setStyleSheet(sheet);
}

}  // namespace ketrel
