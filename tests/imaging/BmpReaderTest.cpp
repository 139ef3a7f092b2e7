#include "imaging/BmpReader.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

#include "imaging/CLead.h"
#include "tests/support/Corpus.h"
#include "tests/support/HeapMeter.h"
#include "tests/support/TestImages.h"

using namespace testimages;
using vips::VImage;

namespace {

QImage Pixels(const VImage& image) {
    size_t size = 0;
    void* data = image.write_to_memory(&size);
    QImage copy = QImage(static_cast<const uchar*>(data), image.width(), image.height(),
                         image.width() * 3, QImage::Format_RGB888)
                      .copy();
    g_free(data);
    return copy;
}

// A 16-bit bitmap with 5-6-5 bit fields, whose pixel x, y is red x, green y, blue 31 - x.
QByteArray Bitfields565() {
    const int width = 6;
    const int height = 4;
    QByteArray b(66 + 4 * height * 4, '\0');  // rows of 12 bytes
    auto* p = reinterpret_cast<uchar*>(b.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(66, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(16, p + 28);
    qToLittleEndian<quint32>(3, p + 30);
    qToLittleEndian<quint32>(0xF800, p + 54);
    qToLittleEndian<quint32>(0x07E0, p + 58);
    qToLittleEndian<quint32>(0x001F, p + 62);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const quint16 pixel = quint16((x << 11) | (y << 5) | (31 - x));
            qToLittleEndian<quint16>(pixel, p + 66 + (height - 1 - y) * 12 + 2 * x);
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
    QByteArray b(54 + 16 * 4, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(b.size() + data.size()), p + 2);
    qToLittleEndian<quint32>(quint32(b.size()), p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(fourBits ? 4 : 8, p + 28);
    qToLittleEndian<quint32>(fourBits ? 2 : 1, p + 30);
    qToLittleEndian<quint32>(quint32(data.size()), p + 34);
    qToLittleEndian<quint32>(16, p + 46);
    for (int i = 0; i < 16; ++i) {
        const QColor c = PaletteColour(i);
        p[54 + 4 * i] = uchar(c.blue());
        p[54 + 4 * i + 1] = uchar(c.green());
        p[54 + 4 * i + 2] = uchar(c.red());
    }
    return b + data;
}

// Every depth and coding the corpus writes, and bit fields, read pixel for pixel as the
// toolkit's reader reads them.
TEST(BmpReader, EveryLayoutReadsAsTheToolkitReadsIt) {
    QTemporaryDir temp;
    const QList<corpus::File> files = corpus::Write(temp.path());
    QStringList names;
    for (const corpus::File& file : files) {
        if (file.name.startsWith("bmp-") && !file.damaged) names << file.path;
    }
    const QString fields = QDir(temp.path()).filePath("fields565.bmp");
    WriteBytes(fields, Bitfields565());
    names << fields;
    ASSERT_EQ(names.size(), 10);
    for (const QString& path : names) {
        SCOPED_TRACE(QFileInfo(path).fileName().toStdString());
        QString damage;
        const std::optional<VImage> ours = imaging::ReadBitmap(path, &damage);
        ASSERT_TRUE(ours.has_value());
        EXPECT_EQ(damage, QString());
        const QImage theirs =
            QImageReader(path, "bmp").read().convertToFormat(QImage::Format_RGB888);
        const QImage mine = Pixels(*ours);
        ASSERT_EQ(mine.size(), theirs.size());
        // Five- and six-bit fields: the toolkit multiplies (31 becomes 248), we scale to the
        // full range (31 becomes 255).
        const int tolerance = path.contains("16") || path.contains("565") ? 8 : 0;
        int worst = 0;
        for (int y = 0; y < mine.height(); ++y) {
            for (int x = 0; x < mine.width(); ++x) {
                const QColor a = mine.pixelColor(x, y);
                const QColor b = theirs.pixelColor(x, y);
                worst = std::max({worst, std::abs(a.red() - b.red()),
                                  std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
            }
        }
        EXPECT_LE(worst, tolerance);
    }
}

TEST(BmpReader, ACutBitmapKeepsTheRowsItHolds) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("cut.bmp");
    QImage picture(40, 30, QImage::Format_RGB888);
    picture.fill(QColor(200, 100, 50));
    WriteBmp(picture, path, BmpKind::Bits24);
    // Bottom-up rows: cutting the file loses the top of the picture.
    WriteBytes(path, ReadBytes(path).chopped(120 * 10));
    QString damage;
    const std::optional<VImage> ours = imaging::ReadBitmap(path, &damage);
    ASSERT_TRUE(ours.has_value());
    EXPECT_FALSE(damage.isEmpty());
    const QImage pixels = Pixels(*ours);
    EXPECT_EQ(pixels.pixelColor(5, 5), QColor(0, 0, 0));
    EXPECT_EQ(pixels.pixelColor(5, 25), QColor(200, 100, 50));
}

// Run-length data as its runs say, top row first in the expectations: a hex digit is that
// palette index, '.' a pixel the data skips or never reaches (black).
TEST(BmpReader, RunLengthDataIsReadAsItsRunsSay) {
    const struct Row {
        const char* name;
        bool fourBits;
        int width;
        int height;
        QByteArray data;
        std::vector<const char*> expected;
        bool damaged;
    } rows[] = {
        {"runs_and_ends_of_line",
         false,
         4,
         2,
         QByteArray("\x02\x01\x02\x02\x00\x00\x04\x03\x00\x01", 10),
         {"3333", "1122"},
         false},
        {"delta_skips_right_and_up",
         false,
         4,
         3,
         QByteArray("\x01\x01\x00\x02\x02\x01\x01\x02\x00\x01", 10),
         {"....", "...2", "1..."},
         false},
        {"literal_padded_to_a_word",
         false,
         4,
         1,
         QByteArray("\x00\x03\x01\x02\x03\x00\x01\x04\x00\x01", 10),
         {"1234"},
         false},
        {"four_bit_runs_alternate",
         true,
         5,
         1,
         QByteArray("\x05\x12\x00\x01", 4),
         {"12121"},
         false},
        {"four_bit_literal",
         true,
         6,
         1,
         QByteArray("\x00\x05\x12\x34\x50\x00\x01\xEE\x00\x01", 10),
         {"12345E"},
         false},
        {"early_end_of_bitmap",
         false,
         3,
         3,
         QByteArray("\x03\x05\x00\x01", 4),
         {"...", "...", "555"},
         false},
        {"run_past_the_row_end_is_dropped",
         false,
         3,
         2,
         QByteArray("\x05\x07\x02\x08\x00\x00\x01\x09\x00\x01", 10),
         {"9..", "777"},
         false},
        {"delta_past_the_top_ends_the_bitmap",
         false,
         2,
         2,
         QByteArray("\x02\x06\x00\x02\x00\x09\x02\x07", 8),
         {"..", "66"},
         false},
        {"cut_before_the_end_mark",
         false,
         3,
         2,
         QByteArray("\x03\x04\x00\x00\x01", 5),
         {"...", "444"},
         true},
        {"cut_inside_a_literal", false, 4, 1, QByteArray("\x00\x04\x01\x02", 4), {"...."}, true},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".bmp");
        WriteBytes(path, RunLength(row.width, row.height, row.fourBits, row.data));
        QString damage;
        const std::optional<VImage> ours = imaging::ReadBitmap(path, &damage);
        ASSERT_TRUE(ours.has_value());
        EXPECT_EQ(damage.isEmpty(), !row.damaged) << damage.toStdString();
        const QImage pixels = Pixels(*ours);
        ASSERT_EQ(pixels.size(), QSize(row.width, row.height));
        for (int y = 0; y < row.height; ++y) {
            for (int x = 0; x < row.width; ++x) {
                const char want = row.expected[size_t(y)][x];
                const QColor expected = want == '.'
                                            ? QColor(0, 0, 0)
                                            : PaletteColour(QByteArray(1, want).toInt(nullptr, 16));
                EXPECT_EQ(pixels.pixelColor(x, y), expected) << "at " << x << ", " << y;
            }
        }
    }
}

// Runs past the end of a row add nothing however many there are: a count of columns that
// passed the largest int would have written before the picture.
TEST(BmpReader, RunsPastTheRowEndAreDroppedHoweverMany) {
    QByteArray data;
    data.reserve(2 * 8'500'000 + 2);
    for (int i = 0; i < 8'500'000; ++i) data.append("\xFF\x03", 2);  // 2,167,500,000 columns
    data.append("\x00\x01", 2);
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("long.bmp");
    WriteBytes(path, RunLength(8, 2, false, data));
    QString damage;
    const std::optional<VImage> ours = imaging::ReadBitmap(path, &damage);
    ASSERT_TRUE(ours.has_value());
    EXPECT_EQ(damage, QString());
    const QImage pixels = Pixels(*ours);
    EXPECT_EQ(pixels.pixelColor(7, 1), PaletteColour(3));
    EXPECT_EQ(pixels.pixelColor(0, 0), QColor(0, 0, 0));
}

// A few bytes that claim a large picture cost the rows they reach, not the picture (one byte a
// pixel would be 100 MB and more): the run-length file the fuzz target found (4,034 x 65,568
// with no data), and one of 10,000 x 10,000 that skips 255 rows and writes five pixels.
TEST(BmpReader, ATinyRunLengthFileCostsTheRowsItReaches) {
    const struct Row {
        const char* name;
        QByteArray bytes;
    } rows[] = {
        {"fuzzed",
         QByteArray::fromHex("424d4c010000000000003a00000028000000c20f000020000100010004000200"
                             "0000d6010044334409010a88060a550566070a5502660a440901")},
        {"delta_to_the_top",
         RunLength(10000, 10000, false, QByteArray("\x00\x02\x00\xFF\x05\x01", 6))},
    };
    QTemporaryDir temp;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = QDir(temp.path()).filePath(QString(row.name) + ".bmp");
        WriteBytes(path, row.bytes);
        QString damage;
        HeapMeter meter;
        const std::optional<VImage> ours = imaging::ReadBitmap(path, &damage);
        ASSERT_TRUE(ours.has_value());
        EXPECT_LT(meter.Held(), 4u << 20);
        EXPECT_LT(meter.Peak().value_or(0), 8u << 20);
        EXPECT_GE(ours->width(), 1000);
        // The rows it reached, as the resampler reads them.
        EXPECT_GE(ours->crop(0, 0, ours->width(), 16).max(), 0);
    }
}

}  // namespace
