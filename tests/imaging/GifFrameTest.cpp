#include "imaging/GifFrame.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "tests/support/Corpus.h"
#include "tests/support/HeapMeter.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

// The first frame on its screen, pixel for pixel as the library's own reader renders it
// (flattened on black), whatever its layout.
TEST(GifFrame, FramesDecodeAsTheLibrarysReaderRendersThem) {
    const struct Row {
        const char* name;
        corpus::GifLayout layout;
    } rows[] = {
        {"whole_screen", {}},
        {"interlaced", {.interlaced = true}},
        {"interlaced_odd_height", {.height = 31, .interlaced = true}},
        {"frame_inside_the_screen", {.left = 7, .top = 4, .width = 20, .height = 13}},
        {"frame_past_the_screen", {.left = 40, .top = 30, .width = 20, .height = 13}},
        {"transparent_index", {.transparent = 3}},
        {"local_table", {.localTable = true}},
        {"screen_of_no_size", {.screenWidth = 0, .screenHeight = 0, .width = 20, .height = 13}},
        // Every colour of the table used and none transparent: none of them is black.
        {"all_colours_framed",
         {.left = 3, .top = 2, .width = 40, .height = 24, .allColours = true}},
        {"all_colours_whole", {.allColours = true}},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".gif");
        WriteBytes(path, corpus::GifBytes(row.layout));
        QString damage;
        const VImage ours = imaging::DecodeGifFrame(path, false, &damage);
        EXPECT_EQ(damage, QString());
        VImage theirs = VImage::gifload(QFile::encodeName(path));
        if (theirs.bands() == 4) theirs = theirs.flatten();
        ASSERT_EQ(ours.width(), theirs.width());
        ASSERT_EQ(ours.height(), theirs.height());
        ASSERT_EQ(ours.bands(), 3);
        ASSERT_EQ(theirs.bands(), 3);
        EXPECT_EQ((ours.cast(VIPS_FORMAT_INT) - theirs.cast(VIPS_FORMAT_INT)).abs().max(), 0);
    }
}

TEST(GifFrame, ACutFrameKeepsItsTopOnlyWhenTolerant) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("cut.gif");
    const QByteArray whole = corpus::GifBytes({});
    WriteBytes(path, corpus::CutAt(whole, 0.5));
    QString damage;
    EXPECT_THROW(imaging::DecodeGifFrame(path, false, &damage), LeadError);
    const VImage kept = imaging::DecodeGifFrame(path, true, &damage);
    EXPECT_FALSE(damage.isEmpty());
    int r = 0, g = 0, b = 0;
    corpus::Colour16((5 * 7 + 2 * 3) % 16, &r, &g, &b);
    const std::vector<double> top = kept.getpoint(5, 2);
    EXPECT_EQ(top, (std::vector<double>{double(r), double(g), double(b)}));
    EXPECT_EQ(kept.crop(0, 31, 48, 1).max(), 0) << "the lost rows are black";
}

TEST(GifFrame, ACutInterlacedFrameKeepsThePassesItHolds) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("cut.gif");
    // 48 x 32: the first pass is rows 0, 8, 16, 24; the second 4, 12, 20, 28; the data ends
    // in the third.
    const QByteArray whole = corpus::GifBytes({.interlaced = true});
    WriteBytes(path, corpus::CutAt(whole, 0.45));
    QString damage;
    const VImage kept = imaging::DecodeGifFrame(path, true, &damage);
    EXPECT_FALSE(damage.isEmpty());
    for (int y : {0, 4, 8, 12, 16, 20, 24, 28}) {
        SCOPED_TRACE(y);
        int r = 0, g = 0, b = 0;
        corpus::Colour16((5 * 7 + y * 3) % 16, &r, &g, &b);
        EXPECT_EQ(kept.getpoint(5, y), (std::vector<double>{double(r), double(g), double(b)}));
    }
    EXPECT_EQ(kept.crop(0, 31, 48, 1).max(), 0) << "the last pass is lost: black";
}

// A few bytes that claim a large screen cost the rows their data reaches, not the screen (one
// byte a pixel would be 100 MB and more): the file the fuzz target found (55,305 x 15,617, no
// data at all), and a frame of 10,000 x 10,000 of which the data holds one pixel.
TEST(GifFrame, ATinyFileCostsTheRowsItReaches) {
    const QByteArray onePixel(
        "GIF89a\x10\x27\x10\x27\x80\0\0"
        "\0\0\0\xFF\xFF\xFF"
        "\x2C\0\0\0\0\x10\x27\x10\x27\0"
        "\x02\x02\x4C\x01\0\x3B",
        35);
    const struct Row {
        const char* name;
        QByteArray bytes;
        bool decodes;  // tolerantly: some pixels were decoded
    } rows[] = {
        {"fuzzed",
         QByteArray::fromHex("474946380000"
                             "09d850013d0305"
                             "2c000000000950013d0305"),
         false},
        {"one_pixel", onePixel, true},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".gif");
        WriteBytes(path, row.bytes);
        QString damage;
        HeapMeter meter;
        EXPECT_THROW(imaging::DecodeGifFrame(path, false, &damage), LeadError);
        if (!row.decodes) {
            EXPECT_THROW(imaging::DecodeGifFrame(path, true, &damage), LeadError);
            EXPECT_LT(meter.Peak().value_or(0), 8u << 20);
            continue;
        }
        const VImage kept = imaging::DecodeGifFrame(path, true, &damage);
        EXPECT_LT(meter.Held(), 4u << 20);
        EXPECT_LT(meter.Peak().value_or(0), 8u << 20);
        EXPECT_FALSE(damage.isEmpty());
        ASSERT_EQ(kept.width(), 10000);
        ASSERT_EQ(kept.height(), 10000);
        EXPECT_EQ(kept.getpoint(0, 0), (std::vector<double>{255, 255, 255}));
        EXPECT_EQ(kept.crop(1, 0, 9999, 8).max(), 0) << "what the data does not hold is black";
    }
}

}  // namespace
