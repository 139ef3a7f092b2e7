#include "imaging/GifFrame.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

// The first frame on its screen, pixel for pixel as the library's own reader renders it
// (flattened on black), whatever its layout.
TEST(GifFrame, FramesDecodeAsTheLibrarysReaderRendersThem) {
    const struct Row {
        const char* name;
        corpus::GifSpec spec;
    } rows[] = {
        {"whole_screen", {}},
        {"interlaced", {.interlaced = true}},
        {"interlaced_odd_height", {.height = 31, .interlaced = true}},
        {"frame_inside_the_screen", {.left = 7, .top = 4, .width = 20, .height = 13}},
        {"frame_past_the_screen", {.left = 40, .top = 30, .width = 20, .height = 13}},
        {"transparent_index", {.transparent = 3}},
        {"local_table", {.localTable = true}},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".gif");
        WriteBytes(path, corpus::GifBytes(row.spec));
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

}  // namespace
