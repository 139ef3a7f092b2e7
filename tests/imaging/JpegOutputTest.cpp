#include <gtest/gtest.h>
#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include "imaging/CLead.h"
#include "imaging/ConvertSteps.h"
#include "imaging/ImagingConstants.h"
#include "imaging/JpegSegments.h"
#include "tests/support/TestImages.h"

using namespace imaging;
using namespace testimages;

namespace {

// The thumbnail of the file's Exif block, as exiftool extracts it into folder.
vips::VImage ThumbnailByExiftool(const QString& path, const QString& folder) {
    const QString thumbnail = QDir(folder).filePath("thumb.jpg");
    QProcess extract;
    extract.setStandardOutputFile(thumbnail);
    extract.start("exiftool", {"-b", "-ThumbnailImage", path});
    EXPECT_TRUE(extract.waitForFinished());
    return vips::VImage::new_from_file(QFile::encodeName(thumbnail));
}

// The marker segments up to the start of scan, by the program's one segment reader (its own
// test holds it to libjpeg's rules).
QList<JpegSegment> Segments(const QByteArray& jpeg) {
    QBuffer in;
    in.setData(jpeg);
    in.open(QIODevice::ReadOnly);
    return ReadJpegHeader(in, [](uchar) { return true; }).value_or(JpegHeader{}).segments;
}

QString SaveConverted(const QString& folder, const vips::VImage& source, int sizeIndex, int factor,
                      bool thumbnail, int format = kFormatJpegExif) {
    const QString input = QDir(folder).filePath("in.png");
    WritePng(source, input);
    CLead work;
    CLead scratch;
    work.LoadImage(input);
    if (format == kFormatJpegExif)
        FillExifSlots(work, QDateTime(QDate(2007, 3, 2), QTime(9, 5, 3)));
    EXPECT_TRUE(FitToOutputSize(work, scratch, sizeIndex));
    work.SetResolutionX(72);
    work.SetResolutionY(72);
    const QString output = QDir(folder).filePath("DUVU0001.JPG");
    if (thumbnail) {
        QFile file(output);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(work.SaveImageWithThumbnailToMemory(format, 0, factor, 160, 120));
    } else {
        work.SaveImage(output, format, 0, factor, 0);
    }
    return output;
}

TEST(JpegOutput, TheExifBlockLaysOutAndReadsAsTheCardExpects) {
    QTemporaryDir temp;
    const QString path = SaveConverted(temp.path(), PhotoLike(1600, 1200), 1, 2, true);
    const QByteArray file = ReadBytes(path);
    ASSERT_GT(file.size(), 100);
    EXPECT_EQ(file.left(4), QByteArray("\xFF\xD8\xFF\xE1"));  // APP1 right after SOI
    EXPECT_EQ(file.mid(6, 6), QByteArray("Exif\0\0", 6));
    EXPECT_EQ(file.mid(12, 8), QByteArray("II\x2A\0\x08\0\0\0", 8));  // little-endian, IFD0 at 8
    EXPECT_GE(qFromLittleEndian<quint16>(file.constData() + 20), 9) << "IFD0's entries";
    for (const JpegSegment& segment : Segments(file)) {
        EXPECT_NE(segment.marker, 0xE0) << "no JFIF APP0 anywhere";
        EXPECT_NE(segment.marker, 0xC2) << "never progressive";
    }

    // The fields, as exiftool reads them.
    const QString tags = RunTool("exiftool", {"-s", "-a", "-G1", "-n", path});
    const auto has = [&](const QString& line) {
        EXPECT_TRUE(tags.contains(QRegularExpression(line))) << line.toStdString() << "\n"
                                                             << tags.toStdString();
    };
    has(R"(\[IFD0\]\s+Make\s+: Kestrovia\n)");
    has(R"(\[IFD0\]\s+Model\s+: VIMBRELCASTOR\n)");
    has(R"(\[IFD0\]\s+XResolution\s+: 72\n)");
    has(R"(\[IFD0\]\s+YResolution\s+: 72\n)");
    has(R"(\[IFD0\]\s+ResolutionUnit\s+: 2\n)");
    has(R"(\[IFD0\]\s+ModifyDate\s+: 2007:03:02 09:05:03\n)");
    has(R"(\[ExifIFD\]\s+ExifVersion\s+: 0210\n)");
    has(R"(\[ExifIFD\]\s+DateTimeOriginal\s+: 2007:03:02 09:05:03\n)");
    has(R"(\[ExifIFD\]\s+CreateDate\s+: 2007:03:02 09:05:03\n)");
    has(R"(\[ExifIFD\]\s+FlashpixVersion\s+: 0100\n)");
    has(R"(\[ExifIFD\]\s+ColorSpace\s+: 1\n)");
    has(R"(\[ExifIFD\]\s+ExifImageWidth\s+: 800\n)");
    has(R"(\[ExifIFD\]\s+ExifImageHeight\s+: 600\n)");
    has(R"(\[InteropIFD\]\s+InteropIndex\s+: R98\n)");
    has(R"(\[InteropIFD\]\s+InteropVersion\s+: 0100\n)");
    has(R"(\[IFD1\]\s+Compression\s+: 6\n)");
    // No GPS group and no GPS tag anywhere (matched as tags: a temporary folder's random name
    // in the file's path may hold the letters).
    EXPECT_FALSE(tags.contains(
        QRegularExpression(R"(^\[(GPS\]|[^\]]*\]\s+GPS))", QRegularExpression::MultilineOption)))
        << tags.toStdString();

    const vips::VImage thumb = ThumbnailByExiftool(path, temp.path());
    EXPECT_EQ(QSize(thumb.width(), thumb.height()), QSize(160, 120));

    const QString warnings = RunTool("exiftool", {"-validate", "-warning", "-a", path});
    for (const QString& line : warnings.split('\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.contains("SamplesPerPixel") || line.contains("Validate"))
            << line.toStdString();
    }
}

// Baseline, 4:2:0, three components even for a grey input, and the quantization tables of the
// JPEG quality each position stands for, as the library's encoder writes them at that quality.
TEST(JpegOutput, BaselineWith420SamplingAtTheQualityOfEachPosition) {
    QTemporaryDir temp;
    const auto tables = [](const QByteArray& jpeg) {
        QByteArray all;
        for (const JpegSegment& segment : Segments(jpeg)) {
            if (segment.marker == 0xDB) all += segment.payload;
        }
        return all;
    };
    const int qualities[] = {60, 68, 76, 84, 98};
    for (int position = 1; position <= 5; ++position) {
        SCOPED_TRACE(position);
        const QString path =
            SaveConverted(temp.path(), Checkerboard(400, 300), 1, QualityFactor(position), false);
        const QByteArray file = ReadBytes(path);
        const QByteArray reference =
            EncodedBytes(Solid(16, 16, Qt::red), ".jpg",
                         vips::VImage::option()->set("Q", qualities[position - 1]));
        EXPECT_EQ(tables(file).toHex(), tables(reference).toHex());
        QList<int> frames;
        for (const JpegSegment& segment : Segments(file)) {
            if (segment.marker < 0xC0 || segment.marker > 0xC3) continue;
            frames << segment.marker;
            // Three components, Y sampled 2 x 2, the others 1 x 1.
            EXPECT_EQ(segment.payload.mid(5).toHex(), QByteArray("03012200021101031101"));
        }
        EXPECT_EQ(frames, QList<int>{0xC0}) << "baseline";
    }
}

// The 160 x 120 thumbnail letterboxes a frame of another aspect, read back by exiftool: a
// white picture filling the frame shows white inside the bars and black outside.
TEST(JpegOutput, ThumbnailIsLetterboxedForEveryOtherAspect) {
    struct Case {
        const char* name;
        int sizeIndex;
        QRect picture;  // the frame's place in the thumbnail
    } const cases[] = {
        {"sxga_150x120_five_columns_each_side", 2, {5, 0, 150, 120}},
        {"full_hd_160x90_fifteen_rows_each", 4, {0, 15, 160, 90}},
        {"svga_no_bars", 1, {0, 0, 160, 120}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir temp;
        const OutputSize size = kSizeTable[c.sizeIndex];
        const QString path = SaveConverted(temp.path(), Solid(size.width, size.height, Qt::white),
                                           c.sizeIndex, 2, true);
        const vips::VImage thumb = ThumbnailByExiftool(path, temp.path());
        ASSERT_EQ(QSize(thumb.width(), thumb.height()), QSize(160, 120));
        const QRect& p = c.picture;
        // Two pixels inside each edge of the frame (white), and two outside where there is a
        // bar (black).
        for (const int in : {2, -2}) {
            for (const QPoint& at : EdgeMiddles(p, in)) {
                if (!QRect(0, 0, 160, 120).contains(at)) continue;
                const int lightness = PixelAt(thumb, at.x(), at.y()).lightness();
                EXPECT_TRUE(in > 0 ? lightness > 225 : lightness < 30) << at.x() << "," << at.y();
            }
        }
    }
}

// Every written image says 72 dpi, as a reader we did not write finds it (the Exif block's are
// among its fields above): in the JFIF segment of a JPEG without one (its only segment of
// application data), the pHYs chunk of a PNG and the header of a bitmap.
TEST(JpegOutput, EveryWrittenImageSays72Dpi) {
    const struct Row {
        const char* name;
        int format;
        bool thumbnail;
        QStringList lines;
    } rows[] = {
        {"jpeg_without_exif",
         kFormatJpeg,
         false,
         {R"(\[JFIF\]\s+XResolution\s+: 72\n)", R"(\[JFIF\]\s+YResolution\s+: 72\n)",
          R"(\[JFIF\]\s+ResolutionUnit\s+: 1\n)"}},
        {"png",
         kFormatPng,
         false,
         {R"(\[PNG-pHYs\]\s+PixelsPerUnitX\s+: 2835\n)",
          R"(\[PNG-pHYs\]\s+PixelsPerUnitY\s+: 2835\n)", R"(\[PNG-pHYs\]\s+PixelUnits\s+: 1\n)"}},
        {"bmp",
         kFormatBmp,
         false,
         {R"(\[File\]\s+BMPVersion\s+: 40\n)", R"(\[File\]\s+BitDepth\s+: 24\n)",
          R"(\[File\]\s+PixelsPerMeterX\s+: 2835\n)", R"(\[File\]\s+PixelsPerMeterY\s+: 2835\n)"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir temp;
        const QString path =
            SaveConverted(temp.path(), PhotoLike(800, 600), 1, 2, row.thumbnail, row.format);
        QList<int> application;
        for (const JpegSegment& segment : Segments(ReadBytes(path))) {
            if (segment.marker >= 0xE0 && segment.marker <= 0xEF) application << segment.marker;
        }
        EXPECT_EQ(application, row.format == kFormatJpeg ? QList<int>{0xE0} : QList<int>{});
        const QString tags = RunTool("exiftool", {"-s", "-a", "-G1", "-n", path});
        for (const QString& line : row.lines) {
            EXPECT_TRUE(tags.contains(QRegularExpression(line))) << line.toStdString() << "\n"
                                                                 << tags.toStdString();
        }
    }
}

TEST(JpegOutput, PngIsEightBitWithoutMetadata) {
    QTemporaryDir temp;
    const QString input = QDir(temp.path()).filePath("in.png");
    WritePng(Solid(400, 300, Qt::red), input, 16);
    CLead work;
    work.LoadImage(input);
    const QString output = QDir(temp.path()).filePath("DUVU0001.PNG");
    work.SaveImage(output, kFormatPng, 0, 0, 0);
    const QByteArray png = ReadBytes(output);
    ASSERT_GT(png.size(), 33);
    EXPECT_EQ(int(png[24]), 8) << "8 bits per sample";
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const QByteArray chunk = png.mid(at + 4, 4);
        EXPECT_TRUE(QByteArrayList({"IHDR", "IDAT", "IEND", "pHYs"}).contains(chunk))
            << chunk.data();
        at += 12 + qFromBigEndian<quint32>(png.constData() + at);
    }
}

}  // namespace
