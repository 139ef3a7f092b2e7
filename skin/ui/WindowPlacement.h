#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a top-level window of the program goes: centred on the window it belongs to (or on the
// screen), and wholly inside the screen's available area where it fits. The place is given
// before the window is shown. A window manager that reparents a window while mapping it
// answers a move made during the show (QDialog centres itself in its show event) before it
// has placed its frame; Qt then believes the window stands at the frame's first corner, and
// menus, boxes and dialogs placed from that belief land away from the window. GUI thread.
// Whether the program can place its own top-level windows once they are shown. Not on Wayland:
// there the compositor alone places windows, a move is silently dropped and Qt then believes
// the window stands where it does not. Windows there are moved by the compositor
// (QWindow::startSystemMove) or not at all.
bool CanPlaceShownWindows();

// The available area (without panels and docks) of the screen the window shows on: its
// owner's screen when the owner is shown, else the window's own.
QRect AvailableArea(const QWidget* window);

// Each side cut down to the area's, but never below the minimum.
QSize FitInto(QSize size, QSize minimum, const QRect& area);

// The top-left corner that puts a window of this size in the middle of over.
QPoint CentreOn(const QRect& over, QSize size);

// The corner moved so that the window lies inside the area; a window larger than the area
// keeps its top-left corner (and with it the title band) inside.
QPoint KeepInside(QPoint topLeft, QSize size, const QRect& area);

// Gives a window that is about to be shown its size and place: its size fitted to the area,
// then centred on its owner (the window of its parent), or on the area without a shown
// owner, unless it was already moved on purpose; in every case kept inside the area. On
// Wayland only the size counts: the compositor places the window itself.
void PlaceBeforeShow(QWidget* window);
