#include "skin/ui/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

QWidget* ShownOwner(const QWidget* window) {
    QWidget* parent = window->parentWidget();
    if (parent == nullptr) return nullptr;
    QWidget* owner = parent->window();
    return owner->isVisible() && !owner->isMinimized() ? owner : nullptr;
}

}  // namespace

bool CanPlaceShownWindows() {
    return QGuiApplication::platformName() != QLatin1String("wayland");
}

QRect AvailableArea(const QWidget* window) {
    const QWidget* owner = ShownOwner(window);
    QScreen* screen = owner != nullptr ? owner->screen() : window->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect();
}

QSize FitInto(QSize size, QSize minimum, const QRect& area) {
    return QSize(std::max(std::min(size.width(), area.width()), minimum.width()),
                 std::max(std::min(size.height(), area.height()), minimum.height()));
}

QPoint CentreOn(const QRect& over, QSize size) {
    return QPoint(over.x() + (over.width() - size.width()) / 2,
                  over.y() + (over.height() - size.height()) / 2);
}

QPoint KeepInside(QPoint topLeft, QSize size, const QRect& area) {
    // The far edges first, so that for a window larger than the area the near ones win.
    const int x = std::max(std::min(topLeft.x(), area.right() + 1 - size.width()), area.left());
    const int y = std::max(std::min(topLeft.y(), area.bottom() + 1 - size.height()), area.top());
    return QPoint(x, y);
}

void PlaceBeforeShow(QWidget* window) {
    const QRect area = AvailableArea(window);
    if (area.isEmpty()) return;
    const QSize size = FitInto(window->size(), window->minimumSize(), area);
    if (size != window->size()) window->resize(size);
    QPoint topLeft;
    if (window->testAttribute(Qt::WA_Moved)) {
        topLeft = window->pos();
    } else if (const QWidget* owner = ShownOwner(window)) {
        topLeft = CentreOn(owner->frameGeometry(), size);
    } else {
        topLeft = CentreOn(area, size);
    }
    // A window shown before keeps its place when it still fits; every other one is moved, so
    // that QDialog does not centre it again in its show event.
    const QPoint target = KeepInside(topLeft, size, area);
    if (!window->testAttribute(Qt::WA_Moved) || target != window->pos()) window->move(target);
}
