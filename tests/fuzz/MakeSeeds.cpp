// Writes the seed files of every fuzz target into <dir>/<target>/: the test corpus (sound and
// damaged files of every format) and a few layouts it lacks, each a small picture. Every seed
// goes to the sniffer too.
//
//   fuzz_seeds <dir>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
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
    const auto put = [&](const QString& target, const QString& name, const QByteArray& bytes) {
        // A file with a large colour profile (the CMYK ones) would only slow every run down.
        if (bytes.size() > kMostSeedBytes) return;
        for (const QString& folder : {QStringLiteral("sniff"), target}) {
            out.mkpath(folder);
            testimages::WriteBytes(out.filePath(folder + '/' + name), bytes);
        }
    };

    // The corpus: each file to the reader of its format (PNG: the interlaced ones alone).
    QTemporaryDir temp;
    for (const corpus::File& file : corpus::Write(temp.path())) {
        const QString format = file.name.section(QRegularExpression("[-.]"), 0, 0);
        const bool read = QStringList{"bmp", "gif", "jpeg", "png"}.contains(format) &&
                          (format != "png" || file.name.contains("-interlaced"));
        put(read ? format : "sniff", file.name, testimages::ReadBytes(file.path));
    }

    const VImage colour = testimages::PhotoLike(40, 24);
    const VImage grey = colour.colourspace(VIPS_INTERPRETATION_B_W);
    const auto progressive = [](const VImage& image, VipsForeignSubsample subsample, int restart) {
        return testimages::EncodedBytes(image, ".jpg",
                                        VImage::option()
                                            ->set("interlace", true)
                                            ->set("subsample_mode", subsample)
                                            ->set("restart_interval", restart)
                                            ->set("Q", 75));
    };
    const auto interlaced = [](const VImage& image, int bits) {
        return testimages::EncodedBytes(
            image, ".png", VImage::option()->set("interlace", true)->set("bitdepth", bits));
    };
    const QByteArray words(4 * 6 * 4, '\x5A');
    const struct {
        const char* target;
        const char* name;
        QByteArray bytes;
    } seeds[] = {
        // Frames the corpus does not place: past the screen, on a screen of no size,
        // interlaced with an odd height, with a local table.
        {"gif", "frame-past.gif",
         corpus::GifBytes({.left = 40, .top = 30, .width = 20, .height = 13})},
        {"gif", "zero-screen.gif",
         corpus::GifBytes({.screenWidth = 0, .screenHeight = 0, .width = 9, .height = 5})},
        {"gif", "interlaced-odd.gif",
         corpus::GifBytes({.width = 11, .height = 13, .interlaced = true})},
        {"gif", "local-table.gif", corpus::GifBytes({.width = 8, .height = 8, .localTable = true})},
        // Progressive files of every sampling, with and without restart markers, and grey;
        // CMYK without a colour profile (Adobe's inverted ink).
        {"jpeg", "progressive-444.jpg", progressive(colour, VIPS_FOREIGN_SUBSAMPLE_OFF, 0)},
        {"jpeg", "progressive-420-restart.jpg", progressive(colour, VIPS_FOREIGN_SUBSAMPLE_ON, 2)},
        {"jpeg", "progressive-grey.jpg", progressive(grey, VIPS_FOREIGN_SUBSAMPLE_AUTO, 1)},
        {"jpeg", "cmyk-stripped.jpg",
         testimages::EncodedBytes(colour.colourspace(VIPS_INTERPRETATION_CMYK), ".jpg",
                                  VImage::option()->set("strip", true))},
        // Interlaced PNG files too small for some passes, and of the depths the corpus lacks.
        {"png", "tiny-3x5.png", interlaced(colour.crop(0, 0, 3, 5), 8)},
        {"png", "grey1.png", interlaced(grey, 1)},
        {"png", "grey2.png", interlaced(grey.crop(0, 0, 13, 9), 2)},
        // Bit fields of 5-6-5, of a whole word and of nothing; top-down rows; run-length data
        // with deltas, ends of line and an early end of the bitmap.
        {"bmp", "fields565.bmp",
         Bitmap(6, 4, 16, 3, QByteArray::fromHex("00f80000e00700001f000000"), words)},
        {"bmp", "fields32.bmp",
         Bitmap(6, 4, 32, 3, QByteArray::fromHex("ffffffff000000000000ff00"), words + words)},
        {"bmp", "topdown8.bmp", Bitmap(6, -4, 8, 0, Ramp(256), words)},
        {"bmp", "rle8-delta.bmp",
         Bitmap(9, 6, 8, 1, Ramp(256),
                QByteArray::fromHex("0307000202010003010203000410000005200001"))},
        {"bmp", "rle4-literal.bmp",
         Bitmap(9, 3, 4, 2, Ramp(16), QByteArray::fromHex("000512345000000004ab0001"))},
    };
    for (const auto& seed : seeds) put(seed.target, seed.name, seed.bytes);

    for (const char* target : {"sniff", "bmp", "gif", "png", "jpeg"}) {
        std::printf("%s: %lld seeds\n", target,
                    qlonglong(QDir(out.filePath(target)).entryList(QDir::Files).size()));
    }
    return 0;
}
