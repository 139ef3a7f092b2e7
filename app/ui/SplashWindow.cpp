#include "app/ui/SplashWindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "skin/ui/SkinArt.h"
#include "skin/ui/WindowFront.h"

namespace {

constexpr int kSplashBitmap = 131;
SplashWindow* current = nullptr;

}  // namespace

SplashWindow::SplashWindow(int displayMs)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(SkinArt::SizeOf(kSplashBitmap));
    setCursor(Qt::ArrowCursor);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &SplashWindow::End);
    timer_.start(displayMs);
    current = this;
}

SplashWindow::~SplashWindow() {
    if (current == this) current = nullptr;
}

SplashWindow* SplashWindow::Current() {
    return current;
}

void SplashWindow::End() {
    if (ending_) return;
    ending_ = true;
    timer_.stop();
    if (current == this) current = nullptr;
    hide();
    // The picture had the keyboard; the main window takes it back.
    if (QWidget* main = MainWindow(); main && main->isVisible()) main->activateWindow();
    Q_EMIT ended();
    deleteLater();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, SkinArt::Bitmap(kSplashBitmap, devicePixelRatioF()));
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    End();
}

void SplashWindow::mousePressEvent(QMouseEvent* event) {
    event->accept();
    End();
}
