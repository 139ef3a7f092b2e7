#include "thumbs/ThumbnailRenderer.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "tests/support/Corpus.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"
#include "thumbs/Reordering.h"
#include "thumbs/Rotation.h"

using namespace testimages;

namespace {

class ThumbnailRendererTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testimages::EnsureCoreApplication(); }

    // count images of the given size, each the colour of the row it is added at, named by it.
    void Add(int count, int width, int height) {
        for (int i = 0; i < count; ++i) {
            const QColor colour = QColor::fromHsv((list.count() * 40) % 360, 255, 255);
            AddFile(JpegBytes(Solid(width, height, colour)),
                    QString("in%1-%2").arg(list.count()).arg(i));
        }
    }

    // A file of the given bytes.
    void AddFile(const QByteArray& bytes, const QString& name) {
        ImageLoader loader(list, prompter, QDir(temp.path()).filePath("work"));
        const QString path = QDir(temp.path()).filePath(name + ".jpg");
        WriteBytes(path, bytes);
        ASSERT_EQ(loader.AddImage(path, 0, 0), 1);
    }

    bool WaitUntilRendered(ThumbnailRenderer& renderer) {
        return QTest::qWaitFor([&] { return renderer.idle(); }, 20000);
    }

    QTemporaryDir temp;
    WorkingList list;
    ScriptedPrompter prompter;
};

// A camera's stored thumbnail is shown when it shows the picture as it is, turned as the
// picture is (each orientation's turn is ConvertStepsTest's); otherwise the picture is decoded. The
// colours tell which one a cell shows and which way up.
TEST_F(ThumbnailRendererTest, AStoredThumbnailStandsInOnlyForItsOwnPictureAsItIs) {
    // Thumbnails: blue left, green right; pictures: red left, yellow right.
    const QColor blue = Qt::blue, green = Qt::green, red = Qt::red, yellow = Qt::yellow;
    enum class Stored { Sound, CutShort };
    using enum Stored;
    const struct Row {
        const char* name;
        QSize picture;  // as stored, before its orientation is applied
        int orientation;
        QSize thumbnail;  // as stored
        Stored stored;
        QSize cell;     // the picture's size in its cell
        QColor first;   // left of the cell's middle (above it in a tall one)
        QColor second;  // right of it (below it)
    } rows[] = {
        {"Landscape", {800, 600}, 1, {160, 120}, Sound, {104, 78}, blue, green},
        {"TurnedRight", {800, 600}, 6, {160, 120}, Sound, {58, 78}, blue, green},
        {"ThreeToTwo", {900, 600}, 1, {160, 107}, Sound, {104, 69}, blue, green},
        {"FourToThreeOfAThreeToTwo", {900, 600}, 1, {160, 120}, Sound, {104, 69}, red, yellow},
        {"ThumbnailStoredUpright", {800, 600}, 6, {120, 160}, Sound, {58, 78}, red, yellow},
        {"NarrowerThanTheBox", {800, 600}, 1, {100, 75}, Sound, {104, 78}, red, yellow},
        {"CutShort", {800, 600}, 6, {160, 120}, CutShort, {58, 78}, red, yellow},
        {"PictureSmallerThanTheBox", {80, 60}, 1, {160, 120}, Sound, {80, 60}, red, yellow},
    };
    for (const Row& row : rows) {
        QByteArray thumbnail =
            JpegBytes(Halves(row.thumbnail.width(), row.thumbnail.height(), blue, green));
        if (row.stored == CutShort) thumbnail.truncate(thumbnail.size() * 6 / 10);
        const vips::VImage picture = Halves(row.picture.width(), row.picture.height(), red, yellow);
        AddFile(CameraJpeg(picture, thumbnail, row.orientation), row.name);
    }
    ThumbnailRenderer renderer(list);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        const QImage& shown = list.at(i).thumbnail;
        ASSERT_EQ(shown.size(), row.cell);
        const bool tall = shown.height() > shown.width();
        const QPoint first = tall ? QPoint(shown.width() / 2, shown.height() / 5)
                                  : QPoint(shown.width() / 5, shown.height() / 2);
        const QPoint second = tall ? QPoint(shown.width() / 2, shown.height() * 4 / 5)
                                   : QPoint(shown.width() * 4 / 5, shown.height() / 2);
        EXPECT_NEAR(shown.pixelColor(first).hue(), row.first.hue(), 8);
        EXPECT_NEAR(shown.pixelColor(second).hue(), row.second.hue(), 8);
    }
}

// A thumbnail keeps its size in the cell at every ratio and has that size times the ratio in
// pixels, made from the picture (or a stored thumbnail that is large enough), never enlarged
// from a 1x one.
TEST_F(ThumbnailRendererTest, AThumbnailHasTheScreensPixelsForItsPlaceInTheCell) {
    const QColor blue = Qt::blue, red = Qt::red;
    const struct Row {
        const char* name;
        QSize picture;
        qreal ratio;
        bool stored;   // a camera's 160 x 120 thumbnail in the file
        QSize cell;    // in logical pixels
        QColor shown;  // red: the picture; blue: the stored thumbnail
    } rows[] = {
        {"Landscape1.5x", {1600, 1200}, 1.5, false, {104, 78}, red},
        {"Landscape2x", {1600, 1200}, 2, false, {104, 78}, red},
        {"Portrait2x", {600, 800}, 2, false, {58, 78}, red},
        {"SmallerThanTheBox2x", {80, 60}, 2, false, {80, 60}, red},
        {"StoredThumbnailCoversTheBoxAt1.5x", {800, 600}, 1.5, true, {104, 78}, blue},
        {"StoredThumbnailTooSmallAt2x", {800, 600}, 2, true, {104, 78}, red},
    };
    const QByteArray stored = JpegBytes(Solid(160, 120, blue));
    for (const Row& row : rows) {
        const vips::VImage picture = Solid(row.picture.width(), row.picture.height(), red);
        AddFile(CameraJpeg(picture, row.stored ? stored : QByteArray(), 1), row.name);
    }
    for (int i = 0; i < int(std::size(rows)); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.name);
        const ImageEntry& entry = list.at(i);
        const QImage image = ThumbnailRenderer::Render(entry.workPath, entry.imageWidth,
                                                       entry.imageHeight, row.ratio);
        EXPECT_EQ(image.devicePixelRatio(), row.ratio);
        EXPECT_EQ(image.size(), (QSizeF(row.cell) * row.ratio).toSize());
        EXPECT_NEAR(image.pixelColor(image.rect().center()).hue(), row.shown.hue(), 8);
    }

    // A checkerboard of 8-pixel squares, 16 times the box: at 2x every pixel of the thumbnail
    // is one square, black or white; a 1x thumbnail holds two in a pixel, and enlarged it
    // would show grey.
    const QString squares = QDir(temp.path()).filePath("squares.jpg");
    WriteJpeg(Checkerboard(208, 156).zoom(8, 8), squares, 95);
    const QImage image = ThumbnailRenderer::Render(squares, 1664, 1248, 2);
    ASSERT_EQ(image.size(), QSize(208, 156));
    int steps = 0;
    for (int x = 0; x + 1 < image.width(); ++x) {
        steps += std::abs(qGray(image.pixel(x, 78)) - qGray(image.pixel(x + 1, 78))) > 160;
    }
    EXPECT_GE(steps, 200);
}

// A file that cannot be decoded is marked rendered without a thumbnail; a damaged one gets the
// thumbnail of what can be read. After a move to a screen of another ratio every other
// thumbnail is made again for it, and the undecodable file is not tried again.
TEST_F(ThumbnailRendererTest, ANewRatioBringsNewThumbnails) {
    Add(3, 1600, 1200);
    WriteBytes(list.at(1).workPath, "damaged since it was copied");
    // Cut short: the top of the picture is there, the rest is as the decoder leaves it.
    WriteBytes(list.at(2).workPath, corpus::CutAt(ReadBytes(list.at(2).workPath), 0.6));
    ThumbnailRenderer renderer(list, 1);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    // Row 0 turned right meanwhile: its thumbnail at once, and the one made again after it.
    list.SetSelected(0, true);
    TurnSelected(list, 1);
    EXPECT_EQ(list.at(0).thumbnail.size(), QSize(78, 104));
    QSignalSpy ready(&renderer, &ThumbnailRenderer::thumbnailReady);
    renderer.SetPixelRatio(2);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    EXPECT_EQ(ready.count(), 2);
    for (int row : {0, 2}) {
        EXPECT_EQ(list.at(row).thumbnail.size(), row == 0 ? QSize(156, 208) : QSize(208, 156))
            << row;
        EXPECT_EQ(list.at(row).thumbnail.devicePixelRatio(), 2.0) << row;
    }
    EXPECT_NEAR(list.at(2).thumbnail.pixelColor(100, 10).hue(), 80, 6) << "row 2's colour";
    EXPECT_TRUE(list.at(1).rendered);
    EXPECT_TRUE(list.at(1).thumbnail.isNull());
}

TEST_F(ThumbnailRendererTest, ImportsMovesAndDeletionsDuringRenderingLoseOrMixNothing) {
    Add(12, 2000, 1500);
    ThumbnailRenderer renderer(list);
    // While the first thumbnails are being made: move the last to the front, delete one,
    // and import more.
    list.SetSelected(11, true);
    MoveSelected(list, 0, true);
    QList<ImageEntry> entries = list.entries();
    entries.removeAt(5);
    list.ReplaceEntries(entries);
    Add(3, 640, 480);
    ASSERT_TRUE(WaitUntilRendered(renderer));
    ASSERT_EQ(list.count(), 14);
    for (int row = 0; row < list.count(); ++row) {
        const ImageEntry& entry = list.at(row);
        ASSERT_TRUE(entry.rendered) << row;
        // Each thumbnail shows its own entry's colour: the source name carries its number.
        const int added = entry.sourcePath.section('/', -1).mid(2).section('-', 0, 0).toInt();
        const QColor expected = QColor::fromHsv((added * 40) % 360, 255, 255);
        EXPECT_NEAR(entry.thumbnail.pixelColor(50, 38).hue(), expected.hue(), 6) << row;
    }
}

}  // namespace
