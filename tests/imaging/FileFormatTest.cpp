#include "imaging/FileFormat.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QTemporaryDir>
#include <QtEndian>
#include <climits>
#include <functional>

#include "imaging/ImagingConstants.h"
#include "tests/support/TestImages.h"

using namespace imaging;
using namespace testimages;
using vips::VImage;

namespace {

enum class Expect { Sized, Refused, Damaged };

struct Row {
    const char* name;
    QByteArray bytes;
    Expect expect;
    int width = 0;  // for Sized and Damaged
    int height = 0;
};

void Put16(QByteArray& b, int at, quint16 v, bool little = true) {
    auto* p = reinterpret_cast<uchar*>(b.data()) + at;
    little ? qToLittleEndian(v, p) : qToBigEndian(v, p);
}
void Put32(QByteArray& b, int at, quint32 v, bool little = true) {
    auto* p = reinterpret_cast<uchar*>(b.data()) + at;
    little ? qToLittleEndian(v, p) : qToBigEndian(v, p);
}
void Put64(QByteArray& b, int at, quint64 v) {
    qToLittleEndian(v, reinterpret_cast<uchar*>(b.data()) + at);
}

// A bitmap header (BITMAPINFOHEADER) with the fields given and room for a 4 x 4 picture.
QByteArray Bitmap(qint32 width, qint32 height, int bits, quint32 pixelOffset = 54,
                  quint32 compression = 0, qsizetype pixelBytes = 64) {
    QByteArray b(54 + pixelBytes, '\0');
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, pixelOffset);
    Put32(b, 14, 40);
    Put32(b, 18, quint32(width));
    Put32(b, 22, quint32(height));
    Put16(b, 26, 1);
    Put16(b, 28, quint16(bits));
    Put32(b, 30, compression);
    return b;
}

// A little-endian TIFF with width and height as LONGs and one strip at stripOffset of
// stripBytes; big writes the BigTIFF layout.
QByteArray Tiff(quint32 width, quint32 height, quint64 stripOffset, quint64 stripBytes,
                bool big = false, quint64 directory = 0, quint64 count = 4) {
    QByteArray b(big ? 16 : 8, '\0');
    b[0] = b[1] = 'I';
    b[2] = big ? 43 : 42;
    if (big) {
        Put16(b, 4, 8);
        Put64(b, 8, directory ? directory : 16);
    } else {
        Put32(b, 4, quint32(directory ? directory : 8));
    }
    const int entry = big ? 20 : 12;
    QByteArray ifd((big ? 8 : 2) + 4 * entry + (big ? 8 : 4), '\0');
    big ? Put64(ifd, 0, count) : Put16(ifd, 0, quint16(count));
    const quint16 tags[] = {256, 257, 273, 279};
    const quint64 values[] = {width, height, stripOffset, stripBytes};
    for (int i = 0; i < 4; ++i) {
        const int at = (big ? 8 : 2) + i * entry;
        Put16(ifd, at, tags[i]);
        Put16(ifd, at + 2, big ? 16 : 4);  // LONG8 or LONG
        if (big) {
            Put64(ifd, at + 4, 1);
            Put64(ifd, at + 12, values[i]);
        } else {
            Put32(ifd, at + 4, 1);
            Put32(ifd, at + 8, quint32(values[i]));
        }
    }
    return b + ifd + QByteArray(64, '\0');
}

QByteArray Png(quint32 width, quint32 height, int depth = 8, int type = 2) {
    QByteArray b = EncodedBytes(VImage::black(4, 4, VImage::option()->set("bands", 3)), ".png");
    Put32(b, 16, width, false);
    Put32(b, 20, height, false);
    b[24] = char(depth);
    b[25] = char(type);
    return b;  // the header's checksum is not the reader's concern
}

// Every field of every header we read, at its extremes: the reader refuses what cannot be
// right, reads the size of what can, and notes a file too short for what its header says.
// Nothing here may overflow (the sanitizer build runs this too).
TEST(FileFormat, HeaderFieldsAtTheirExtremes) {
    const VImage small = Solid(8, 6, Qt::red);
    const QByteArray jpeg = EncodedBytes(small, ".jpg");
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    const auto jpegSized = [&](quint16 width, quint16 height, int precision = 8) {
        QByteArray b = jpeg;
        b[sof + 4] = char(precision);
        Put16(b, int(sof) + 5, height, false);
        Put16(b, int(sof) + 7, width, false);
        return b;
    };
    const QByteArray gif = EncodedBytes(small, ".gif");
    const auto gifSized = [&](quint16 width, quint16 height) {
        QByteArray b = gif;
        Put16(b, 6, width);
        Put16(b, 8, height);
        return b;
    };
    // The simple layouts: the image chunk alone in the RIFF container.
    const auto simple = [](const QByteArray& webp, const char* chunk) {
        const QByteArray body = webp.mid(webp.indexOf(chunk));
        QByteArray riff = QByteArray("RIFF\0\0\0\0WEBP", 12) + body;
        Put32(riff, 4, quint32(riff.size() - 8));
        return riff;
    };
    const QByteArray lossy = simple(EncodedBytes(small, ".webp"), "VP8 ");
    const QByteArray lossless =
        simple(EncodedBytes(small, ".webp", VImage::option()->set("lossless", true)), "VP8L");
    ASSERT_EQ(lossy.mid(12, 4), "VP8 ");
    ASSERT_EQ(lossless.mid(12, 4), "VP8L");
    QByteArray lossyZero = lossy;
    Put16(lossyZero, 26, 0);
    QByteArray losslessWide = lossless;
    Put32(losslessWide, 21,
          (qFromLittleEndian<quint32>(lossless.constData() + 21) & ~0x3FFFu) | 0x3FFFu);
    QByteArray riffLong = lossy;
    Put32(riffLong, 4, 0xFFFFFFFFu);
    QByteArray extended = lossy.left(12) + QByteArray("VP8X", 4) + QByteArray(14, '\0');
    Put32(extended, 16, 10);
    extended[24] = extended[25] = extended[26] = char(0xFF);  // 2^24 wide
    QByteArray bitmapCore(26 + 64, '\0');
    bitmapCore[0] = 'B';
    bitmapCore[1] = 'M';
    Put32(bitmapCore, 10, 26);
    Put32(bitmapCore, 14, 12);
    Put16(bitmapCore, 18, 4);
    Put16(bitmapCore, 20, 4);
    Put16(bitmapCore, 22, 1);
    Put16(bitmapCore, 24, 24);

    const Row rows[] = {
        {"jpeg_sound", jpeg, Expect::Sized, 8, 6},
        {"jpeg_zero_width", jpegSized(0, 6), Expect::Refused},
        {"jpeg_zero_height", jpegSized(8, 0), Expect::Refused},
        {"jpeg_largest", jpegSized(65535, 65535), Expect::Sized, 65535, 65535},
        {"jpeg_12_bit", jpegSized(8, 6, 12), Expect::Refused},
        {"jpeg_no_frame", jpeg.left(20), Expect::Refused},
        {"jpeg_stray_bytes_before_the_frame", jpeg.left(sof) + QByteArray(40, '\0') + jpeg.mid(sof),
         Expect::Sized, 8, 6},
        {"jpeg_segment_past_the_end", QByteArray("\xFF\xD8\xFF\xE0\xFF\xFF", 6), Expect::Refused},
        {"png_sound", Png(4, 4), Expect::Sized, 4, 4},
        {"png_zero", Png(0, 4), Expect::Refused},
        {"png_int_max", Png(0x7FFFFFFF, 1), Expect::Sized, INT_MAX, 1},
        {"png_past_int_max", Png(0x80000000u, 1), Expect::Refused},
        {"png_all_ones", Png(0xFFFFFFFFu, 0xFFFFFFFFu), Expect::Refused},
        {"png_bad_depth", Png(4, 4, 3, 2), Expect::Refused},
        {"png_bad_type", Png(4, 4, 8, 7), Expect::Refused},
        {"png_cut", Png(4, 4).chopped(12), Expect::Damaged, 4, 4},
        {"png_no_image_data", Png(4, 4).left(33) + QByteArray("\0\0\0\0IEND\xAE\x42\x60\x82", 12),
         Expect::Refused},
        {"png_no_header", QByteArray("\x89PNG\r\n\x1A\n", 8), Expect::Refused},
        {"gif_sound", gif, Expect::Sized, 8, 6},
        {"gif_zero_screen_sized_by_its_frame", gifSized(0, 0), Expect::Sized, 0, 0},
        {"gif_largest", gifSized(65535, 65535), Expect::Sized, 65535, 65535},
        {"gif_cut_header", gif.left(7), Expect::Refused},
        {"tiff_sound", Tiff(4, 4, 8, 16), Expect::Sized, 4, 4},
        {"tiff_zero", Tiff(0, 4, 8, 16), Expect::Refused},
        {"tiff_int_max", Tiff(0x7FFFFFFF, 2, 8, 16), Expect::Sized, INT_MAX, 2},
        {"tiff_past_int_max", Tiff(0xFFFFFFFFu, 2, 8, 16), Expect::Refused},
        {"tiff_strip_past_the_end", Tiff(4, 4, 8, 0xFFFFFFF0u), Expect::Damaged, 4, 4},
        {"tiff_strip_offset_past_the_end", Tiff(4, 4, 0xFFFFFFF0u, 16), Expect::Damaged, 4, 4},
        {"tiff_directory_past_the_end", Tiff(4, 4, 8, 16, false, 0xFFFFFFF0u), Expect::Refused},
        {"tiff_directory_in_the_header", Tiff(4, 4, 8, 16, false, 2), Expect::Refused},
        {"tiff_too_many_entries", Tiff(4, 4, 8, 16, false, 0, 0xFFFF), Expect::Refused},
        {"bigtiff_sound", Tiff(4, 4, 16, 16, true), Expect::Sized, 4, 4},
        {"bigtiff_directory_past_the_end", Tiff(4, 4, 16, 16, true, ~0ull), Expect::Refused},
        {"bigtiff_count_past_the_end", Tiff(4, 4, 16, 16, true, 0, ~0ull), Expect::Refused},
        {"bigtiff_strip_past_the_end", Tiff(4, 4, 16, ~0ull, true), Expect::Damaged, 4, 4},
        {"bigtiff_width_past_int_max", Tiff(0xFFFFFFFFu, 4, 16, 16, true), Expect::Refused},
        // Recognised by its signature; the directory offset lies past this short file.
        {"bigtiff_big_endian", QByteArray("MM\0+\0\x08\0\0\0\0\0\0\0\0\x01\0", 16),
         Expect::Refused},
        {"bmp_sound", Bitmap(4, 4, 24), Expect::Sized, 4, 4},
        {"bmp_top_down", Bitmap(4, -4, 24), Expect::Sized, 4, 4},
        {"bmp_int_min_height", Bitmap(4, INT_MIN, 24), Expect::Refused},
        {"bmp_int_min_width", Bitmap(INT_MIN, 4, 24), Expect::Refused},
        {"bmp_negative_width", Bitmap(-4, 4, 24), Expect::Refused},
        {"bmp_zero", Bitmap(0, 0, 24), Expect::Refused},
        {"bmp_int_max", Bitmap(INT_MAX, INT_MAX, 24), Expect::Damaged, INT_MAX, INT_MAX},
        {"bmp_int_max_32_bits", Bitmap(INT_MAX, 1, 32), Expect::Damaged, INT_MAX, 1},
        {"bmp_bits_0", Bitmap(4, 4, 0), Expect::Refused},
        {"bmp_bits_65535", Bitmap(4, 4, 65535), Expect::Refused},
        {"bmp_rle8_with_24_bits", Bitmap(4, 4, 24, 54, 1), Expect::Refused},
        {"bmp_pixels_past_the_end", Bitmap(4, 4, 24, 0xFFFFFFFFu), Expect::Refused},
        {"bmp_pixels_in_the_header", Bitmap(4, 4, 24, 20), Expect::Refused},
        {"bmp_cut", Bitmap(4, 4, 24).left(60), Expect::Damaged, 4, 4},
        {"bmp_cut_header", Bitmap(4, 4, 24).left(24), Expect::Refused},
        {"bmp_core", bitmapCore, Expect::Sized, 4, 4},
        {"webp_lossy", lossy, Expect::Sized, 8, 6},
        {"webp_lossy_zero", lossyZero, Expect::Refused},
        {"webp_lossless", lossless, Expect::Sized, 8, 6},
        {"webp_lossless_widest", losslessWide, Expect::Sized, 16384, 6},
        {"webp_riff_past_the_end", riffLong, Expect::Damaged, 8, 6},
        {"webp_extended_widest", extended, Expect::Damaged, 1 << 24, 1},
        {"webp_cut_header", lossy.left(14), Expect::Refused},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(row.name);
        WriteBytes(path, row.bytes);
        SniffedFile sniffed;
        ASSERT_TRUE(SniffImageFile(path, &sniffed));
        EXPECT_NE(sniffed.format, kFormatUnknown);
        if (row.expect == Expect::Refused) {
            EXPECT_FALSE(sniffed.problem.isEmpty());
            continue;
        }
        EXPECT_EQ(sniffed.problem, QString());
        EXPECT_EQ(sniffed.damage.isEmpty(), row.expect == Expect::Sized);
        EXPECT_EQ(sniffed.width, row.width);
        EXPECT_EQ(sniffed.height, row.height);
    }
}

TEST(FileFormat, BigTiffIsTiff) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("big.tif");
    Solid(40, 30, QColor(30, 160, 90))
        .tiffsave(QFile::encodeName(path),
                  VImage::option()->set("bigtiff", true)->set("tile", true));
    ASSERT_TRUE(ReadBytes(path).startsWith(QByteArray("II+\0", 4)));
    SniffedFile sniffed;
    ASSERT_TRUE(SniffImageFile(path, &sniffed));
    EXPECT_EQ(sniffed.format, kFormatTiff);
    EXPECT_EQ(sniffed.width, 40);
    EXPECT_EQ(sniffed.height, 30);
    EXPECT_EQ(sniffed.problem, QString());
    EXPECT_EQ(sniffed.damage, QString());
}

}  // namespace

namespace {

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

}  // namespace

// Which files are HEIF by their brands, which are cut or damaged containers, and which are
// documents recognised only to be refused.
TEST(FileFormat, ContainersByTheirBrandsAndDocumentsByTheirSignatures) {
    const QByteArray meta = BoxOf("meta", QByteArray(4, '\0'));
    const QByteArray data = BoxOf("mdat", QByteArray(32, 'x'));
    QByteArray hugeBox = BoxOf("mdat", QByteArray(8, 'x'));
    qToBigEndian<quint32>(0x40000000u, hugeBox.data());
    // A 64-bit size of 2^63: larger than any file, and than a signed offset.
    QByteArray largeBox = QByteArray("\0\0\0\1mdat", 8) + QByteArray(8, '\0') + "xxxx";
    largeBox[8] = char(0x80);
    const QByteArray svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\"/>";
    const struct Case {
        const char* name;
        QByteArray bytes;
        int format;
        bool problem;
    } cases[] = {
        {"heic", TypeBox("heic", {"mif1", "heic"}) + meta + data, kFormatHeif, false},
        {"avif", TypeBox("avif", {"mif1", "avif", "miaf"}) + meta + data, kFormatHeif, false},
        {"heif by a compatible brand", TypeBox("mp42", {"isom", "msf1"}) + meta + data, kFormatHeif,
         false},
        {"every still brand",
         TypeBox("xxxx", {"heix", "hevc", "hevx", "heim", "heis", "avis"}) + meta + data,
         kFormatHeif, false},
        {"a film", TypeBox("mp42", {"isom", "mp41"}) + meta + data, kFormatUnknown, false},
        {"type box shorter than its fields",
         QByteArray("\0\0\0\x0C"
                    "ftypheic\0\0\0\0",
                    16) +
             meta,
         kFormatUnknown, false},
        {"type box of 4 GiB",
         QByteArray("\xFF\xFF\xFF\xFC"
                    "ftypheic\0\0\0\0",
                    16) +
             meta,
         kFormatUnknown, false},
        {"last box runs to the end", TypeBox("heic", {}) + meta + QByteArray("\0\0\0\0mdatxx", 10),
         kFormatHeif, false},
        {"a box past the end", TypeBox("heic", {}) + meta + hugeBox, kFormatHeif, true},
        {"a 64-bit size past the end", TypeBox("heic", {}) + meta + largeBox, kFormatHeif, true},
        {"a box of 4 bytes", TypeBox("heic", {}) + meta + QByteArray("\0\0\0\4mdat", 8),
         kFormatHeif, true},
        {"cut in the type box", TypeBox("heic", {"mif1"}).left(14), kFormatHeif, true},
        {"no meta box", TypeBox("heic", {"mif1"}) + data, kFormatHeif, true},
        {"svg", svg, kFormatSvg, false},
        {"svg after a declaration and a comment",
         "<?xml version=\"1.0\"?>\n<!-- drawn by hand -->\n<!DOCTYPE svg>\n" + svg, kFormatSvg,
         false},
        {"svg after a byte order mark and spaces", "\xEF\xBB\xBF \n\t" + svg, kFormatSvg, false},
        {"html", "<html><body>text</body></html>", kFormatUnknown, false},
        {"text that mentions <svg", "not a drawing: " + svg, kFormatUnknown, false},
        {"pdf", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj<<>>endobj\n", kFormatPdf, false},
        {"pdf after junk", QByteArray(300, 'j') + "%PDF-1.7\n", kFormatPdf, false},
    };
    QTemporaryDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = QDir(temp.path()).filePath("file.jpg");
        WriteBytes(path, c.bytes);
        SniffedFile sniffed;
        ASSERT_TRUE(SniffImageFile(path, &sniffed));
        EXPECT_EQ(sniffed.format, c.format);
        EXPECT_EQ(!sniffed.problem.isEmpty(), c.problem) << sniffed.problem.toStdString();
        EXPECT_EQ(sniffed.width, 0);
        EXPECT_EQ(sniffed.height, 0);
    }
}
