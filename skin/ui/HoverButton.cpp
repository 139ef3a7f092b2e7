#include "skin/ui/HoverButton.h"

#include <QMouseEvent>

HoverButton::HoverButton(QWidget* parent) : QAbstractButton(parent) {
    // Hover is tracked from plain mouse moves, not only from enter and leave: a press dragged
    // off the button keeps the mouse grabbed, and no leave arrives until it is released.
    setMouseTracking(true);
}

void HoverButton::SetHovered(bool hovered) {
    if (hovered_ == hovered) return;
    hovered_ = hovered;
    update();
}

void HoverButton::enterEvent(QEnterEvent* event) {
    SetHovered(true);
    QAbstractButton::enterEvent(event);
}

void HoverButton::leaveEvent(QEvent* event) {
    SetHovered(false);
    QAbstractButton::leaveEvent(event);
}

void HoverButton::mouseMoveEvent(QMouseEvent* event) {
    SetHovered(rect().contains(event->position().toPoint()));
    QAbstractButton::mouseMoveEvent(event);
}

void HoverButton::hideEvent(QHideEvent* event) {
    SetHovered(false);
    QAbstractButton::hideEvent(event);
}

void HoverButton::changeEvent(QEvent* event) {
    // A disabled button gets no leave event, and a window that lost the activation may be
    // covered by another; either way the mouse is no longer "over" this button for us.
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled()) SetHovered(false);
        update();
    }
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) SetHovered(false);
    QAbstractButton::changeEvent(event);
}
