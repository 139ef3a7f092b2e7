#include "thumbs/ThumbLayout.h"

#include <algorithm>

using namespace thumbs;

ThumbGrid ComputeGrid(int clientWidth, int count) {
    ThumbGrid grid;
    grid.columns = std::max(1, (clientWidth - 10) / kPitchX);
    grid.rows = count / grid.columns + (count % grid.columns != 0 ? 1 : 0);
    return grid;
}

ThumbCell CellAt(int index, int columns, int scroll) {
    const int col = index % columns;
    const int row = index / columns;
    ThumbCell cell;
    cell.box =
        QRect(kMargin + kPitchX * col, kMargin + kPitchY * row - scroll, kBoxWidth, kBoxHeight);
    cell.frame = QRect(cell.box.left() - 4, cell.box.top() - 10, 112, 94);
    cell.caption = QRect(cell.box.left(), cell.box.top() + kBoxHeight + 8, kBoxWidth, 14);
    cell.background = QRect(cell.box.left() - 4, cell.box.top() - 10, 112, 114);
    return cell;
}

QRect ThumbnailRect(const QRect& box, float imageWidth, float imageHeight) {
    if (imageWidth <= 0 || imageHeight <= 0) return box;
    const float h = kBoxWidth * imageHeight / imageWidth;
    if (h < kBoxHeight) {
        return QRect(box.left(), box.top() + int((kBoxHeight - h) / 2), kBoxWidth, int(h));
    }
    const float w = kBoxHeight * imageWidth / imageHeight;
    return QRect(box.left() + int((kBoxWidth - w) / 2), box.top(), int(w), kBoxHeight);
}

int HitTest(QPoint point, int count, int columns, int scroll) {
    // Backgrounds start at (10, 4) and leave 4-pixel gaps.
    const int x = point.x() - (kMargin - 4);
    const int y = point.y() + scroll - (kMargin - 10);
    if (x < 0 || y < 0) return -1;
    const int col = x / kPitchX;
    const int row = y / kPitchY;
    if (col >= columns || x % kPitchX >= 112 || y % kPitchY >= 114) return -1;
    const int index = row * columns + col;
    return index < count ? index : -1;
}

int DropHitTest(QPoint point, int count, int columns, int scroll) {
    const int y = point.y() + scroll - (kMargin - 10);
    if (y < 0 || y % kPitchY >= 114) return -1;
    const int row = y / kPitchY;
    for (int col = 0; col < columns; ++col) {
        const int index = row * columns + col;
        if (index >= count) break;
        const QRect background = CellAt(index, columns, scroll).background;
        if (point.x() >= background.left() - kDropWidening &&
            point.x() <= background.right() + kDropWidening) {
            return index;
        }
    }
    return -1;
}

bool DropBefore(const QRect& background, int x) {
    const int right = background.left() + background.width();  // exclusive
    const int centre = right - background.width() / 2;
    return centre > x;
}

QRect DropMarker(const QRect& background, bool before) {
    const int right = background.left() + background.width();
    const int x = before ? background.left() - 3 : right + 1;
    return QRect(x, background.top() + 6, 2, background.height() - 12);
}

bool IsNoOpDrop(int target, bool before, int source) {
    if (target < 0 || source < 0 || target == source) return true;
    return (target - 1 == source && before) || (target + 1 == source && !before);
}

QSize DragPictureSize(int width, int height) {
    // The single-precision constants are a little above 1/104 and 1/78.
    const float a = float(width) * 0.009615385f;
    const float b = float(height) * 0.012820513f;
    const float s = a <= b ? b : a;
    if (s <= 0) return QSize();
    return QSize(int(double(width) / double(s)), int(double(height) / double(s)));
}

int AutoScrollStep(int y, int top, int bottom) {
    if (y - top < kAutoScrollBand) return y < top ? -kAutoScrollFastStep : -kAutoScrollStep;
    if (bottom - y < kAutoScrollBand) return y > bottom ? kAutoScrollFastStep : kAutoScrollStep;
    return 0;
}

std::optional<int> KeyStep(int key, int columns, int count) {
    switch (key) {
        case Qt::Key_Left:
            return -1;
        case Qt::Key_Right:
            return 1;
        case Qt::Key_Up:
            return -columns;
        case Qt::Key_Down:
            return columns;
        case Qt::Key_Home:
            return -count;
        case Qt::Key_End:
            return count;
        default:
            return std::nullopt;
    }
}
