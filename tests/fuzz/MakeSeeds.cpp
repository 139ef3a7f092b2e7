// Writes the seed files of every fuzz target into <dir>/<target>/: the test corpus (sound and
// damaged files of every format) and a few layouts it lacks, each a small picture.
//
//   fuzz_seeds <dir>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>
#include <vips/vips8>

#include "imaging/ImagingSetup.h"
#include "tests/support/Corpus.h"
#include "tests/support/TestImages.h"

using vips::VImage;

namespace {

// A bitmap with a 40-byte info header: bits a pixel, coding, the colour table or masks
// after the header, then the pixels as given.
QByteArray Bitmap(int width, int height, int bits, quint32 compression, const QByteArray& table,
                  const QByteArray& pixels) {
    return testimages::BitmapHeaders(width, height, bits, compression, quint32(54 + table.size()),
                                     quint32(pixels.size())) +
           table + pixels;
}

QByteArray Masks(quint32 red, quint32 green, quint32 blue) {
    QByteArray b(12, '\0');
    auto* p = reinterpret_cast<uchar*>(b.data());
    qToLittleEndian(red, p);
    qToLittleEndian(green, p + 4);
    qToLittleEndian(blue, p + 8);
    return b;
}

QByteArray Ramp(int colours) {
    QByteArray table;
    for (int i = 0; i < colours; ++i) {
        const char level = char(i * 255 / (colours - 1));
        table.append(level).append(char(255 - level)).append(level).append('\0');
    }
    return table;
}

constexpr qsizetype kMostSeedBytes = 64 * 1024;

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    if (!StartImaging(argv[0])) return 1;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const auto put = [&](const char* target, const QString& name, const QByteArray& bytes) {
        // A file with a large colour profile (the CMYK ones) would only slow every run down.
        if (bytes.size() > kMostSeedBytes) return;
        out.mkpath(QString::fromLatin1(target));
        testimages::WriteBytes(out.filePath(QString::fromLatin1(target) + '/' + name), bytes);
    };

    QTemporaryDir temp;
    for (const corpus::File& file : corpus::Write(temp.path())) {
        const QByteArray bytes = testimages::ReadBytes(file.path);
        put("sniff", file.name, bytes);
        if (file.name.startsWith("bmp-")) put("bmp", file.name, bytes);
        if (file.name.startsWith("gif")) put("gif", file.name, bytes);
        if (file.name.startsWith("jpeg-")) put("jpeg", file.name, bytes);
        if (file.name.startsWith("png-") && file.name.contains("-interlaced")) {
            put("png", file.name, bytes);
        }
    }

    // Frames the corpus does not place: past the screen, on a screen of no size, interlaced
    // with an odd height, with a local table.
    const struct {
        const char* name;
        corpus::GifLayout layout;
    } gifs[] = {
        {"frame-past.gif", {.left = 40, .top = 30, .width = 20, .height = 13}},
        {"zero-screen.gif", {.screenWidth = 0, .screenHeight = 0, .width = 9, .height = 5}},
        {"interlaced-odd.gif", {.width = 11, .height = 13, .interlaced = true}},
        {"local-table.gif", {.width = 8, .height = 8, .localTable = true}},
    };
    for (const auto& gif : gifs) {
        put("gif", gif.name, corpus::GifBytes(gif.layout));
        put("sniff", gif.name, corpus::GifBytes(gif.layout));
    }

    // Progressive files of every sampling, with and without restart markers, and grey.
    const VImage colour = testimages::PhotoLike(40, 24);
    const struct {
        const char* name;
        VImage image;
        VipsForeignSubsample subsample;
        int restart;
    } jpegs[] = {
        {"progressive-444.jpg", colour, VIPS_FOREIGN_SUBSAMPLE_OFF, 0},
        {"progressive-420-restart.jpg", colour, VIPS_FOREIGN_SUBSAMPLE_ON, 2},
        {"progressive-grey.jpg", colour.colourspace(VIPS_INTERPRETATION_B_W),
         VIPS_FOREIGN_SUBSAMPLE_AUTO, 1},
    };
    // CMYK without a colour profile: Adobe's inverted ink.
    const QByteArray cmyk = testimages::EncodedBytes(colour.colourspace(VIPS_INTERPRETATION_CMYK),
                                                     ".jpg", VImage::option()->set("strip", true));
    put("jpeg", "cmyk-stripped.jpg", cmyk);
    put("sniff", "cmyk-stripped.jpg", cmyk);
    for (const auto& jpeg : jpegs) {
        const QByteArray bytes =
            testimages::EncodedBytes(jpeg.image, ".jpg",
                                     VImage::option()
                                         ->set("interlace", true)
                                         ->set("subsample_mode", jpeg.subsample)
                                         ->set("restart_interval", jpeg.restart)
                                         ->set("Q", 75));
        put("jpeg", jpeg.name, bytes);
        put("sniff", jpeg.name, bytes);
    }

    // Interlaced PNG files too small for some passes, and of the depths the corpus lacks.
    const VImage grey = colour.colourspace(VIPS_INTERPRETATION_B_W);
    const struct {
        const char* name;
        VImage image;
        int bits;
    } pngs[] = {
        {"tiny-3x5.png", colour.crop(0, 0, 3, 5), 8},
        {"grey1.png", grey, 1},
        {"grey2.png", grey.crop(0, 0, 13, 9), 2},
    };
    for (const auto& png : pngs) {
        const QByteArray bytes = testimages::EncodedBytes(
            png.image, ".png", VImage::option()->set("interlace", true)->set("bitdepth", png.bits));
        put("png", png.name, bytes);
        put("sniff", png.name, bytes);
    }

    // Bit fields of 5-6-5, of a whole word and of nothing; top-down rows; run-length data
    // with deltas, ends of line and an early end of the bitmap.
    const QByteArray words(4 * 6 * 4, '\x5A');
    const struct {
        const char* name;
        QByteArray bytes;
    } bitmaps[] = {
        {"fields565.bmp", Bitmap(6, 4, 16, 3, Masks(0xF800, 0x07E0, 0x001F), words)},
        {"fields32.bmp", Bitmap(6, 4, 32, 3, Masks(0xFFFFFFFF, 0, 0x00FF0000), words + words)},
        {"topdown8.bmp", Bitmap(6, -4, 8, 0, Ramp(256), words)},
        {"rle8-delta.bmp", Bitmap(9, 6, 8, 1, Ramp(256),
                                  QByteArray("\x03\x07\x00\x02\x02\x01\x00\x03\x01\x02\x03\x00"
                                             "\x04\x10\x00\x00\x05\x20\x00\x01",
                                             20))},
        {"rle4-literal.bmp",
         Bitmap(9, 3, 4, 2, Ramp(16),
                QByteArray("\x00\x05\x12\x34\x50\x00\x00\x00\x04\xAB\x00\x01", 12))},
    };
    for (const auto& bitmap : bitmaps) {
        put("bmp", bitmap.name, bitmap.bytes);
        put("sniff", bitmap.name, bitmap.bytes);
    }
    for (const char* target : {"sniff", "bmp", "gif", "png", "jpeg"}) {
        std::printf(
            "%s: %lld seeds\n", target,
            qlonglong(
                QDir(out.filePath(QString::fromLatin1(target))).entryList(QDir::Files).size()));
    }
    return 0;
}
