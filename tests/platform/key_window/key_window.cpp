// A Qt window that writes each key it receives to standard output, one line each: "press
// 0xff56" or "release 0xff56" (the keysym), and "focus" once it has the keyboard. The tests and
// the benchmark start it under a private compositor and read its lines.
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QRasterWindow>
#include <cstdio>

namespace {

class KeyWindow : public QRasterWindow {
  protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::FocusIn) say("focus", 0);
        return QRasterWindow::event(e);
    }
    void keyPressEvent(QKeyEvent* e) override { say("press", e->nativeVirtualKey()); }
    void keyReleaseEvent(QKeyEvent* e) override { say("release", e->nativeVirtualKey()); }
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), Qt::white);
    }

  private:
    static void say(const char* what, quint32 keysym) {
        if (keysym != 0) {
            std::printf("%s 0x%x\n", what, keysym);
        } else {
            std::printf("%s\n", what);
        }
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    KeyWindow window;
    window.resize(400, 300);
    window.show();
    return app.exec();
}
