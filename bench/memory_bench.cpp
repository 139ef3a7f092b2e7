// The memory one conversion needs at the largest size the import checks allow: makes one
// worst-case input per kind (10,000 x 10,000, or its upright equivalent) and converts one of
// them the way a convert worker does (fit to 800 x 600, JPEG with the Exif block and its
// thumbnail). memory.bench.sh runs each conversion in its own process and reads its peak
// resident memory. Two inputs are there for what they are refused or read as: a progressive
// CMYK JPEG, whose coefficients alone would take 763 MiB, and a GIF whose 1000 x 1000 frame
// stands on a screen of 30,000 x 30,000.
//
//   memory_bench corpus DIR    makes the inputs in DIR (files already there are kept)
//   memory_bench list DIR      prints the inputs, one path a line
//   memory_bench convert FILE  converts FILE; prints the seconds, whether it was damaged, and
//                              the failure when it failed
//   memory_bench thumbnail FILE  makes the grid's thumbnail of FILE (by hand: the script does
//                              not run it)

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QtEndian>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>
#include <vips/vips8>

#include "bench/BenchPictures.h"
#include "card/ConvertRun.h"
#include "imaging/ImagingSetup.h"
#include "thumbs/ThumbnailRenderer.h"

using vips::VImage;
using namespace benchpictures;

namespace {

constexpr int kSide = 10000;

// Smooth colour with fine grain: compresses like a scan, decodes like any other picture.
VImage Picture(int width, int height, int bands) {
    const VImage xy = VImage::xyz(width, height);
    const VImage x = xy.extract_band(0);
    const VImage y = xy.extract_band(1);
    std::vector<VImage> planes{x * (220.0 / width) + 10, y * (200.0 / height) + 20,
                               (x + y) * (150.0 / (width + height)) + 40,
                               x * 0 + 200};  // alpha, mostly opaque
    planes.resize(size_t(bands));
    return Srgb(VImage::bandjoin(planes));
}

VImage Sixteen(const VImage& image) {
    return (image.cast(VIPS_FORMAT_USHORT) * 257)
        .cast(VIPS_FORMAT_USHORT)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
}

QByteArray PngChunk(const char* type, const QByteArray& data);

// A PNG header that claims a 16-bit RGBA picture of kSide x kSide, with no pixel data at all
// (57 bytes).
QByteArray EmptyPng(bool interlaced) {
    QByteArray ihdr(13, '\0');
    auto* p = reinterpret_cast<uchar*>(ihdr.data());
    qToBigEndian<quint32>(kSide, p);
    qToBigEndian<quint32>(kSide, p + 4);
    p[8] = 16;  // bit depth
    p[9] = 6;   // RGBA
    p[12] = interlaced ? 1 : 0;
    return QByteArray("\x89PNG\r\n\x1A\n", 8) + PngChunk("IHDR", ihdr) +
           PngChunk("IDAT", QByteArray()) + PngChunk("IEND", QByteArray());
}

quint32 Crc(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (char c : bytes) {
        crc ^= quint8(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray PngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian<quint32>(quint32(data.size()), reinterpret_cast<uchar*>(chunk.data()));
    const QByteArray body = QByteArray(type, 4) + data;
    QByteArray crc(4, '\0');
    qToBigEndian<quint32>(Crc(body), reinterpret_cast<uchar*>(crc.data()));
    return chunk + body + crc;
}

// A 24-bit bottom-up bitmap written a row at a time (3 bytes a pixel: 300 MB at the limit).
void WriteBmp24(const VImage& image, const QString& path) {
    const int width = image.width();
    const int height = image.height();
    const int stride = (width * 3 + 3) & ~3;
    QByteArray header(54, '\0');
    auto* h = reinterpret_cast<uchar*>(header.data());
    h[0] = 'B';
    h[1] = 'M';
    qToLittleEndian<quint32>(quint32(54 + qint64(stride) * height), h + 2);
    qToLittleEndian<quint32>(54, h + 10);
    qToLittleEndian<quint32>(40, h + 14);
    qToLittleEndian<qint32>(width, h + 18);
    qToLittleEndian<qint32>(height, h + 22);
    qToLittleEndian<quint16>(1, h + 26);
    qToLittleEndian<quint16>(24, h + 28);
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write a bitmap");
    out.write(header);
    QByteArray row(stride, '\0');
    for (int y = height - 1; y >= 0; --y) {
        const VImage line = image.crop(0, y, width, 1);
        size_t size = 0;
        auto* pixels = static_cast<uchar*>(line.write_to_memory(&size));
        for (int x = 0; x < width; ++x) {
            row[3 * x] = char(pixels[3 * x + 2]);
            row[3 * x + 1] = char(pixels[3 * x + 1]);
            row[3 * x + 2] = char(pixels[3 * x]);
        }
        g_free(pixels);
        out.write(row);
    }
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

// A GIF of one 1000 x 1000 frame at (20000, 9000) on a 30,000 x 30,000 screen.
QByteArray FrameOnAHugeScreen() {
    void* data = nullptr;
    size_t size = 0;
    Picture(1000, 1000, 3).write_to_buffer(".gif", &data, &size);
    QByteArray gif(static_cast<const char*>(data), qsizetype(size));
    g_free(data);
    const qsizetype frame = gif.indexOf(QByteArray("\x2C\0\0\0\0\xE8\x03\xE8\x03", 9));
    if (frame < 0) throw std::runtime_error("no frame of 1000 x 1000 at the corner");
    auto* p = reinterpret_cast<uchar*>(gif.data());
    qToLittleEndian<quint16>(30000, p + 6);
    qToLittleEndian<quint16>(30000, p + 8);
    qToLittleEndian<quint16>(20000, p + frame + 1);
    qToLittleEndian<quint16>(9000, p + frame + 3);
    return gif;
}

// The first third of the named file beside path.
QByteArray Cut(const QString& path, const char* name) {
    QFile in(QFileInfo(path).dir().filePath(QString::fromLatin1(name)));
    if (!in.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + std::string(name));
    return in.read(in.size() / 3);
}

struct Input {
    const char* name;
    std::function<void(const QString&)> write;
};

std::vector<Input> Inputs() {
    const auto file = [](const QString& path) { return QFile::encodeName(path); };
    return {
        {"jpeg.jpg", [&](const QString& p) { Picture(kSide, kSide, 3).jpegsave(file(p)); }},
        {"jpeg-orientation6.jpg",
         [&](const QString& p) {
             VImage image = Picture(kSide, kSide * 3 / 4, 3).copy();
             image.set(VIPS_META_ORIENTATION, 6);
             image.jpegsave(file(p));
         }},
        {"jpeg-progressive.jpg",
         [&](const QString& p) {
             Picture(kSide, kSide, 3).jpegsave(file(p), VImage::option()->set("interlace", true));
         }},
        {"jpeg-progressive-444.jpg",
         [&](const QString& p) {
             Picture(kSide, kSide, 3)
                 .jpegsave(file(p), VImage::option()
                                        ->set("interlace", true)
                                        ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_OFF));
         }},
        {"jpeg-progressive-cmyk.jpg",
         [&](const QString& p) {
             Picture(kSide, kSide, 3)
                 .colourspace(VIPS_INTERPRETATION_CMYK)
                 .jpegsave(file(p), VImage::option()
                                        ->set("interlace", true)
                                        ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_OFF));
         }},
        {"png8-alpha.png", [&](const QString& p) { Picture(kSide, kSide, 4).pngsave(file(p)); }},
        {"png16-alpha.png",
         [&](const QString& p) { Sixteen(Picture(kSide, kSide, 4)).pngsave(file(p)); }},
        {"png16-alpha-interlaced.png",
         [&](const QString& p) {
             Sixteen(Picture(kSide, kSide, 4))
                 .pngsave(file(p), VImage::option()->set("interlace", true));
         }},
        {"png16-empty.png", [&](const QString& p) { WriteBytes(p, EmptyPng(false)); }},
        {"png16-empty-interlaced.png", [&](const QString& p) { WriteBytes(p, EmptyPng(true)); }},
        {"tiff8-strips.tif",
         [&](const QString& p) {
             Picture(kSide, kSide, 3)
                 .tiffsave(file(p),
                           VImage::option()->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_LZW));
         }},
        {"tiff16-strips.tif",
         [&](const QString& p) {
             Sixteen(Picture(kSide, kSide, 4))
                 .tiffsave(file(p), VImage::option()->set("compression",
                                                          VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
         }},
        {"tiff8-tiles.tif",
         [&](const QString& p) {
             Picture(kSide, kSide, 3)
                 .tiffsave(file(p), VImage::option()
                                        ->set("tile", true)
                                        ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_LZW));
         }},
        {"tiff16-tiles.tif",
         [&](const QString& p) {
             Sixteen(Picture(kSide, kSide, 3))
                 .tiffsave(file(p),
                           VImage::option()
                               ->set("tile", true)
                               ->set("compression", VIPS_FOREIGN_TIFF_COMPRESSION_DEFLATE));
         }},
        {"bmp24.bmp", [&](const QString& p) { WriteBmp24(Picture(kSide, kSide, 3), p); }},
        {"gif.gif",
         [&](const QString& p) {
             Picture(kSide, kSide, 3).gifsave(file(p), VImage::option()->set("effort", 1));
         }},
        {"gif-frame-on-30000-screen.gif",
         [&](const QString& p) { WriteBytes(p, FrameOnAHugeScreen()); }},
        {"webp.webp",
         [&](const QString& p) {
             Picture(kSide, kSide, 3)
                 .webpsave(file(p), VImage::option()->set("Q", 50)->set("effort", 0));
         }},
        // Damaged: cut short at a third of their length (made from the files above).
        {"jpeg-cut.jpg", [&](const QString& p) { WriteBytes(p, Cut(p, "jpeg.jpg")); }},
        {"png16-alpha-interlaced-cut.png",
         [&](const QString& p) { WriteBytes(p, Cut(p, "png16-alpha-interlaced.png")); }},
        {"bmp24-cut.bmp", [&](const QString& p) { WriteBytes(p, Cut(p, "bmp24.bmp")); }},
    };
}

int Corpus(const QString& dir) {
    QDir().mkpath(dir);
    for (const Input& input : Inputs()) {
        const QString path = QDir(dir).filePath(input.name);
        if (QFileInfo::exists(path)) continue;
        std::fprintf(stderr, "making %s\n", input.name);
        MakeFile(path, input.write);
    }
    return 0;
}

int List(const QString& dir) {
    for (const Input& input : Inputs()) {
        std::printf("%s\n", qPrintable(QDir(dir).filePath(input.name)));
    }
    return 0;
}

int Convert(const QString& path) {
    ConvertSettings settings;
    settings.formatIndex = 1;  // JPEG
    settings.sizeIndex = 1;    // SVGA
    const auto start = std::chrono::steady_clock::now();
    const EncodedImage encoded =
        ConvertRun::EncodeOne(path, 0, true, true, settings, QDateTime::currentDateTime());
    const double seconds = Seconds(start);
    if (encoded.failure != EncodedImage::Failure::None) {
        std::printf("%.2f s  failed: %s\n", seconds, qPrintable(encoded.reason));
    } else if (encoded.damaged()) {
        std::printf("%.2f s  written, damaged: %s\n", seconds, qPrintable(encoded.damage));
    } else {
        std::printf("%.2f s  written\n", seconds);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartImaging(argv[0])) return 1;
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString arg = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    try {
        if (mode == "corpus" && !arg.isEmpty()) return Corpus(arg);
        if (mode == "list" && !arg.isEmpty()) return List(arg);
        if (mode == "convert" && !arg.isEmpty()) return Convert(arg);
        if (mode == "thumbnail" && !arg.isEmpty()) {
            const auto start = std::chrono::steady_clock::now();
            const QImage thumbnail = ThumbnailRenderer::Render(arg, 0, 0, 1);
            std::printf("%.2f s  thumbnail %s\n", Seconds(start),
                        thumbnail.isNull() ? "failed" : "made");
            return 0;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "memory_bench: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: memory_bench corpus|list DIR, or memory_bench convert FILE\n");
    return 2;
}
