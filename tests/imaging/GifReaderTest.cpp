#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "imaging/ImageLoader.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

// Frame pixel x, y as GifBytes draws it; black where the index is the transparent one.
QColor Expected(const corpus::GifLayout& layout, int x, int y) {
    const int index = (x * 7 + y * 3) % 16;
    if (index == layout.transparent) return QColor(0, 0, 0);
    int r = 0, g = 0, b = 0;
    corpus::Colour16(index, &r, &g, &b);
    return QColor(r, g, b);
}

// The picture of a GIF is its first frame, as the reference decoders show it, whatever screen
// it stands on: the import's size check and the decoded picture agree on it, pixel for pixel.
// A 1000 x 1000 frame on a 30,000 x 30,000 screen passes the check and is read in a moment,
// rather than drawing a screen of 900 million pixels around it.
TEST(GifReader, ThePictureIsTheFirstFrameWhateverItsScreen) {
    const struct Row {
        const char* name;
        corpus::GifLayout layout;
    } rows[] = {
        {"whole_screen", {}},
        {"frame_inside_the_screen", {.left = 7, .top = 4, .width = 20, .height = 13}},
        {"frame_past_the_screen", {.left = 40, .top = 30, .width = 20, .height = 13}},
        {"screen_of_no_size", {.screenWidth = 0, .screenHeight = 0, .width = 20, .height = 13}},
        {"transparent_index", {.transparent = 3}},
        {"local_table", {.localTable = true}},
        {"screen_of_30000",
         {.screenWidth = 30000,
          .screenHeight = 30000,
          .left = 20000,
          .top = 9000,
          .width = 1000,
          .height = 1000}},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".gif");
        WriteBytes(path, corpus::GifBytes(row.layout));
        EXPECT_EQ(ImageLoader::Examine(path).message, 0);
        CLead lead;
        lead.ReadFileInfo(path);
        EXPECT_EQ(QSize(lead.InfoWidth(), lead.InfoHeight()),
                  QSize(row.layout.width, row.layout.height));
        lead.LoadImage(path);
        const QImage pixels = lead.ToQImage();
        ASSERT_EQ(pixels.size(), QSize(row.layout.width, row.layout.height));
        EXPECT_FALSE(lead.Damaged());
        int wrong = 0;
        for (int y = 0; y < pixels.height(); ++y) {
            for (int x = 0; x < pixels.width(); ++x) {
                wrong += pixels.pixelColor(x, y) != Expected(row.layout, x, y);
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

}  // namespace
