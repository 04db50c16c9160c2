#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <map>

#include "app/command_ids.h"
#include "app/ribbon_bar.h"
#include "app/visual_style.h"
#include "widgets/qt_notifier.h"

namespace ketrel {
namespace {

double Luminance(QRgb c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

double Contrast(QRgb a, QRgb b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The most frequent colour of the image is its background; the text is the pixel that stands
// out most from it (the core of a glyph's stroke, where anti-aliasing leaves the full colour).
struct Measure {
    QRgb background = 0;
    double contrast = 1;
};

Measure MeasureText(const QImage& image) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    }
    Measure m;
    m.background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                       return a.second < b.second;
                   })->first;
    for (const auto& [colour, n] : counts)
        m.contrast = std::max(m.contrast, Contrast(colour, m.background));
    return m;
}

// Each state of a large ribbon button, in each look: its caption stays readable (4.5:1) and
// keyboard focus shows as a mark that stands out from the ribbon (3:1).
TEST(Looks, EveryStateOfARibbonButtonIsReadable) {
    QWidget window;
    QMenu styles;
    QAction info(QStringLiteral("获取信息"));
    info.setData(cmd::ID_BUTTON_INFO);
    QAction other(QStringLiteral("其他"));
    auto* ribbon = new RibbonBar([&](int id) { return id == cmd::ID_BUTTON_INFO ? &info : &other; },
                                 &styles, &window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(ribbon);
    window.resize(1000, 160);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QToolButton* button = nullptr;
    for (auto* b : ribbon->findChildren<QToolButton*>()) {
        if (b->defaultAction() == &info) button = b;
    }
    ASSERT_NE(button, nullptr);
    button->setIcon(QIcon());  // the caption alone is measured

    enum State { Normal, Hover, Pressed, Focus, Disabled };
    const char* names[] = {"normal", "hover", "pressed", "focus", "disabled"};
    for (const VisualStyle& look : VisualStyles()) {
        ApplyVisualStyle(&window, look.id);
        QImage normal;
        for (State state : {Normal, Hover, Pressed, Focus, Disabled}) {
            button->setAttribute(Qt::WA_UnderMouse, state == Hover);
            button->setDown(state == Pressed);
            button->setEnabled(state != Disabled);
            if (state == Focus) {
                button->setFocus(Qt::TabFocusReason);
            } else {
                button->clearFocus();
            }
            QApplication::processEvents();
            const QImage image =
                window.grab(QRect(button->mapTo(&window, QPoint(0, 0)), button->size()))
                    .toImage()
                    .convertToFormat(QImage::Format_RGB32);
            const QImage inner = image.copy(image.rect().adjusted(4, 4, -4, -4));
            const Measure m = MeasureText(inner);
            EXPECT_GE(m.contrast, 4.5) << look.menuText.toStdString() << ", " << names[state];
            if (state == Normal) normal = image;
            if (state == Focus) {
                double mark = 1;
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        if (image.pixel(x, y) != normal.pixel(x, y)) {
                            mark = std::max(mark, Contrast(image.pixel(x, y), m.background));
                        }
                    }
                }
                EXPECT_GE(mark, 3.0) << look.menuText.toStdString() << ": focus is not seen";
            }
        }
    }
}

// The 69 problems of an import make a box that still fits the screen and keeps every line.
TEST(Looks, ALongMessageScrollsInsideTheScreen) {
    std::string text = "导入失败：";
    for (int i = 1; i <= 69; ++i) text += "\n第" + std::to_string(i) + "行：数值超出范围";
    QRect box;
    QString shown;
    QTimer::singleShot(0, [&] {
        auto* b = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!b) return;
        box = b->frameGeometry();
        shown = b->text() + "\n" + b->detailedText();
        b->accept();
    });
    QtNotifier().show(text, "KetrelV4.0", MessageIcon::Warning);
    EXPECT_TRUE(shown.toStdString() == text);
    EXPECT_LE(box.height(), QApplication::primaryScreen()->availableGeometry().height());
}

}  // namespace
}  // namespace ketrel
