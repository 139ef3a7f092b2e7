#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "imaging/readers/Reader.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

// An interlaced PNG read by the reader for a fit to minWidth x minHeight.
ReadPicture Passes(const QString& path, int minWidth, int minHeight, bool tolerant) {
    SniffedFile sniffed;
    EXPECT_TRUE(SniffImageFile(path, &sniffed));
    ReadRequest request{path, sniffed, tolerant, minWidth, minHeight};
    return ReadPng(request);
}

// The pass reader gives the picture at 1/8, 1/4, 1/2 or full size, each kept pixel the
// file's own pixel at that position, for every kind of interlaced PNG (read tolerantly, so
// that the whole picture is ours too).
TEST(PngReader, TheFirstPassesAreThePictureAtAReducedSize) {
    const VImage colour = PhotoLike(203, 157);  // sides that no pass divides evenly
    const VImage grey = colour.colourspace(VIPS_INTERPRETATION_B_W);
    const VImage alpha =
        VImage::bandjoin({colour, grey})
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const struct Row {
        const char* name;
        VImage image;
        int bits;
        int bands;
    } rows[] = {
        {"rgb8", colour, 8, 3},
        {"rgba16", alpha, 16, 4},
        {"grey1", grey, 1, 1},
    };
    const struct Size {
        int minWidth, minHeight, width, height;
    } sizes[] = {
        {10, 8, 26, 20},     // 1/8: at least twice the target
        {20, 15, 51, 40},    // 1/4
        {40, 30, 102, 79},   // 1/2
        {150, 10, 203, 157}  // whole
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString plain = QDir(temp.path()).filePath(QString(row.name) + ".png");
        const QString path = QDir(temp.path()).filePath(QString(row.name) + "-interlaced.png");
        WritePng(row.image, plain, row.bits);
        // Written again interlaced, in the same depth.
        VImage::new_from_file(QFile::encodeName(plain))
            .pngsave(QFile::encodeName(path),
                     VImage::option()->set("interlace", true)->set("bitdepth", row.bits));
        VImage whole = VImage::new_from_file(QFile::encodeName(path));
        if (whole.format() == VIPS_FORMAT_USHORT) whole = (whole >> 8).cast(VIPS_FORMAT_UCHAR);
        if (row.bits == 1) whole = whole.cast(VIPS_FORMAT_UCHAR);
        for (const Size& size : sizes) {
            SCOPED_TRACE(size.width);
            const ReadPicture read = Passes(path, size.minWidth, size.minHeight, true);
            EXPECT_EQ(read.damage, QString());
            const VImage& reduced = read.image;
            ASSERT_EQ(QSize(reduced.width(), reduced.height()), QSize(size.width, size.height));
            ASSERT_EQ(reduced.bands(), row.bands);
            const int factor = (203 + size.width - 1) / size.width;
            // The library's subsample drops a last partial step; the reader keeps it.
            const VImage expected = whole.subsample(factor, factor);
            const VImage kept = reduced.crop(0, 0, expected.width(), expected.height());
            EXPECT_EQ((kept.cast(VIPS_FORMAT_INT) - expected.cast(VIPS_FORMAT_INT)).abs().max(), 0);
        }
    }
}

TEST(PngReader, ACutFileKeepsWhatWasReadOnlyWhenTolerant) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("cut.png");
    const VImage picture = PhotoLike(160, 120);
    picture.pngsave(QFile::encodeName(path), VImage::option()->set("interlace", true));
    WriteBytes(path, corpus::CutAt(ReadBytes(path), 0.8));
    EXPECT_THROW(Passes(path, 1, 1, false), LeadError);
    const ReadPicture read = Passes(path, 1000, 1000, true);
    const VImage& kept = read.image;
    EXPECT_FALSE(read.damage.isEmpty());
    EXPECT_EQ(kept.width(), 160);
    // The first six passes were read whole: every even row is the picture's own.
    const VImage even = kept.subsample(1, 2);
    EXPECT_EQ(
        (even.cast(VIPS_FORMAT_INT) - picture.subsample(1, 2).cast(VIPS_FORMAT_INT)).abs().max(),
        0);
}

}  // namespace
