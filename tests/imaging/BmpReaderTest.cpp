#include <gtest/gtest.h>
#include <QDir>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>

#include "imaging/CLead.h"
#include "imaging/readers/Reader.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

// The bitmap through the reader, as the sniffer hands it over.
ReadPicture ReadBitmap(const QString& path) {
    SniffedFile sniffed;
    EXPECT_TRUE(SniffImageFile(path, &sniffed));
    EXPECT_EQ(sniffed.problem, QString());
    return ReadBmp({path, sniffed});
}

QImage Pixels(const VImage& image) {
    size_t size = 0;
    void* data = image.write_to_memory(&size);
    QImage copy = QImage(static_cast<const uchar*>(data), image.width(), image.height(),
                         image.width() * 3, QImage::Format_RGB888)
                      .copy();
    g_free(data);
    return copy;
}

// The largest difference of any sample between two pictures of one size.
int Worst(const QImage& a, const QImage& b) {
    int worst = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            worst = std::max({worst, std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                              std::abs(p.blue() - q.blue())});
        }
    }
    return worst;
}

// A bitmap of 6 x 4 pixels of 16 or 32 bits, plain or in bit fields, with the header size and
// coding given (masks after a 40-byte header, or in a longer one): pixel x, y is pixel(x, y),
// bottom-up unless topDown.
QByteArray BitFields(int bits, int headerSize, int coding, std::array<quint32, 4> masks,
                     const std::function<quint32(int, int)>& pixel, bool topDown = false) {
    const int width = 6;
    const int height = 4;
    const int stride = (width * bits / 8 + 3) & ~3;
    const int maskBytes = headerSize == 40 ? (coding == 6 ? 16 : 12) : 0;
    const int offset = 14 + headerSize + maskBytes;
    QByteArray b = BitmapHeaders(width, topDown ? -height : height, bits, quint32(coding),
                                 quint32(offset), quint32(stride * height), quint32(headerSize)) +
                   QByteArray(maskBytes + stride * height, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    for (int i = 0; i < 4; ++i) qToLittleEndian<quint32>(masks[size_t(i)], p + 54 + 4 * i);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uchar* at = p + offset + (topDown ? y : height - 1 - y) * stride + x * bits / 8;
            if (bits == 16) {
                qToLittleEndian<quint16>(quint16(pixel(x, y)), at);
            } else {
                qToLittleEndian<quint32>(pixel(x, y), at);
            }
        }
    }
    return b;
}

// Colour i of the run-length tests' palette: never black.
QColor PaletteColour(int index) {
    return QColor(16 * index, 255 - 16 * index, 100);
}

// A run-length bitmap (8 bits, or 4) of width x height with a 16-colour palette of
// PaletteColour, the data as given.
QByteArray RunLength(int width, int height, bool fourBits, const QByteArray& data) {
    QByteArray b = BitmapHeaders(width, height, fourBits ? 4 : 8, fourBits ? 2 : 1, 54 + 16 * 4,
                                 quint32(data.size())) +
                   QByteArray(16 * 4, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    qToLittleEndian<quint32>(16, p + 46);
    for (int i = 0; i < 16; ++i) {
        const QColor c = PaletteColour(i);
        p[54 + 4 * i] = uchar(c.blue());
        p[54 + 4 * i + 1] = uchar(c.green());
        p[54 + 4 * i + 2] = uchar(c.red());
    }
    return b + data;
}

// Every depth the corpus writes, and pixels of 16 and 32 bits plain, in bit fields or top
// down, read pixel for pixel as the toolkit's reader reads them.
TEST(BmpReader, EveryLayoutReadsAsTheToolkitReadsIt) {
    QTemporaryDir temp;
    const QList<corpus::File> files = corpus::Write(temp.path());
    QStringList names;
    for (const corpus::File& file : files) {
        if (file.name.startsWith("bmp-") && !file.damaged) names << file.path;
    }
    const auto sixteen = [](int x, int y) { return quint32((x << 11) | (y << 5) | (31 - x)); };
    const auto colour = [](int x, int y) { return quint32((x * 40) << 16 | (y * 60) << 8 | 90); };
    const struct {
        const char* name;
        QByteArray bytes;
    } more[] = {
        {"16-plain.bmp", BitFields(16, 40, 0, {}, sixteen)},
        {"16-fields565.bmp", BitFields(16, 40, 3, {0xF800, 0x07E0, 0x001F, 0}, sixteen)},
        {"32-top-down.bmp", BitFields(32, 40, 0, {}, colour, true)},
    };
    for (const auto& bitmap : more) {
        names << QDir(temp.path()).filePath(bitmap.name);
        WriteBytes(names.last(), bitmap.bytes);
    }
    ASSERT_EQ(names.size(), 7);
    for (const QString& path : names) {
        SCOPED_TRACE(QFileInfo(path).fileName().toStdString());
        const ReadPicture ours = ReadBitmap(path);
        EXPECT_EQ(ours.damage, QString());
        const QImage theirs =
            QImageReader(path, "bmp").read().convertToFormat(QImage::Format_RGB888);
        const QImage mine = Pixels(ours.image);
        ASSERT_EQ(mine.size(), theirs.size());
        // Five- and six-bit fields: the toolkit multiplies (31 becomes 248), we scale to the
        // full range (31 becomes 255).
        EXPECT_LE(Worst(mine, theirs), path.contains("16-") ? 8 : 0);
    }
}

// Pixels with an alpha mask are composed on black, as in every other format, and match the
// toolkit's reading composed on black (of the same pixels in a header it reads); the fourth
// byte of a plain 32-bit pixel is no alpha.
TEST(BmpReader, AlphaIsComposedOnBlack) {
    const auto rgba = [](int x, int y) {
        return quint32((x * 40) << 24 | (200 - 30 * y) << 16 | (20 * x) << 8 | 90);
    };
    const std::array<quint32, 4> argb{0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
    const QByteArray v5 = BitFields(32, 124, 3, argb, rgba);
    const QByteArray plain = BitFields(32, 40, 0, {}, rgba);
    const struct Row {
        const char* name;
        QByteArray bytes;
        QByteArray reference;  // the same pixels, as the toolkit reads them
    } rows[] = {
        {"v5", v5, v5},
        {"alpha_bit_fields", BitFields(32, 40, 6, argb, rgba), v5},
        {"plain_with_a_fourth_byte", plain, plain},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".bmp");
        const QString reference = QDir(temp.path()).filePath(QString(row.name) + "-reference.bmp");
        WriteBytes(path, row.bytes);
        WriteBytes(reference, row.reference);
        const QImage theirs = QImageReader(reference, "bmp").read();
        ASSERT_FALSE(theirs.isNull());
        QImage onBlack(theirs.size(), QImage::Format_RGB888);
        onBlack.fill(Qt::black);
        QPainter(&onBlack).drawImage(0, 0, theirs);
        CLead lead;
        lead.LoadImage(path);
        EXPECT_FALSE(lead.Damaged());
        EXPECT_LE(Worst(lead.ToQImage(), onBlack), 1);
    }
}

TEST(BmpReader, ACutBitmapKeepsTheRowsItHolds) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("cut.bmp");
    QImage picture(40, 30, QImage::Format_RGB888);
    picture.fill(QColor(200, 100, 50));
    WriteBmp(picture, path);
    // Bottom-up rows: cutting the file loses the top of the picture.
    WriteBytes(path, ReadBytes(path).chopped(120 * 10));
    const ReadPicture ours = ReadBitmap(path);
    EXPECT_FALSE(ours.damage.isEmpty());
    const QImage pixels = Pixels(ours.image);
    EXPECT_EQ(pixels.pixelColor(5, 5), QColor(0, 0, 0));
    EXPECT_EQ(pixels.pixelColor(5, 25), QColor(200, 100, 50));
}

// An OS/2 1.x bitmap whose palette is shorter than its depth allows reads right; a pixel that names
// a colour past the palette makes it damaged.
TEST(BmpReader, AShortOs2PaletteReadsRightOrIsDamaged) {
    const auto os2 = [](uchar lastIndex) {
        QByteArray b = QByteArray("BM") + QByteArray(24, '\0');
        auto* p = reinterpret_cast<uchar*>(b.data());
        qToLittleEndian<quint32>(26 + 3 * 3, p + 10);  // three colours, then the pixels
        qToLittleEndian<quint32>(12, p + 14);
        qToLittleEndian<quint16>(4, p + 18);
        qToLittleEndian<quint16>(2, p + 20);
        qToLittleEndian<quint16>(1, p + 22);
        qToLittleEndian<quint16>(8, p + 24);
        b += QByteArray(
            "\x00\x00\xFF"
            "\x00\xFF\x00"
            "\xFF\x00\x00",
            9);                                                      // red, green, blue
        b += QByteArray("\x00\x01\x02\x00", 4);                      // bottom row
        return b + QByteArray("\x02\x01\x00", 3) + char(lastIndex);  // top row
    };
    QTemporaryDir temp;
    const QString sound = QDir(temp.path()).filePath("sound.bmp");
    const QString missing = QDir(temp.path()).filePath("missing.bmp");
    WriteBytes(sound, os2(1));
    WriteBytes(missing, os2(7));
    const ReadPicture ours = ReadBitmap(sound);
    EXPECT_EQ(ours.damage, QString());
    const QImage pixels = Pixels(ours.image);
    EXPECT_EQ(pixels.pixelColor(0, 1), QColor(255, 0, 0));
    EXPECT_EQ(pixels.pixelColor(2, 1), QColor(0, 0, 255));
    EXPECT_EQ(pixels.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_EQ(pixels.pixelColor(3, 0), QColor(0, 255, 0));
    const ReadPicture damaged = ReadBitmap(missing);
    EXPECT_FALSE(damaged.damage.isEmpty());
    EXPECT_EQ(Pixels(damaged.image).pixelColor(3, 0), QColor(0, 0, 0));
}

// Run-length data as its runs say (in hex), rows top first in the expectations ('/' between
// them): a hex digit is that palette index, '.' a pixel the data skips or never reaches, or
// names past the palette (black). Data that reaches outside the picture makes it damaged.
TEST(BmpReader, RunLengthDataIsReadAsItsRunsSay) {
    const struct Row {
        const char* name;
        int bits, width;
        const char* data;
        const char* expected;
        bool damaged;
    } rows[] = {
        {"runs_and_ends_of_line", 8, 4, "02010202 0000 0403 0001", "3333/1122", false},
        {"delta_skips_right_and_up", 8, 4, "0101 00020201 0102 0001", "..../...2/1...", false},
        {"literal_padded_to_a_word", 8, 4, "0003010203 00 0104 0001", "1234", false},
        {"four_bit_runs_alternate", 4, 5, "0512 0001", "12121", false},
        {"four_bit_literal", 4, 6, "000512345000 01EE 0001", "12345E", false},
        {"early_end_of_bitmap", 8, 3, "0305 0001", ".../.../555", false},
        {"run_past_the_row_end_is_dropped", 8, 3, "0507 0208 0000 0109 0001", "9../777", true},
        {"delta_past_the_top", 8, 2, "0206 00020009 0207", "../66", true},
        {"index_past_the_palette", 8, 2, "0105 0120 0001", "5.", true},
        {"cut_before_the_end_mark", 8, 3, "0304 0000 01", ".../444", true},
        {"cut_inside_a_literal", 8, 4, "00040102", "....", true},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QStringList expected = QString(row.expected).split('/');
        const int height = int(expected.size());
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".bmp");
        WriteBytes(path, RunLength(row.width, height, row.bits == 4,
                                   QByteArray::fromHex(QByteArray(row.data).replace(' ', ""))));
        const ReadPicture ours = ReadBitmap(path);
        EXPECT_EQ(ours.damage.isEmpty(), !row.damaged) << ours.damage.toStdString();
        const QImage pixels = Pixels(ours.image);
        ASSERT_EQ(pixels.size(), QSize(row.width, height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < row.width; ++x) {
                const QChar want = expected[y][x];
                const QColor colour =
                    want == '.' ? QColor(0, 0, 0) : PaletteColour(QString(want).toInt(nullptr, 16));
                EXPECT_EQ(pixels.pixelColor(x, y), colour) << "at " << x << ", " << y;
            }
        }
    }
}

}  // namespace
