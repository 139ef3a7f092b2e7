#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>

// The geometry of the thumbnail grid: cells 116 pixels apart across and 118 down, each a
// 104 x 78 thumbnail box with its number band above and its caption below, and the rules that
// turn a point into a cell or a drop place. Pure functions in view client coordinates (y
// already scrolled); any thread.

// The grid's fixed sizes, in pixels.
namespace thumbs {

inline constexpr int kPitchX = 116;
inline constexpr int kPitchY = 118;
inline constexpr int kMargin = 14;
inline constexpr int kBoxWidth = 104;
inline constexpr int kBoxHeight = 78;
inline constexpr int kDropWidening = 52;        // a drop may land in the gap beside a cell
inline constexpr int kDragThreshold = 20;       // pixels from the press before a drag starts
inline constexpr int kAutoScrollBand = 24;      // pixels inside the view's top and bottom
inline constexpr int kAutoScrollStep = 10;      // inside the band
inline constexpr int kAutoScrollFastStep = 24;  // beyond the edge

}  // namespace thumbs

struct ThumbGrid {
    int columns = 1;
    int rows = 0;
};

// columns = (client width - 10) div 116 (at least 1); rows to hold count entries.
ThumbGrid ComputeGrid(int clientWidth, int count);
// The scrollable height of a grid of rows.
inline int ContentHeight(int rows) {
    return thumbs::kPitchY * rows + thumbs::kMargin;
}

struct ThumbCell {
    QRect box;         // the thumbnail box, 104 x 78
    QRect frame;       // the selection frame with the number band, 112 x 94
    QRect caption;     // the file name, 104 x 14
    QRect background;  // the whole cell, 112 x 114
};

ThumbCell CellAt(int index, int columns, int scroll);

// The thumbnail within its box, fitted to the image's aspect: 104 wide and centred vertically
// when the image is wider than 4:3, else 78 high and centred across (sizes and offsets
// truncated).
QRect ThumbnailRect(const QRect& box, float imageWidth, float imageHeight);

// The entry whose cell background holds the point, or -1.
int HitTest(QPoint point, int count, int columns, int scroll);
// The entry a drop at the point goes to: the first whose background, widened by 52 pixels
// left and right, holds the point (the earlier one where two overlap); -1 between rows.
int DropHitTest(QPoint point, int count, int columns, int scroll);
// Before the target when the point is left of its centre.
bool DropBefore(const QRect& background, int x);
// The 2-pixel marker in the gap before or after a cell.
QRect DropMarker(const QRect& background, bool before);
// A drop that changes nothing: outside every cell, on the source, or in a gap beside it.
bool IsNoOpDrop(int target, bool before, int source);

// The drag picture's size: the image bound to 104 x 78 with the constants that usually leave
// the bounding side one pixel short (800 x 600 gives 103 x 77).
QSize DragPictureSize(int width, int height);

// How far a key moves the keyboard's place in a grid of columns holding count entries: Left and
// Right a place, Up and Down a row, Home and End past either end; nothing for any other key.
std::optional<int> KeyStep(int key, int columns, int count);

// The auto-scroll step for a cursor at y (screen) over a view spanning top..bottom: 0 outside
// the bands.
int AutoScrollStep(int y, int top, int bottom);
