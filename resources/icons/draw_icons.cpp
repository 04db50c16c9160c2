// Draws the program's icons into PNG files: ketrel-draw-icons <output directory>.
// The pictures are plain geometry on a 32-unit grid, scaled to each size, so they stay sharp
// and can be changed here and drawn again.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&)>;

QImage Render(int size, const Draw& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    return image;
}

QLinearGradient Vertical(const QColor& top, const QColor& bottom, double y0 = 0, double y1 = 32) {
    QLinearGradient g(0, y0, 0, y1);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

QPen Outline(const QColor& c, double w = 1.2) {
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// The control unit: a dark box with a lit screen and a row of keys.
void AppIcon(QPainter& p) {
    p.setPen(Outline(QColor(20, 40, 70), 1.0));
    p.setBrush(Vertical(QColor(70, 120, 190), QColor(25, 60, 120)));
    p.drawRoundedRect(QRectF(1.5, 4.5, 29, 23), 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(QColor(190, 240, 255), QColor(90, 190, 235), 7, 18));
    p.drawRoundedRect(QRectF(5, 8, 22, 10), 1.5, 1.5);
    p.setPen(Outline(QColor(20, 70, 120), 1.8));
    p.drawLine(QPointF(9, 10.5), QPointF(9, 15.5));
    p.drawLine(QPointF(13.5, 10.5), QPointF(9.5, 13));
    p.drawLine(QPointF(10.5, 12.5), QPointF(13.5, 15.5));
    p.setPen(Outline(QColor(20, 70, 120), 1.2));
    p.drawLine(QPointF(16, 13), QPointF(23, 13));
    p.setPen(Qt::NoPen);
    const QColor keys[] = {QColor(120, 220, 90), QColor(250, 200, 60), QColor(240, 90, 80),
                           QColor(230, 235, 240)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(keys[i]);
        p.drawRoundedRect(QRectF(5.5 + i * 5.6, 20.5, 4, 3.5), 1, 1);
    }
}

void Info(QPainter& p) {
    QRadialGradient g(12, 10, 18);
    g.setColorAt(0, QColor(120, 180, 255));
    g.setColorAt(1, QColor(20, 90, 200));
    p.setPen(Outline(QColor(15, 60, 140)));
    p.setBrush(g);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14, 7.5, 4, 4));
    p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1.2, 1.2);
}

void Sheet(QPainter& p, const QRectF& r) {
    p.setPen(Outline(QColor(110, 120, 130)));
    p.setBrush(Vertical(Qt::white, QColor(225, 230, 238)));
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - 6, r.top());
    path.lineTo(r.right(), r.top() + 6);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.drawPath(path);
    p.setPen(Outline(QColor(150, 170, 200), 1.4));
    for (double y = r.top() + 8; y < r.bottom() - 3; y += 3.5) {
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

void DownArrow(QPainter& p, double cx, double top, const QColor& fill) {
    QPainterPath a;
    a.moveTo(cx - 3, top);
    a.lineTo(cx + 3, top);
    a.lineTo(cx + 3, top + 6);
    a.lineTo(cx + 7, top + 6);
    a.lineTo(cx, top + 13);
    a.lineTo(cx - 7, top + 6);
    a.lineTo(cx - 3, top + 6);
    a.closeSubpath();
    p.setPen(Outline(fill.darker(160), 1.0));
    p.setBrush(Vertical(fill.lighter(140), fill, top, top + 13));
    p.drawPath(a);
}

void Chip(QPainter& p, const QRectF& r) {
    p.setPen(Outline(QColor(40, 40, 40), 1.0));
    p.setBrush(Vertical(QColor(90, 90, 100), QColor(40, 40, 48)));
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setPen(Outline(QColor(200, 180, 90), 1.2));
    for (double x = r.left() + 2; x < r.right() - 1; x += 3) {
        p.drawLine(QPointF(x, r.top()), QPointF(x, r.top() - 2));
        p.drawLine(QPointF(x, r.bottom()), QPointF(x, r.bottom() + 2));
    }
}

void WriteConfig(QPainter& p) {
    Sheet(p, QRectF(3, 2, 17, 21));
    Chip(p, QRectF(14, 23, 15, 6));
    DownArrow(p, 21.5, 8, QColor(40, 170, 60));
}

void Card(QPainter& p, const QRectF& r) {
    p.setPen(Outline(QColor(30, 80, 130)));
    p.setBrush(Vertical(QColor(120, 190, 240), QColor(40, 120, 200), r.top(), r.bottom()));
    p.drawRoundedRect(r, 2.5, 2.5);
    p.setPen(Outline(QColor(150, 110, 20), 0.8));
    p.setBrush(Vertical(QColor(255, 230, 130), QColor(220, 170, 40), r.top(), r.bottom()));
    p.drawRoundedRect(QRectF(r.left() + 3, r.top() + r.height() * 0.35, 6, 5), 1, 1);
    p.setPen(Outline(QColor(230, 245, 255), 1.3));
    p.drawLine(QPointF(r.left() + 12, r.top() + r.height() * 0.45),
               QPointF(r.right() - 3, r.top() + r.height() * 0.45));
    p.drawLine(QPointF(r.left() + 12, r.top() + r.height() * 0.7),
               QPointF(r.right() - 6, r.top() + r.height() * 0.7));
}

void WriteCard(QPainter& p) {
    Card(p, QRectF(2, 12, 24, 16));
    DownArrow(p, 23, 2, QColor(40, 170, 60));
}

void Connector(QPainter& p, const QRectF& r) {
    QPainterPath body;
    body.moveTo(r.left(), r.top());
    body.lineTo(r.right(), r.top());
    body.lineTo(r.right() - r.width() * 0.12, r.bottom());
    body.lineTo(r.left() + r.width() * 0.12, r.bottom());
    body.closeSubpath();
    p.setPen(Outline(QColor(60, 70, 80)));
    p.setBrush(Vertical(QColor(210, 215, 222), QColor(140, 150, 160), r.top(), r.bottom()));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 55, 65));
    const double step = r.width() / 6.5;
    for (int i = 0; i < 5; ++i) {
        p.drawEllipse(QPointF(r.left() + step * (1.15 + i), r.top() + r.height() * 0.33), 1.1, 1.1);
    }
    for (int i = 0; i < 4; ++i) {
        p.drawEllipse(QPointF(r.left() + step * (1.65 + i), r.top() + r.height() * 0.7), 1.1, 1.1);
    }
}

void Gear(QPainter& p, QPointF c, double outer, double inner, const QColor& color) {
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth;
        const double a1 = (i + 0.5) * M_PI / teeth;
        const double r = (i % 2 == 0) ? outer : inner;
        const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, inner * 0.45, inner * 0.45);
    p.setPen(Outline(color.darker(170), 1.0));
    p.setBrush(Vertical(color.lighter(130), color, c.y() - outer, c.y() + outer));
    p.drawPath(gear.subtracted(hole));
}

void PortSetup(QPainter& p) {
    Connector(p, QRectF(2, 4, 22, 12));
    Gear(p, QPointF(21, 22), 9, 6.5, QColor(110, 130, 160));
}

void Power(QPainter& p) {
    QRadialGradient g(13, 11, 18);
    g.setColorAt(0, QColor(140, 230, 120));
    g.setColorAt(1, QColor(30, 140, 40));
    p.setPen(Outline(QColor(20, 90, 30)));
    p.setBrush(g);
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(Outline(Qt::white, 2.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 9.5, 14, 14), 120 * 16, 300 * 16);
    p.drawLine(QPointF(16, 7.5), QPointF(16, 15));
}

void Waves(QPainter& p, QPointF c, const QColor& color) {
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        p.setPen(Outline(color, 1.6));
        const double r = 3.2 * i;
        p.drawArc(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
}

void Gateway(QPainter& p) {
    p.setPen(Outline(QColor(60, 60, 70), 1.8));
    p.drawLine(QPointF(9, 20), QPointF(9, 12));
    p.drawLine(QPointF(23, 20), QPointF(23, 12));
    Waves(p, QPointF(16, 13), QColor(40, 140, 230));
    p.setPen(Outline(QColor(40, 45, 55)));
    p.setBrush(Vertical(QColor(110, 115, 130), QColor(45, 50, 60), 18, 29));
    p.drawRoundedRect(QRectF(2.5, 18.5, 27, 10), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    const QColor leds[] = {QColor(90, 240, 90), QColor(90, 240, 90), QColor(250, 190, 50),
                           QColor(90, 200, 255)};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(leds[i]);
        p.drawEllipse(QPointF(8 + i * 4.5, 23.5), 1.3, 1.3);
    }
}

void AirConditioner(QPainter& p) {
    p.setPen(Outline(QColor(110, 120, 130)));
    p.setBrush(Vertical(Qt::white, QColor(215, 222, 230), 3, 16));
    p.drawRoundedRect(QRectF(2.5, 4.5, 27, 12), 3, 3);
    p.setPen(Outline(QColor(150, 160, 170), 1.0));
    p.drawLine(QPointF(5, 13), QPointF(27, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 200, 90));
    p.drawEllipse(QPointF(25.5, 8.5), 1.2, 1.2);
    p.setPen(Outline(QColor(60, 160, 240), 1.8));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        QPainterPath w;
        const double x = 9 + i * 7;
        w.moveTo(x, 19);
        w.cubicTo(x - 3, 22, x + 3, 25, x, 29);
        p.drawPath(w);
    }
}

void Light(QPainter& p) {
    QRadialGradient glow(16, 12, 10);
    glow.setColorAt(0, QColor(255, 250, 200));
    glow.setColorAt(1, QColor(250, 200, 40));
    QPainterPath bulb;
    bulb.moveTo(11.5, 20);
    bulb.cubicTo(4, 14, 7, 2.5, 16, 2.5);
    bulb.cubicTo(25, 2.5, 28, 14, 20.5, 20);
    bulb.closeSubpath();
    p.setPen(Outline(QColor(190, 140, 20)));
    p.setBrush(glow);
    p.drawPath(bulb);
    p.setPen(Outline(QColor(80, 85, 95)));
    p.setBrush(Vertical(QColor(200, 205, 215), QColor(120, 125, 135), 20, 28));
    p.drawRoundedRect(QRectF(11.5, 20.5, 9, 6), 1.5, 1.5);
    p.drawLine(QPointF(12, 23.5), QPointF(20, 23.5));
    p.setBrush(QColor(80, 85, 95));
    p.drawRoundedRect(QRectF(13.5, 26.5, 5, 2.5), 1, 1);
}

void Fan(QPainter& p) {
    const QPointF c(16, 16);
    p.setPen(Outline(QColor(90, 100, 115)));
    p.setBrush(QColor(235, 240, 246));
    p.drawEllipse(c, 14, 14);
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 120);
        QPainterPath blade;
        blade.moveTo(0, 0);
        blade.cubicTo(2, -5, 9, -11, 4, -12.5);
        blade.cubicTo(0, -13.5, -4, -8, 0, 0);
        p.setPen(Outline(QColor(20, 90, 160), 0.8));
        p.setBrush(Vertical(QColor(110, 190, 250), QColor(30, 120, 210), -13, 0));
        p.drawPath(blade);
        p.restore();
    }
    p.setPen(Outline(QColor(50, 60, 70), 0.8));
    p.setBrush(QColor(100, 110, 125));
    p.drawEllipse(c, 2.8, 2.8);
}

void Curtain(QPainter& p) {
    p.setPen(Outline(QColor(120, 130, 140)));
    p.setBrush(Vertical(QColor(200, 230, 255), QColor(150, 200, 245), 5, 29));
    p.drawRect(QRectF(5.5, 5.5, 21, 23));
    p.setPen(Outline(QColor(90, 60, 30), 2.0));
    p.drawLine(QPointF(2, 4), QPointF(30, 4));
    for (int side = 0; side < 2; ++side) {
        QPainterPath c;
        if (side == 0) {
            c.moveTo(3, 4);
            c.lineTo(13, 4);
            c.cubicTo(9, 12, 8, 20, 11, 29);
            c.lineTo(3, 29);
        } else {
            c.moveTo(29, 4);
            c.lineTo(19, 4);
            c.cubicTo(23, 12, 24, 20, 21, 29);
            c.lineTo(29, 29);
        }
        c.closeSubpath();
        p.setPen(Outline(QColor(140, 30, 40), 1.0));
        p.setBrush(Vertical(QColor(230, 80, 90), QColor(170, 35, 50), 4, 29));
        p.drawPath(c);
    }
}

void About(QPainter& p) {
    p.setPen(Outline(QColor(20, 80, 160), 1.5));
    p.setBrush(Vertical(QColor(120, 190, 255), QColor(30, 110, 210)));
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(Outline(Qt::white, 3.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath q;
    q.moveTo(11, 12);
    q.cubicTo(11, 6, 21, 6, 21, 12);
    q.cubicTo(21, 16, 16, 16, 16, 20);
    p.drawPath(q);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 25), 2.1, 2.1);
}

void NavSettings(QPainter& p) {
    Gear(p, QPointF(13, 13), 11.5, 8.5, QColor(100, 130, 175));
    Gear(p, QPointF(24, 24), 7, 5, QColor(230, 160, 50));
}

void NavCards(QPainter& p) {
    Card(p, QRectF(6, 4, 24, 16));
    Card(p, QRectF(2, 12, 24, 16));
}

// A 16-pixel picture of the serial plug for the port pane.
void PortFrame(QPainter& p, bool open, int frame) {
    Connector(p, QRectF(2, 6, 24, 14));
    if (open) {
        // A lamp that pulses between the two frames.
        const QColor lamp = frame == 0 ? QColor(40, 220, 60) : QColor(20, 120, 30);
        p.setPen(Outline(QColor(10, 80, 20), 1.2));
        p.setBrush(lamp);
        p.drawEllipse(QPointF(25, 24), 6, 6);
    } else {
        const QColor cross = frame == 0 ? QColor(230, 30, 30) : QColor(150, 30, 30);
        p.setPen(Outline(cross, 4.0));
        p.drawLine(QPointF(19, 19), QPointF(29, 29));
        p.drawLine(QPointF(29, 19), QPointF(19, 29));
    }
}

QImage Strip(bool open, int frames) {
    QImage strip(16 * frames, 16, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int i = 0; i < frames; ++i) {
        p.drawImage(16 * i, 0, Render(16, [&](QPainter& q) { PortFrame(q, open, i); }));
    }
    return strip;
}

bool Save(const QImage& image, const QString& path) {
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    for (int size : {16, 32, 64, 128}) {
        ok &= Save(Render(size, AppIcon), out.filePath(QString("app-%1.png").arg(size)));
    }
    const struct {
        const char* name;
        void (*draw)(QPainter&);
    } icons[] = {
        {"info", Info},
        {"write-config", WriteConfig},
        {"write-card", WriteCard},
        {"port-setup", PortSetup},
        {"port-toggle", Power},
        {"gateway", Gateway},
        {"aircon", AirConditioner},
        {"light", Light},
        {"fan", Fan},
        {"curtain", Curtain},
        {"about", About},
        {"nav-settings", NavSettings},
        {"nav-cards", NavCards},
    };
    for (const auto& icon : icons) {
        ok &= Save(Render(32, icon.draw), out.filePath(QString("%1.png").arg(icon.name)));
    }
    ok &= Save(Strip(true, 2), out.filePath("port-open.png"));
    ok &= Save(Strip(false, 2), out.filePath("port-failed.png"));
    return ok ? 0 : 1;
}
