#include "imaging/FileFormat.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <climits>

#include "imaging/ImagingConstants.h"
#include "imaging/JpegSegments.h"
#include "tests/support/TestImages.h"

using namespace imaging;
using namespace testimages;
using vips::VImage;

namespace {

SniffedFile SniffBytes(const QByteArray& bytes) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("file.jpg");
    WriteBytes(path, bytes);
    SniffedFile sniffed;
    EXPECT_TRUE(SniffImageFile(path, &sniffed));
    return sniffed;
}

QByteArray BoxOf(const char* type, const QByteArray& content) {
    QByteArray box(4, '\0');
    qToBigEndian<quint32>(quint32(8 + content.size()), box.data());
    return box + QByteArray(type, 4) + content;
}

// A file type box: the major brand, a minor version, the compatible brands.
QByteArray TypeBox(const char* major, const QList<const char*>& compatible) {
    QByteArray content = QByteArray(major, 4) + QByteArray(4, '\0');
    for (const char* brand : compatible) content += QByteArray(brand, 4);
    return BoxOf("ftyp", content);
}

// Every kind of file by its first bytes, whatever its name: the formats the program reads,
// documents and images of other formats (refused unread, by message 114), still pictures of
// the HEIF family by their brands, and bytes that only look like one of them.
TEST(FileFormat, FilesAreKnownByTheirSignatures) {
    const VImage small = Solid(8, 6, Qt::red);
    const QByteArray meta = BoxOf("meta", QByteArray(4, '\0'));
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\"/>";
    QByteArray bitmap = "BM" + QByteArray(52, '\0');
    qToLittleEndian<quint32>(40, bitmap.data() + 14);
    QByteArray notBitmap = bitmap;
    qToLittleEndian<quint32>(41, notBitmap.data() + 14);
    const struct Row {
        const char* name;
        QByteArray bytes;
        int format;
    } rows[] = {
        {"jpeg", EncodedBytes(small, ".jpg"), kFormatJpeg},
        {"png", EncodedBytes(small, ".png"), kFormatPng},
        {"gif", EncodedBytes(small, ".gif"), kFormatGif},
        {"gif87a", "GIF87a" + QByteArray(20, '\0'), kFormatGif},
        {"tiff", EncodedBytes(small, ".tif"), kFormatTiff},
        {"bigtiff", QByteArray("MM\0+\0\x08\0\0", 8), kFormatTiff},
        {"webp", EncodedBytes(small, ".webp"), kFormatWebp},
        {"bitmap", bitmap, kFormatBmp},
        {"BM and another header size", notBitmap, kFormatUnknown},
        {"heic", TypeBox("heic", {"mif1", "heic"}) + meta, kFormatHeif},
        {"avif", TypeBox("avif", {"mif1", "avif", "miaf"}) + meta, kFormatHeif},
        {"heif by a compatible brand", TypeBox("mp42", {"isom", "msf1"}) + meta, kFormatHeif},
        {"heif cut in its type box", TypeBox("heic", {"mif1"}).left(14), kFormatHeif},
        {"a film", TypeBox("mp42", {"isom", "mp41"}) + meta, kFormatUnknown},
        {"type box of 4 GiB",
         QByteArray("\xFF\xFF\xFF\xFC"
                    "ftypheic\0\0\0\0",
                    16) +
             meta,
         kFormatUnknown},
        {"pdf", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj<<>>endobj\n", kFormatPdf},
        {"pdf after junk", QByteArray(300, 'j') + "%PDF-1.7\n", kFormatPdf},
        {"svg", svg, kFormatSvg},
        {"svg after a declaration and a comment",
         "<?xml version=\"1.0\"?>\n<!-- drawn by hand -->\n<!DOCTYPE svg>\n" + svg, kFormatSvg},
        {"svg after a byte order mark and spaces", "\xEF\xBB\xBF \n\t" + svg, kFormatSvg},
        {"html", "<html><body>text</body></html>", kFormatUnknown},
        {"text that mentions <svg", "not a drawing: " + svg, kFormatUnknown},
        {"ppm", "P6\n8 6\n255\n" + QByteArray(144, 'x'), kFormatOtherImage},
        {"pgm", "P5 8 6 255 " + QByteArray(48, 'x'), kFormatOtherImage},
        {"pfm", "PF\n8 6\n-1.0\n", kFormatOtherImage},
        {"text starting with P6", "P6is a word", kFormatUnknown},
        {"jpeg 2000 codestream", QByteArray("\xFF\x4F\xFF\x51\0\x2F", 6), kFormatOtherImage},
        {"jpeg 2000 file",
         QByteArray("\0\0\0\x0CjP  \r\n\x87\n\0\0\0\x14"
                    "ftypjp2 ",
                    24),
         kFormatOtherImage},
        {"jpeg xl codestream", QByteArray("\xFF\x0A\xFA\x7F", 4), kFormatOtherImage},
        {"jpeg xl container", QByteArray("\0\0\0\x0CJXL \r\n\x87\n", 12), kFormatOtherImage},
        {"fits", "SIMPLE  =                    T" + QByteArray(50, ' '), kFormatOtherImage},
        {"openexr", QByteArray("v/1\x01\x02\0\0\0", 8), kFormatOtherImage},
        {"empty", QByteArray(), kFormatUnknown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SniffBytes(row.bytes).format, row.format);
    }
}

// A bitmap's header, which our reader trusts, at its extremes: what cannot be right is
// refused before any pixel is read; nothing here may overflow (the sanitizer build runs this
// too).
TEST(FileFormat, BitmapHeadersThatCannotBeRightAreRefused) {
    // A 40-byte info header with the fields given and room for a 4 x 4 picture.
    const auto bitmap = [](qint32 width, qint32 height, int bits, quint32 offset = 54,
                           quint32 compression = 0) {
        return BitmapHeaders(width, height, bits, compression, offset, 64) + QByteArray(64, '\0');
    };
    QByteArray huffman = bitmap(4, 4, 1, 118, 3);
    qToLittleEndian<quint32>(64, huffman.data() + 14);  // OS/2 2.x: coding 3 is Huffman
    const struct Row {
        const char* name;
        QByteArray bytes;
        bool refused;
    } rows[] = {
        {"sound", bitmap(4, 4, 24), false},
        {"top_down", bitmap(4, -4, 24), false},
        {"int_max", bitmap(INT_MAX, INT_MAX, 24), false},  // the import's size check says no
        {"int_min_height", bitmap(4, INT_MIN, 24), true},
        {"negative_width", bitmap(-4, 4, 24), true},
        {"zero", bitmap(0, 0, 24), true},
        {"bits_0", bitmap(4, 4, 0), true},
        {"bits_65535", bitmap(4, 4, 65535), true},
        {"rle8_with_24_bits", bitmap(4, 4, 24, 54, 1), true},
        {"rle8_top_down", bitmap(4, -4, 8, 54, 1), true},
        {"os2_huffman", huffman, true},
        {"pixels_past_the_end", bitmap(4, 4, 24, 0xFFFFFFFFu), true},
        {"pixels_in_the_header", bitmap(4, 4, 24, 20), true},
        {"header_cut_short", bitmap(4, 4, 24).left(40), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SniffedFile sniffed = SniffBytes(row.bytes);
        ASSERT_EQ(sniffed.format, kFormatBmp);
        EXPECT_EQ(!sniffed.problem.isEmpty(), row.refused) << sniffed.problem.toStdString();
        EXPECT_EQ(sniffed.bmp.has_value(), !row.refused);
    }
}

TEST(FileFormat, BilevelPicturesAreFlaggedInEveryFormatThatHasThem) {
    const VImage bilevel = Checkerboard(16, 8) > 0;
    const VImage grey = Solid(16, 8, Qt::gray).colourspace(VIPS_INTERPRETATION_B_W);
    const auto bytesOf = [](const char* suffix, const VImage& image, int bits) {
        return EncodedBytes(image, suffix, VImage::option()->set("bitdepth", bits));
    };
    QTemporaryDir temp;
    const QString bmp1 = QDir(temp.path()).filePath("1.bmp");
    const QString bmp8 = QDir(temp.path()).filePath("8.bmp");
    WriteBmp(QImage(16, 8, QImage::Format_RGB888), bmp1, 1);
    WriteBmp(QImage(16, 8, QImage::Format_RGB888), bmp8, 8);
    const struct Row {
        const char* name;
        QByteArray bytes;
        bool oneBit;
    } rows[] = {
        {"png_1", bytesOf(".png", bilevel, 1), true},
        {"png_8", bytesOf(".png", grey, 8), false},
        {"tiff_1", bytesOf(".tif", bilevel, 1), true},
        {"tiff_8", bytesOf(".tif", grey, 8), false},
        {"bigtiff_1",
         EncodedBytes(bilevel, ".tif", VImage::option()->set("bitdepth", 1)->set("bigtiff", true)),
         true},
        {"bmp_1", ReadBytes(bmp1), true},
        {"bmp_8", ReadBytes(bmp8), false},
        {"jpeg", EncodedBytes(grey, ".jpg"), false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(SniffBytes(row.bytes).oneBit, row.oneBit);
    }
}

// The segment reader walks a header as libjpeg does: what libjpeg reads past with a warning
// (stray bytes, a stuffed 0xFF 0x00, fill bytes) neither ends the walk nor hides a segment.
TEST(FileFormat, JpegSegmentsAreWalkedAsLibjpegWalksThem) {
    const QByteArray jpeg = EncodedBytes(Solid(8, 6, Qt::red), ".jpg");
    const qsizetype tables = jpeg.indexOf("\xFF\xDB");
    ASSERT_GT(tables, 0);
    const auto inserted = [&](const QByteArray& bytes) {
        return jpeg.left(tables) + bytes + jpeg.mid(tables);
    };
    const struct Row {
        const char* name;
        QByteArray bytes;
        bool scanReached;
        qint64 strayBytes;
    } rows[] = {
        {"sound", jpeg, true, 0},
        {"a stray byte", inserted(QByteArray(1, '\0')), true, 1},
        {"a stuffed 0xFF", inserted(QByteArray("\xFF\x00", 2)), true, 2},
        {"fill bytes", inserted(QByteArray("\xFF\xFF\xFF", 3)), true, 0},
        {"a restart marker", inserted(QByteArray("\xFF\xD0", 2)), true, 0},
        {"a second start of image", inserted(QByteArray("\xFF\xD8", 2)), false, 0},
        {"a segment past the end", jpeg.left(tables + 6), false, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QBuffer in;
        in.setData(row.bytes);
        in.open(QIODevice::ReadOnly);
        const std::optional<JpegHeader> header = ReadJpegHeader(in, IsFrameMarker);
        ASSERT_TRUE(header.has_value());
        EXPECT_EQ(header->ReachedScan(), row.scanReached);
        EXPECT_EQ(header->strayBytes, row.strayBytes);
        const JpegSegment* frame = header->Find(0xC0);
        if (!row.scanReached) continue;
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(row.bytes.mid(frame->at + 4, frame->length - 4), frame->payload);
        EXPECT_EQ(SniffBytes(row.bytes).problem, QString());
    }
    EXPECT_FALSE(SniffBytes(jpeg.left(20)).problem.isEmpty()) << "no frame header";
}

// What libjpeg allocates for the coefficients of a file it cannot decode scan by scan, from
// the frame header and the first scan: a header claiming 10,000 x 10,000 with no data at all.
TEST(FileFormat, CoefficientMemoryIsKnownFromTheHeader) {
    const auto made = [](const VImage& image, bool progressive, VipsForeignSubsample subsample) {
        return EncodedBytes(image, ".jpg",
                            VImage::option()
                                ->set("interlace", progressive)
                                ->set("subsample_mode", subsample)
                                ->set("strip", true));
    };
    const VImage colour = PhotoLike(16, 16);
    const VImage cmyk = colour.colourspace(VIPS_INTERPRETATION_CMYK);
    const auto claiming = [](QByteArray jpeg, int width, int height) {
        const qsizetype frame = std::max(jpeg.indexOf("\xFF\xC0"), jpeg.indexOf("\xFF\xC2"));
        qToBigEndian<quint16>(quint16(height), jpeg.data() + frame + 5);
        qToBigEndian<quint16>(quint16(width), jpeg.data() + frame + 7);
        return jpeg;
    };
    const qint64 blocks = 1250ll * 1250;  // 8 x 8 blocks of a 10,000-pixel square
    const struct Row {
        const char* name;
        QByteArray bytes;
        qint64 coefficients;
    } rows[] = {
        {"baseline", made(colour, false, VIPS_FOREIGN_SUBSAMPLE_ON), 0},
        {"progressive_420", made(colour, true, VIPS_FOREIGN_SUBSAMPLE_ON),
         (blocks + blocks / 2) * 128},
        {"progressive_444", made(colour, true, VIPS_FOREIGN_SUBSAMPLE_OFF), 3 * blocks * 128},
        {"progressive_cmyk", made(cmyk, true, VIPS_FOREIGN_SUBSAMPLE_OFF), 4 * blocks * 128},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const SniffedFile sniffed = SniffBytes(claiming(row.bytes, 10000, 10000));
        EXPECT_EQ(sniffed.coefficientBytes, row.coefficients);
    }
    EXPECT_LT(3 * blocks * 128, kMaxCoefficientBytes) << "every colour photo at the limit reads";
    EXPECT_GT(4 * blocks * 128, kMaxCoefficientBytes);
}

}  // namespace
