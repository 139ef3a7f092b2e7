#include "thumbs/ThumbLayout.h"

#include <gtest/gtest.h>

using namespace thumbs;

namespace {

TEST(ThumbLayout, GridAndCells) {
    EXPECT_EQ(ComputeGrid(474, 10).columns, 4);  // (474 - 10) div 116
    EXPECT_EQ(ComputeGrid(589, 10).columns, 4);
    EXPECT_EQ(ComputeGrid(590, 10).columns, 5);
    EXPECT_EQ(ComputeGrid(100, 3).columns, 1) << "at least one column";
    EXPECT_EQ(ComputeGrid(474, 0).rows, 0);
    EXPECT_EQ(ComputeGrid(474, 8).rows, 2);
    EXPECT_EQ(ComputeGrid(474, 9).rows, 3);
    EXPECT_EQ(ContentHeight(0), 14);
    EXPECT_EQ(ContentHeight(3), 368);

    // The 9th image of a 4-column grid: first column of the third row.
    const ThumbCell ninth = CellAt(8, 4, 0);
    EXPECT_EQ(ninth.box, QRect(14, 250, 104, 78));
    EXPECT_EQ(ninth.frame, QRect(10, 240, 112, 94));
    EXPECT_EQ(ninth.caption, QRect(14, 336, 104, 14));
    EXPECT_EQ(ninth.background, QRect(10, 240, 112, 114));
    EXPECT_EQ(CellAt(8, 4, 100).box.topLeft(), QPoint(14, 150));
    EXPECT_EQ(CellAt(5, 4, 0).box.topLeft(), QPoint(130, 132));
}

TEST(ThumbLayout, ThumbnailFitsTheBoxByAspect) {
    const QRect box(14, 14, 104, 78);
    struct Case {
        float w, h;
        QRect fitted;
    } const cases[] = {
        {400, 300, {14, 14, 104, 78}},
        {300, 400, {14 + 22, 14, 58, 78}},  // 58.5 wide, offset from the unrounded width
        {400, 100, {14, 14 + 26, 104, 26}},
        {80, 60, {14, 14, 104, 78}},
        {4000, 3000, {14, 14, 104, 78}},
        {1920, 1080, {14, 14 + 9, 104, 58}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ThumbnailRect(box, c.w, c.h), c.fitted) << c.w << "x" << c.h;
}

TEST(ThumbLayout, HitTestCoversTheWholeCellButNotTheGaps) {
    // Four columns, ten entries: backgrounds at x = 10 + 116 c, y = 4 + 118 r.
    struct Case {
        QPoint point;
        int scroll;
        int index;
    } const cases[] = {
        {{10, 4}, 0, 0},     {{121, 117}, 0, 0},
        {{122, 50}, 0, -1},                                // gap across
        {{126, 50}, 0, 1},   {{50, 118}, 0, -1},           // gap down
        {{50, 122}, 0, 4},   {{14 + 20, 250 + 90}, 0, 8},  // caption of the 9th
        {{250, 250}, 0, 10}, {{370, 250}, 0, -1},          // the last, then past the end
        {{50, 4}, 118, 4},   {{5, 50}, 0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTest(c.point, 11, 4, c.scroll), c.index) << c.point.x() << "," << c.point.y();
    }
}

TEST(ThumbLayout, DropsLandInTheGapsBesideCells) {
    // Row 0 of four: backgrounds 10..121, 126..237, 242..353, 358..469.
    struct Case {
        int x, y;
        int target;
        bool before;
    } const cases[] = {
        {30, 50, 0, true},    {100, 50, 0, false},  {123, 50, 0, false},  // gap: earlier wins
        {170, 50, 0, false},  {180, 50, 1, true},   {200, 50, 1, false},
        {128, 50, 0, false},  {470, 50, 3, false},  {520, 50, 3, false},
        {530, 50, -1, false}, {50, 118, -1, false},  // between rows
    };
    for (const Case& c : cases) {
        const int target = DropHitTest(QPoint(c.x, c.y), 8, 4, 0);
        EXPECT_EQ(target, c.target) << c.x << "," << c.y;
        if (target >= 0) {
            EXPECT_EQ(DropBefore(CellAt(target, 4, 0).background, c.x), c.before) << c.x;
        }
    }
    const QRect background = CellAt(1, 4, 0).background;  // 126, 4, 112 x 114
    EXPECT_EQ(DropMarker(background, true), QRect(123, 10, 2, 102));
    EXPECT_EQ(DropMarker(background, false), QRect(239, 10, 2, 102));
}

TEST(ThumbLayout, NoOpDrops) {
    EXPECT_TRUE(IsNoOpDrop(-1, true, 2));
    EXPECT_TRUE(IsNoOpDrop(2, true, 2));
    EXPECT_TRUE(IsNoOpDrop(3, true, 2)) << "just before the next one";
    EXPECT_TRUE(IsNoOpDrop(1, false, 2)) << "just after the previous one";
    EXPECT_FALSE(IsNoOpDrop(1, true, 2));
    EXPECT_FALSE(IsNoOpDrop(3, false, 2));
    EXPECT_FALSE(IsNoOpDrop(0, true, 2));
}

}  // namespace

// The keyboard's steps in a grid of 4 columns holding 10 entries; Home and End go past either
// end, where the place stops.
TEST(ThumbLayout, KeysStepThroughTheGrid) {
    const std::pair<int, std::optional<int>> steps[] = {
        {Qt::Key_Left, -1},        {Qt::Key_Right, 1},
        {Qt::Key_Up, -4},          {Qt::Key_Down, 4},
        {Qt::Key_Home, -10},       {Qt::Key_End, 10},
        {Qt::Key_A, std::nullopt}, {Qt::Key_Space, std::nullopt},
    };
    for (const auto& [key, step] : steps) EXPECT_EQ(KeyStep(key, 4, 10), step) << key;
}
