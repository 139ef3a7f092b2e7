#include "imaging/Lanczos.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <algorithm>

#include "imaging/ImagingSetup.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

VImage Source(int width, int height, int bands) {
    const VImage photo = PhotoLike(width, height);
    return (bands == 1 ? photo.colourspace(VIPS_INTERPRETATION_B_W) : photo).copy_memory();
}

// The largest and the mean difference between two images of one size, over all bands.
std::pair<double, double> Difference(const VImage& a, const VImage& b) {
    const VImage difference = (a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT)).abs();
    return {difference.max(), difference.avg()};
}

// Every size the pipeline meets: the fits of photos, screenshots and slides, enlargements of
// small pictures, the card thumbnail, and the odd shapes where windows are cut at the edges.
struct Case {
    const char* name;
    int inWidth, inHeight, outWidth, outHeight, bands;
    // The library enlarges with a bicubic interpolator, not its Lanczos kernel: only close.
    bool enlarging = false;
};
const Case kCases[] = {
    {"jpeg_quarter_1000x750_to_800x600", 1000, 750, 800, 600, 3},
    {"screenshot_1920x1080_to_800x450", 1920, 1080, 800, 450, 3},
    {"grey_1000x750_to_800x600", 1000, 750, 800, 600, 1},
    {"thumbnail_800x600_to_160x120", 800, 600, 160, 120, 3},
    {"enlarge_200x150_to_800x600", 200, 150, 800, 600, 3, true},
    {"odd_801x601_to_800x600", 801, 601, 800, 600, 3},
    {"tall_64x3000_to_40x700", 64, 3000, 40, 700, 3},
    {"narrow_7x500_to_5x333", 7, 500, 5, 333, 3},
};

TEST(Lanczos, MatchesTheLibraryResamplerAtEverySize) {
    StartImaging();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const VImage source = Source(c.inWidth, c.inHeight, c.bands);
        const VImage ours = ResampleLanczos3(source, c.outWidth, c.outHeight);
        ASSERT_EQ(QSize(ours.width(), ours.height()), QSize(c.outWidth, c.outHeight));
        ASSERT_EQ(ours.bands(), c.bands);

        VImage theirs = source.resize(double(c.outWidth) / c.inWidth,
                                      VImage::option()
                                          ->set("vscale", double(c.outHeight) / c.inHeight)
                                          ->set("kernel", VIPS_KERNEL_LANCZOS3)
                                          ->set("gap", 0.0));
        const int w = std::min(theirs.width(), c.outWidth);
        const int h = std::min(theirs.height(), c.outHeight);
        // Both are the same filter; they part only in rounding and in how the edges are
        // treated, never by a visible amount.
        const auto [largest, mean] = Difference(ours.crop(0, 0, w, h), theirs.crop(0, 0, w, h));
        EXPECT_LE(largest, c.enlarging ? 24 : 12) << "mean " << mean;
        EXPECT_LT(mean, c.enlarging ? 2.0 : 0.75);
    }
}

TEST(Lanczos, FlatColourStaysExactlyThatColour) {
    StartImaging();
    // The weights sum to exactly one and ringing is clamped: no tint, no edge darkening.
    const struct {
        const char* name;
        int inWidth, inHeight, outWidth, outHeight;
        QColor colour;
    } cases[] = {
        {"white_shrink", 1000, 750, 800, 600, QColor(255, 255, 255)},
        {"grey_enlarge", 30, 20, 800, 600, QColor(128, 128, 128)},
        {"colour_odd", 801, 3, 17, 1, QColor(10, 200, 77)},
        {"one_pixel_enlarged", 1, 1, 8, 6, QColor(250, 5, 130)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const VImage source = Solid(c.inWidth, c.inHeight, c.colour).copy_memory();
        const VImage ours = ResampleLanczos3(source, c.outWidth, c.outHeight);
        const std::vector<double> colour = {double(c.colour.red()), double(c.colour.green()),
                                            double(c.colour.blue())};
        EXPECT_EQ((ours - colour).abs().max(), 0);
    }
}

TEST(Lanczos, PlainAndVectorLoopsGiveTheSameBytes) {
    StartImaging();
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const VImage source = Source(c.inWidth, c.inHeight, c.bands);
        const VImage vector = ResampleLanczos3(source, c.outWidth, c.outHeight, true);
        const VImage plain = ResampleLanczos3(source, c.outWidth, c.outHeight, false);
        EXPECT_EQ(Difference(vector, plain).first, 0);
    }
}

TEST(Lanczos, ReadsADecoderInSequenceOnce) {
    StartImaging();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Tall enough that the row buffer is refilled many times.
    const VImage photo = PhotoLike(300, 4000).copy_memory();
    const QString path = QDir(dir.path()).filePath("tall.png");
    WritePng(photo, path);
    const VImage inSequence =
        VImage::pngload(QFile::encodeName(path).constData(),
                        VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail", true));
    const VImage fromFile = ResampleLanczos3(inSequence, 200, 900);
    const VImage fromMemory = ResampleLanczos3(photo, 200, 900);
    EXPECT_EQ(Difference(fromFile, fromMemory).first, 0);
}

}  // namespace
