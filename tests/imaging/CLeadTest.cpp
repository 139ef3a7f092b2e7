#include "imaging/CLead.h"

#include <gtest/gtest.h>
#include <lcms2.h>
#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "imaging/ImagingConstants.h"
#include "tests/support/TestImages.h"

using namespace imaging;
using namespace testimages;
using vips::VImage;

namespace {

struct InputKind {
    const char* name;
    std::function<void(const QString&)> write;
    int format;
    int bits;  // InfoBits
    QColor centre;
    int tolerance = 12;
};

QImage QtHalves() {
    QImage image(64, 48, QImage::Format_RGB888);
    image.fill(Qt::white);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 32; ++x) image.setPixelColor(x, y, Qt::black);
    }
    return image;
}

TEST(CLead, EverySupportedInputKindLoads) {
    const VImage orange = Solid(64, 48, QColor(250, 120, 20));
    const VImage alpha =
        VImage::bandjoin({orange, orange.extract_band(0).new_from_image(0.0)})
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    const VImage cmyk = orange.colourspace(VIPS_INTERPRETATION_CMYK);
    const VImage bilevel = Checkerboard(64, 48) > 0;
    const QColor o(250, 120, 20);
    // Every layout of each format is its reader's test, every format converts in the corpus's;
    // here the kinds the facade itself tells apart.
    const InputKind kinds[] = {
        {"jpeg_baseline", [&](auto p) { WriteJpeg(orange, p); }, kFormatJpeg, 24, o},
        // Through a CMYK profile and back a saturated colour moves a little.
        {"jpeg_cmyk", [&](auto p) { cmyk.jpegsave(QFile::encodeName(p)); }, kFormatJpeg, 32, o, 32},
        {"png_8", [&](auto p) { WritePng(orange, p); }, kFormatPng, 24, o},
        {"png_16", [&](auto p) { WritePng(orange, p, 16); }, kFormatPng, 48, o},
        {"png_alpha_on_black", [&](auto p) { WritePng(alpha, p); }, kFormatPng, 32, {0, 0, 0}},
        {"tiff_1bit", [&](auto p) { WriteTiff(bilevel, p, 1); }, kFormatTiff, 1, {}},
        {"bmp_1", [](auto p) { WriteBmp(QtHalves(), p, 1); }, kFormatBmp, 1, Qt::white},
    };
    QTemporaryDir temp;
    for (const InputKind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        // Recognised by the bytes: every file gets a misleading name, whose brackets are no
        // load options of the library.
        const QString path = QDir(temp.path()).filePath(QString(kind.name) + " 写真.txt[shrink=8]");
        kind.write(path);
        CLead lead;
        ASSERT_NO_THROW(lead.ReadFileInfo(path, 0, 1));
        EXPECT_EQ(lead.InfoFormat(), kind.format);
        EXPECT_EQ(QSize(lead.InfoWidth(), lead.InfoHeight()), QSize(64, 48));
        if (kind.bits == 1) {
            EXPECT_EQ(lead.InfoBits(), 1);
        }
        ASSERT_NO_THROW(lead.LoadImage(path));
        const QImage pixels = lead.ToQImage();
        ASSERT_EQ(pixels.size(), QSize(64, 48));
        if (kind.centre.isValid()) {
            const QColor c = pixels.pixelColor(48, 24);
            EXPECT_NEAR(c.red(), kind.centre.red(), kind.tolerance);
            EXPECT_NEAR(c.green(), kind.centre.green(), kind.tolerance);
            EXPECT_NEAR(c.blue(), kind.centre.blue(), kind.tolerance);
        }
    }
}

TEST(CLead, BitmapsScaleWithEveryRowIntact) {
    // The decoded rows must outlive the reader: the first and last rows are checked too.
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("halves.bmp");
    WriteBmp(QtHalves().scaled(1280, 960), path);
    CLead lead;
    lead.LoadImage(path);
    lead.ResizeImage(640, 480, 2);
    const QImage out = lead.ToQImage();
    for (int y : {0, 1, 240, 478, 479}) {
        EXPECT_LT(out.pixelColor(100, y).lightness(), 20) << y;
        EXPECT_GT(out.pixelColor(540, y).lightness(), 235) << y;
    }
}

// A grey profile whose tone curve is a straight line: the stored values are linear light.
QByteArray LinearGreyProfile() {
    cmsToneCurve* linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(linear);
    return bytes;
}

TEST(CLead, AGreyPictureIsConvertedThroughItsProfile) {
    QTemporaryDir temp;
    QByteArray profile = LinearGreyProfile();
    VImage ramp = (VImage::xyz(256, 64).extract_band(0))
                      .cast(VIPS_FORMAT_UCHAR)
                      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
    ramp.set(VIPS_META_ICC_NAME, nullptr, profile.data(), size_t(profile.size()));
    const QString path = QDir(temp.path()).filePath("grey.png");
    ramp.pngsave(QFile::encodeName(path));
    // The reference: the library's own transform of the file to sRGB.
    const VImage reference = VImage::new_from_file(QFile::encodeName(path))
                                 .icc_transform("srgb", VImage::option()->set("embedded", true))
                                 .extract_band(0);
    CLead lead;
    lead.LoadImage(path);
    EXPECT_EQ(lead.ImageBits(), 8) << "a grey picture stays grey";
    const QImage ours = lead.ToQImage();
    const VImage oursImage =
        VImage::new_from_memory(const_cast<uchar*>(ours.constBits()), size_t(ours.sizeInBytes()),
                                int(ours.bytesPerLine()), ours.height(), 1, VIPS_FORMAT_UCHAR);
    const double error =
        (oursImage.crop(0, 0, 256, 64).cast(VIPS_FORMAT_INT) - reference.cast(VIPS_FORMAT_INT))
            .abs()
            .avg();
    EXPECT_LT(error, 2.0);
    // Linear light shown as sRGB is much lighter in the shadows than the stored values.
    EXPECT_GT(reference.crop(32, 0, 1, 1).avg(), 90);
}

}  // namespace

// A turn by hand follows any Exif orientation, also when the picture is decoded again from its
// file at a reduced size: the result is what the library's own turning gives. The picture is
// six blocks of 40 pixels, each its own grey.
TEST(CLead, ATurnFollowsEveryOrientationAndTheReducedDecode) {
    const VImage xy = VImage::xyz(120, 80);
    const VImage stored =
        ((xy[0] / 40).floor() * 40 + (xy[1] / 40).floor() * 120).cast(VIPS_FORMAT_UCHAR);
    const VipsAngle angles[] = {VIPS_ANGLE_D0, VIPS_ANGLE_D90, VIPS_ANGLE_D180, VIPS_ANGLE_D270};
    QTemporaryDir temp;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const QString path = temp.filePath(QString("o%1.jpg").arg(orientation));
        WriteJpeg(stored, path, 95, orientation);
        for (const int turns : {-1, 1, 2, 3}) {
            SCOPED_TRACE(
                QString("orientation %1, turns %2").arg(orientation).arg(turns).toStdString());
            const VImage expected = Upright(stored, orientation).rot(angles[(turns + 4) % 4]);
            // As held after the turn, and halved (decoded again from the file).
            for (const int scale : {1, 2}) {
                CLead lead;
                lead.LoadImage(path);
                lead.TurnImage(turns);
                if (scale > 1) {
                    lead.ResizeImage(expected.width() / scale, expected.height() / scale,
                                     kResizeQuality);
                }
                ASSERT_EQ(lead.ImageWidth(), expected.width() / scale);
                const QImage shown = lead.ToQImage();
                for (int y = 20; y < expected.height(); y += 40) {
                    for (int x = 20; x < expected.width(); x += 40) {
                        EXPECT_NEAR(qGray(shown.pixel(x / scale, y / scale)), expected(x, y)[0], 8)
                            << x << "," << y << " at 1/" << scale;
                    }
                }
            }
        }
    }
}
