#pragma once

#include <QPixmap>
#include <QWidget>

#include "core/ImageEntry.h"

// The picture that follows the cursor while images are dragged: the source's thumbnail bound
// to 104 x 78, with a red badge counting the images when more than one moves. Pure black is
// see-through. A frameless window above everything, ignored by the mouse, its picture made at
// the pixel ratio of the screen it is on; on Wayland, where a program cannot place its own
// windows, a child of the window the drag started in, drawn above its controls and cut off at
// its edges. GUI thread.
class DragPicture : public QWidget {
    Q_OBJECT

public:
    // window: the window of the view the images are dragged in.
    DragPicture(const ImageEntry& source, int selectedCount, QWidget* window);

    // The picture itself for a screen of a device pixel ratio (for tests and for drawing): its
    // size in logical pixels is the same at every ratio, in pixels that size times the ratio.
    static QImage Make(const ImageEntry& source, int selectedCount, qreal ratio);

    // Centres the picture on the cursor.
    void FollowCursor(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ImageEntry source_;
    int selectedCount_;
    QPixmap picture_;  // at the ratio of the last paint
};
