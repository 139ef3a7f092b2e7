#include "tests/support/TestImages.h"

#include <gtest/gtest.h>
#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <cstdlib>
#include <cstring>

#include "imaging/ExifBlock.h"
#include "imaging/ImagingSetup.h"

using vips::VImage;

namespace testimages {
namespace {

VImage Srgb(const VImage& image) {
    return image.cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", image.bands() == 1
                                                          ? VIPS_INTERPRETATION_B_W
                                                          : VIPS_INTERPRETATION_sRGB));
}

void Put32(QByteArray& bytes, int at, quint32 value) {
    qToLittleEndian<quint32>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}

void Put16(QByteArray& bytes, int at, quint16 value) {
    qToLittleEndian<quint16>(value, reinterpret_cast<uchar*>(bytes.data()) + at);
}

// A SHORT entry of one value in the directory.
void AddShort(ExifData* data, ExifIfd ifd, ExifTag tag, ExifShort value) {
    ExifEntry* entry = exif_entry_new();
    entry->tag = tag;
    entry->format = EXIF_FORMAT_SHORT;
    entry->components = 1;
    entry->size = 2;
    entry->data = static_cast<unsigned char*>(std::malloc(2));
    exif_set_short(entry->data, exif_data_get_byte_order(data), value);
    exif_content_add_entry(data->ifd[ifd], entry);
    exif_entry_unref(entry);
}

}  // namespace

VImage Solid(int width, int height, QColor colour) {
    StartImaging();
    return Srgb(
        VImage::black(width, height, VImage::option()->set("bands", 3))
            .new_from_image({double(colour.red()), double(colour.green()), double(colour.blue())}));
}

VImage Halves(int width, int height, QColor left, QColor right) {
    const VImage a = Solid(width / 2, height, left);
    const VImage b = Solid(width - width / 2, height, right);
    return Srgb(a.join(b, VIPS_DIRECTION_HORIZONTAL));
}

VImage PhotoLike(int width, int height, int seed) {
    StartImaging();
    const VImage xy = VImage::xyz(width, height);
    const VImage x = xy.extract_band(0);
    const VImage y = xy.extract_band(1);
    const VImage r = x * (200.0 / width) + 20 + seed;
    const VImage g = y * (180.0 / height) + 30;
    const VImage b = (x + y) * (120.0 / (width + height)) + 60;
    const VImage noise =
        VImage::gaussnoise(width, height, VImage::option()->set("sigma", 12)->set("seed", seed));
    return Srgb(VImage::bandjoin({r, g, b}) + VImage::bandjoin({noise, noise, noise}));
}

VImage Checkerboard(int width, int height) {
    StartImaging();
    const VImage xy = VImage::xyz(width, height);
    const VImage sum = xy.extract_band(0) + xy.extract_band(1);
    return Srgb(((sum % 2) == 0).cast(VIPS_FORMAT_UCHAR));
}

void WriteJpeg(const VImage& image, const QString& path, int quality, int orientation) {
    VImage out = image.copy();
    if (orientation != 1) out.set(VIPS_META_ORIENTATION, orientation);
    out.jpegsave(QFile::encodeName(path).constData(),
                 VImage::option()->set("Q", quality)->set("strip", orientation == 1));
}

QByteArray EncodedBytes(const VImage& image, const char* suffix, vips::VOption* options) {
    void* data = nullptr;
    size_t size = 0;
    image.write_to_buffer(suffix, &data, &size, options ? options : VImage::option());
    const QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
    g_free(data);
    return bytes;
}

QByteArray JpegBytes(const VImage& image, int quality) {
    return EncodedBytes(image, ".jpg", VImage::option()->set("Q", quality)->set("strip", true));
}

QByteArray CameraJpeg(const VImage& picture, const QByteArray& thumbnailJpeg, int orientation) {
    ExifData* data = exif_data_new();
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_MOTOROLA);
    if (orientation != 0) AddShort(data, EXIF_IFD_0, EXIF_TAG_ORIENTATION, ExifShort(orientation));
    if (!thumbnailJpeg.isEmpty()) {
        AddShort(data, EXIF_IFD_1, EXIF_TAG_COMPRESSION, 6);
        // libexif writes the thumbnail's offset and length, and frees it with free().
        data->data = static_cast<unsigned char*>(std::malloc(thumbnailJpeg.size()));
        std::memcpy(data->data, thumbnailJpeg.constData(), thumbnailJpeg.size());
        data->size = unsigned(thumbnailJpeg.size());
    }
    unsigned char* block = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data, &block, &size);
    exif_data_unref(data);
    const QByteArray payload(reinterpret_cast<const char*>(block), int(size));
    std::free(block);
    return SpliceExif(JpegBytes(picture), payload);
}

void WritePng(const VImage& image, const QString& path, int bitDepth) {
    VImage out = image;
    if (bitDepth == 16) {
        out = (image.cast(VIPS_FORMAT_USHORT) * 257)
                  .cast(VIPS_FORMAT_USHORT)
                  .copy(VImage::option()->set("interpretation", image.bands() >= 3
                                                                    ? VIPS_INTERPRETATION_RGB16
                                                                    : VIPS_INTERPRETATION_GREY16));
    }
    auto* options = VImage::option();
    if (bitDepth < 8) options->set("bitdepth", bitDepth);
    out.pngsave(QFile::encodeName(path).constData(), options);
}

void WriteTiff(const VImage& image, const QString& path, int bitDepth) {
    auto* options = VImage::option();
    if (bitDepth < 8) options->set("bitdepth", bitDepth);
    image.tiffsave(QFile::encodeName(path).constData(), options);
}

void WriteWebp(const VImage& image, const QString& path, int orientation) {
    VImage out = image.copy();
    if (orientation != 1) out.set(VIPS_META_ORIENTATION, orientation);
    out.webpsave(QFile::encodeName(path).constData(),
                 VImage::option()->set("Q", 90)->set("strip", orientation == 1));
}

void WriteHeif(const VImage& image, const QString& path, const char* compression, int orientation) {
    VImage out = image.copy();
    if (orientation != 1) out.set(VIPS_META_ORIENTATION, orientation);
    out.heifsave(QFile::encodeName(path).constData(), VImage::option()
                                                          ->set("compression", compression)
                                                          ->set("Q", 80)
                                                          ->set("effort", 0)
                                                          ->set("strip", orientation == 1));
}

void WriteBmp(const QImage& image, const QString& path, int bits) {
    QList<QRgb> greys;
    for (int i = 0; i < 16; ++i) greys << qRgb(i * 17, i * 17, i * 17);
    const QImage converted = bits == 1   ? image.convertToFormat(QImage::Format_Mono)
                             : bits == 4 ? image.convertToFormat(QImage::Format_Indexed8, greys)
                             : bits == 8 ? image.convertToFormat(QImage::Format_Grayscale8)
                                         : image.convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(converted.save(path, "BMP")) << path.toStdString();
}

QByteArray BitmapHeaders(qint32 width, qint32 height, int bits, quint32 compression,
                         quint32 pixelOffset, quint32 pixelBytes, quint32 headerSize) {
    QByteArray headers(14 + qsizetype(headerSize), '\0');
    headers[0] = 'B';
    headers[1] = 'M';
    Put32(headers, 2, pixelOffset + pixelBytes);
    Put32(headers, 10, pixelOffset);
    Put32(headers, 14, headerSize);
    Put32(headers, 18, quint32(width));
    Put32(headers, 22, quint32(height));
    Put16(headers, 26, 1);
    Put16(headers, 28, quint16(bits));
    Put32(headers, 30, compression);
    Put32(headers, 34, pixelBytes);
    return headers;
}

void WriteBlankPng(const QString& path, int width, int height) {
    StartImaging();
    VImage::black(width, height)
        .pngsave(QFile::encodeName(path).constData(), VImage::option()->set("bitdepth", 1));
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray();
    return file.readAll();
}

QColor PixelAt(const VImage& image, int x, int y) {
    std::vector<double> p = image.getpoint(x, y);
    if (p.size() == 1) return QColor(int(p[0]), int(p[0]), int(p[0]));
    return QColor(int(p[0]), int(p[1]), int(p[2]));
}

QList<QPoint> EdgeMiddles(const QRect& r, int inset) {
    return {{r.left() + inset, r.center().y()},
            {r.right() - inset, r.center().y()},
            {r.center().x(), r.top() + inset},
            {r.center().x(), r.bottom() - inset}};
}

QColor PixelAt(const QString& path, int x, int y) {
    StartImaging();
    // The library reads bitmaps only through its ImageMagick loader, which the imaging setup
    // blocks: the toolkit reads them here.
    if (ReadBytes(path).startsWith("BM")) return QImage(path, "bmp").pixelColor(x, y);
    return PixelAt(VImage::new_from_file(QFile::encodeName(path).constData()), x, y);
}

void EnsureCoreApplication() {
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

QString RunTool(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        ADD_FAILURE() << program.toStdString() << " did not run";
        return QString();
    }
    if (exitCode) *exitCode = process.exitCode();
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace testimages
