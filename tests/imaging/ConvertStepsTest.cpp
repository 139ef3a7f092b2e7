#include "imaging/ConvertSteps.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>

#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "tests/support/TestImages.h"

using namespace imaging;
using namespace testimages;

namespace {

bool IsBlack(QColor c) {
    return c.red() < 16 && c.green() < 16 && c.blue() < 16;
}
bool IsRed(QColor c) {
    return c.red() > 230 && c.green() < 30 && c.blue() < 30;
}
bool IsBlue(QColor c) {
    return c.blue() > 225 && c.red() < 30 && c.green() < 30;
}

QImage Fit(const QString& path, int sizeIndex, const FrameFill& fill = {}) {
    CLead work;
    CLead scratch;
    work.LoadImage(path);
    EXPECT_TRUE(FitToOutputSize(work, scratch, sizeIndex, fill));
    return work.ToQImage();
}

TEST(FitToOutputSize, LetterboxGeometry) {
    struct Case {
        const char* name;
        int width, height, sizeIndex;
        QRect picture;  // where the red picture lands; the rest is black
    } const cases[] = {
        {"1600x1200_svga_no_bars", 1600, 1200, 1, {0, 0, 800, 600}},
        {"1000x1000_svga_600_at_x100", 1000, 1000, 1, {100, 0, 600, 600}},
        {"400x100_xga_enlarged_at_y256", 400, 100, 0, {0, 256, 1024, 256}},
        {"3000x4000_svga_portrait", 3000, 4000, 1, {175, 0, 450, 600}},
        {"1500x1000_wxga_pillarbox_at_x40", 1500, 1000, 3, {40, 0, 1200, 800}},
        {"4000x3000_full_hd_pillarbox_at_x240", 4000, 3000, 4, {240, 0, 1440, 1080}},
    };
    QTemporaryDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QDir(temp.path()).filePath(QString(c.name) + ".jpg");
        WriteJpeg(Solid(c.width, c.height, Qt::red), path, 95);
        const QImage out = Fit(path, c.sizeIndex);
        const OutputSize size = kSizeTable[c.sizeIndex];
        ASSERT_EQ(out.size(), QSize(size.width, size.height));
        const QRect& p = c.picture;
        // The picture's edges (red), and the bar just outside each edge (black).
        for (const int in : {0, -1}) {
            for (const QPoint& at : EdgeMiddles(p, in)) {
                if (!out.rect().contains(at)) continue;
                const QColor colour = out.pixelColor(at);
                EXPECT_TRUE(in == 0 ? IsRed(colour) : IsBlack(colour)) << at.x() << "," << at.y();
            }
        }
    }
}

TEST(FitToOutputSize, ExifRotatedPhotosComeOutUpright) {
    // Stored landscape, red left and blue right. Orientation 6 turns it clockwise: red on top.
    // 8 turns it the other way: red at the bottom. 3 turns it half round: red on the right.
    struct Case {
        int storedWidth, storedHeight, orientation;
        QPoint red, blue, black;
    } const cases[] = {
        {3000, 2000, 6, {400, 100}, {400, 500}, {100, 300}},  // decoded at 1/4 first
        {3000, 2000, 8, {400, 500}, {400, 100}, {700, 300}},
        {1600, 1200, 3, {600, 300}, {200, 300}, {-1, -1}},
    };
    QTemporaryDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(QString("%1x%2 orientation %3")
                         .arg(c.storedWidth)
                         .arg(c.storedHeight)
                         .arg(c.orientation)
                         .toStdString());
        const QString path = QDir(temp.path()).filePath("rotated.jpg");
        WriteJpeg(Halves(c.storedWidth, c.storedHeight, Qt::red, Qt::blue), path, 95,
                  c.orientation);
        const QImage out = Fit(path, 1);
        ASSERT_EQ(out.size(), QSize(800, 600));
        EXPECT_TRUE(IsRed(out.pixelColor(c.red)));
        EXPECT_TRUE(IsBlue(out.pixelColor(c.blue)));
        if (c.black.x() >= 0) {
            EXPECT_TRUE(IsBlack(out.pixelColor(c.black)));
        }
    }
}

// A bilevel picture of the frame's aspect is scaled as grey and kept grey; one of another
// aspect is letterboxed as grey, then made bilevel again, unless a backdrop of the picture
// (which is not bilevel) fills around it.
TEST(FitToOutputSize, BilevelImagesStayGreyOrBecomeBilevelAgain) {
    const struct Case {
        const char* name;
        int width;
        FrameFill fill;
        int bits;
    } cases[] = {
        {"same_aspect_grey", 400, {}, 8},
        {"other_aspect_bilevel", 500, {}, 1},
        {"other_aspect_on_a_backdrop_grey", 500, {FrameFill::Kind::Blur}, 8},
    };
    QTemporaryDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QDir(temp.path()).filePath(QString(c.name) + ".tif");
        WriteTiff(Checkerboard(c.width, 300) > 0, path, 1);
        CLead work;
        CLead scratch;
        work.LoadImage(path);
        ASSERT_EQ(work.ImageBits(), 1);
        ASSERT_TRUE(FitToOutputSize(work, scratch, 1, c.fill));
        EXPECT_EQ(work.ImageBits(), c.bits);
        QSet<int> levels;
        const QImage out = work.ToQImage();
        for (int y = 0; y < out.height(); y += 3) {
            for (int x = 0; x < out.width(); x += 3) levels.insert(qGray(out.pixel(x, y)));
        }
        if (c.bits == 1) {
            EXPECT_EQ(levels, (QSet<int>{0, 255}));
        } else {
            EXPECT_GT(levels.size(), 2);
        }
    }
}

// Around a portrait the picture is the same whatever the fill; the sides are the colour (in
// colour even around a grey picture), or a dimmed copy of the picture with no black column.
TEST(FitToOutputSize, FillsAroundThePicture) {
    const QColor blue(0x20, 0x40, 0xFF);
    struct Case {
        const char* name;
        bool grey;
        FrameFill fill;
        QColor side;  // invalid: a backdrop of the picture
    } const cases[] = {
        {"colour_picture_on_blue", false, {FrameFill::Kind::Colour, 0x2040FF}, blue},
        {"grey_picture_on_blue", true, {FrameFill::Kind::Colour, 0x2040FF}, blue},
        {"grey_picture_blurred", true, {FrameFill::Kind::Blur}, QColor()},
    };
    QTemporaryDir temp;
    const QRect picture(175, 0, 450, 600);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QDir(temp.path()).filePath(QString(c.name) + ".png");
        const vips::VImage halves = Halves(300, 400, QColor(230, 120, 40), QColor(40, 160, 90));
        WritePng(c.grey ? halves.colourspace(VIPS_INTERPRETATION_B_W) : halves, path);
        const QImage black = Fit(path, 1).convertToFormat(QImage::Format_RGB888);
        const QImage out = Fit(path, 1, c.fill).convertToFormat(QImage::Format_RGB888);
        ASSERT_EQ(out.size(), QSize(800, 600));
        EXPECT_EQ(out.copy(picture), black.copy(picture));
        if (c.side.isValid()) {
            EXPECT_EQ(out.pixelColor(0, 0), c.side);
            EXPECT_EQ(out.pixelColor(799, 599), c.side);
            continue;
        }
        for (int x = 0; x < out.width(); ++x) {
            int sum = 0;
            for (int y = 0; y < out.height(); ++y) sum += qGray(out.pixel(x, y));
            ASSERT_GT(sum / out.height(), 30) << "column " << x;
        }
        // Dimmed: the backdrop beside the orange half is darker than the half itself.
        EXPECT_LT(qGray(out.pixel(20, 100)), qGray(out.pixel(400, 100)) * 3 / 4);
    }
}

TEST(ChooseFormatAutomatically, PngOnlyWhenStrictlySmaller) {
    QTemporaryDir temp;
    const QString screenshot = QDir(temp.path()).filePath("screen.png");
    WritePng(Halves(1920, 1080, QColor(240, 240, 240), QColor(30, 60, 90)), screenshot);
    const QString photo = QDir(temp.path()).filePath("photo.jpg");
    WriteJpeg(PhotoLike(1600, 1200), photo);
    CLead scratch;
    EXPECT_EQ(ChooseFormatAutomatically(scratch, screenshot), kFormatPng);
    EXPECT_EQ(ChooseFormatAutomatically(scratch, photo), kFormatJpeg);
    EXPECT_EQ(ChooseFormatAutomatically(scratch, QDir(temp.path()).filePath("gone.png")),
              kFormatJpeg);
}

}  // namespace
