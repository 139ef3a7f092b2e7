#pragma once

#include <QWidget>

struct ImageEntry;

// The picture that follows the cursor while images are dragged: the source's thumbnail bound
// to 104 x 78, with a red badge counting the images when more than one moves. Pure black is
// see-through. A frameless window above everything, ignored by the mouse; on Wayland, where a
// program cannot place its own windows, a child of the window the drag started in, drawn
// above its controls and cut off at its edges. GUI thread.
class DragPicture : public QWidget {
    Q_OBJECT

public:
    // window: the window of the view the images are dragged in.
    DragPicture(const ImageEntry& source, int selectedCount, QWidget* window);

    // The picture itself (for tests and for drawing).
    static QImage Make(const ImageEntry& source, int selectedCount);

    // Centres the picture on the cursor.
    void FollowCursor(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};
