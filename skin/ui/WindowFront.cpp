#include "skin/ui/WindowFront.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget>& Registered() {
    static QPointer<QWidget> window;
    return window;
}

}  // namespace

void SetMainWindow(QWidget* window) {
    Registered() = window;
}

QWidget* MainWindow() {
    return Registered().data();
}

void BringMainWindowToFront() {
    QWidget* window = MainWindow();
    if (window == nullptr) return;
    // Noted before the main window is touched: activating it must not lose track of the
    // dialog that was in front of it.
    QWidget* popup = QApplication::activeModalWidget();
    if (window->isMinimized()) {
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    if (window->isHidden()) return;
    window->raise();
    window->activateWindow();
    if (popup != nullptr && popup != window && popup->isVisible()) {
        popup->raise();
        popup->activateWindow();
    }
}

QWidget* BoxOwner() {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    QWidget* window = MainWindow();
    // A box of the start-up, before the main window is shown, stands on its own.
    return window != nullptr && window->isVisible() ? window : nullptr;
}
