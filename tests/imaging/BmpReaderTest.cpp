#include "imaging/BmpReader.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QtEndian>

#include "tests/support/Corpus.h"
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

}  // namespace
