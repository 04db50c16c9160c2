#pragma once

#include <QString>
#include <vector>

class QWidget;

namespace ketrel {

// The looks of the 样式 menu: a Qt style and the colours of the ribbon, the navigation bar and
// the status bar.
struct VisualStyle {
    int id;
    QString menuText;
    QString qtStyle;
    QString ribbonTop;
    QString ribbonBottom;
    QString panelCaption;
    QString captionText;
    QString accent;
    // The states of the bars' buttons; each keeps the caption readable (4.5:1) on it.
    QString hover;
    QString pressed;
    QString disabledText;
};

inline constexpr int kDefaultApplicationLook = 216;

const std::vector<VisualStyle>& VisualStyles();
// The entry for the id, or the default look for an id the menu does not offer.
const VisualStyle& VisualStyleFor(int id);

// The look chosen last ("ApplicationLook"), kept in the user's settings across starts.
QString VisualStyleSettingsPath();
int StoredApplicationLook();
void StoreApplicationLook(int id);

// Puts the look into force for the whole application and the given window.
void ApplyVisualStyle(QWidget* window, int id);

}  // namespace ketrel
