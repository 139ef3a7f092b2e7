#include "tests/support/Corpus.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <vips/vips8>

#include "imaging/ImagingSetup.h"
#include "tests/support/TestImages.h"

using vips::VImage;
using vips::VOption;

namespace corpus {
namespace {

constexpr int kWidth = 48;
constexpr int kHeight = 32;

VImage Tagged(const VImage& image, VipsInterpretation interpretation) {
    return image.copy(VImage::option()->set("interpretation", interpretation));
}

// Colour everywhere, a hard edge and a gradient: every decoder has something to get wrong.
VImage Colour() {
    const VImage xy = VImage::xyz(kWidth, kHeight);
    const VImage x = xy.extract_band(0);
    const VImage y = xy.extract_band(1);
    const VImage r = x * (255.0 / kWidth);
    const VImage g = y * (255.0 / kHeight);
    const VImage b = (x > kWidth / 2).ifthenelse(200, 40);
    return Tagged(VImage::bandjoin({r, g, b}).cast(VIPS_FORMAT_UCHAR), VIPS_INTERPRETATION_sRGB);
}

VImage Grey() {
    return Tagged(Colour().colourspace(VIPS_INTERPRETATION_B_W), VIPS_INTERPRETATION_B_W);
}

VImage WithAlpha(const VImage& image) {
    const VImage alpha = VImage::xyz(kWidth, kHeight).extract_band(0) * (255.0 / kWidth);
    return Tagged(VImage::bandjoin({image, alpha.cast(VIPS_FORMAT_UCHAR)}), image.interpretation());
}

VImage Sixteen(const VImage& image) {
    const bool grey = image.interpretation() == VIPS_INTERPRETATION_B_W;
    return Tagged((image.cast(VIPS_FORMAT_USHORT) * 257).cast(VIPS_FORMAT_USHORT),
                  grey ? VIPS_INTERPRETATION_GREY16 : VIPS_INTERPRETATION_RGB16);
}

QByteArray Name(const QString& path) {
    return QFile::encodeName(path);
}

// The colour picture as the toolkit writes it into a bitmap.
void WriteBitmap(const QString& path, int bits) {
    size_t size = 0;
    void* data = Colour().write_to_memory(&size);
    testimages::WriteBmp(
        QImage(static_cast<const uchar*>(data), kWidth, kHeight, kWidth * 3, QImage::Format_RGB888),
        path, bits);
    g_free(data);
}

// The precision byte of the first SOF changed to 12 bits: a file the program refuses.
QByteArray TwelveBits(const QByteArray& jpeg) {
    QByteArray out = jpeg;
    for (qsizetype at = 2; at + 4 < out.size();) {
        const uchar marker = uchar(out[at + 1]);
        if (uchar(out[at]) != 0xFF) break;
        if (marker >= 0xC0 && marker <= 0xC2) {
            out[at + 4] = 12;
            break;
        }
        at += 2 + ((uchar(out[at + 2]) << 8) | uchar(out[at + 3]));
    }
    return out;
}

}  // namespace

QByteArray BreakRestartMarkers(const QByteArray& jpeg) {
    QByteArray out = jpeg;
    const qsizetype scan = out.indexOf("\xFF\xDA");
    int seen = 0;
    for (qsizetype i = scan < 0 ? out.size() : scan; i + 1 < out.size(); ++i) {
        const uchar next = uchar(out[i + 1]);
        if (uchar(out[i]) != 0xFF || next < 0xD0 || next > 0xD7) continue;
        // The first two stay: the top of the picture decodes cleanly.
        if (++seen > 2 && seen % 2 == 1) out[i + 1] = char(0xD0 + (next - 0xD0 + 3) % 8);
    }
    return out;
}

void Colour16(int index, int* red, int* green, int* blue) {
    *red = (index * 53) % 256;
    *green = (index * 97 + 40) % 256;
    *blue = (255 - index * 15) & 0xFF;
}

QByteArray GifBytes(const GifLayout& layout) {
    QByteArray out("GIF89a");
    const auto u16 = [&out](int value) {
        out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    };
    constexpr int kCodeSize = 4;  // the minimum code size of 16 colours
    constexpr int kClear = 1 << kCodeSize;
    QByteArray table;
    for (int i = 0; i < 16; ++i) {
        int r = 0, g = 0, b = 0;
        Colour16(i, &r, &g, &b);
        table.append(char(r)).append(char(g)).append(char(b));
    }
    u16(layout.screenWidth);
    u16(layout.screenHeight);
    out.append(char(layout.localTable ? 0x03 : 0x83)).append('\0').append('\0');
    if (!layout.localTable) out.append(table);
    if (layout.transparent >= 0) {
        out.append("\x21\xF9\x04\x01\0\0", 6).append(char(layout.transparent)).append('\0');
    }
    out.append('\x2C');
    u16(layout.left);
    u16(layout.top);
    u16(layout.width);
    u16(layout.height);
    out.append(char(layout.localTable ? 0x83 : 0));
    if (layout.localTable) out.append(table);
    // Every pixel a literal code one bit longer than the minimum code size, with a clear code
    // often enough that the code size never grows: valid LZW any decoder reads.
    QList<int> codes{kClear};
    int sinceClear = 0;
    for (int y = 0; y < layout.height; ++y) {
        for (int x = 0; x < layout.width; ++x) {
            if (++sinceClear == kClear - 2) {
                codes << kClear;
                sinceClear = 1;
            }
            codes << (x * 7 + y * 3) % 16;
        }
    }
    codes << kClear + 1;
    QByteArray packed;
    quint32 bits = 0;
    int count = 0;
    for (int code : codes) {
        bits |= quint32(code) << count;
        count += kCodeSize + 1;
        while (count >= 8) {
            packed.append(char(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    }
    if (count > 0) packed.append(char(bits & 0xFF));
    out.append(char(kCodeSize));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0').append('\x3B');
    return out;
}

QByteArray Undecodable(const QByteArray& jpeg) {
    QByteArray out = jpeg;
    // Frame: marker, length, precision, height, width, component count, then per component
    // its id, sampling and quantization table.
    const qsizetype frame = out.indexOf("\xFF\xC0");
    for (int c = 0; frame > 0 && c < quint8(out[frame + 9]); ++c) out[frame + 12 + 3 * c] = 3;
    return out;
}

QByteArray CutAt(const QByteArray& bytes, double fraction) {
    return bytes.left(std::max<qsizetype>(8, qsizetype(bytes.size() * fraction)));
}

QByteArray Overwrite(const QByteArray& bytes, double at, int count, char value) {
    QByteArray out = bytes;
    const qsizetype from = qsizetype(out.size() * at);
    for (qsizetype i = from; i < from + count && i < out.size(); ++i) out[i] = value;
    return out;
}

QList<File> Write(const QString& dir) {
    StartImaging();
    QDir().mkpath(dir);
    const VImage colour = Colour();
    const VImage grey = Grey();
    const auto png = [](const VImage& image, int bits, bool palette, bool interlace) {
        return [=](const QString& p) {
            image.pngsave(Name(p), VImage::option()
                                       ->set("bitdepth", bits)
                                       ->set("palette", palette)
                                       ->set("interlace", interlace));
        };
    };
    const auto tiff = [](const VImage& image, int bits = 8, bool bigtiff = false) {
        return [=](const QString& p) {
            VOption* options = VImage::option()->set("bigtiff", bigtiff);
            if (bits < 8) options->set("bitdepth", bits);
            image.tiffsave(Name(p), options);
        };
    };
    const auto bytes = [](std::function<QByteArray()> make) {
        return [=](const QString& p) { testimages::WriteBytes(p, make()); };
    };
    const auto jpeg = [&](const VImage& image, VOption* options) {
        return bytes([=] { return testimages::EncodedBytes(image, ".jpg", options); });
    };
    const VImage cmyk = colour.colourspace(VIPS_INTERPRETATION_CMYK);
    const VImage bilevel = Tagged(grey > 128, VIPS_INTERPRETATION_B_W);
    struct Sound {
        const char* name;
        std::function<void(const QString&)> write;
        bool refused = false;
    };
    QList<Sound> sounds{
        {"png-grey1.png", png(grey, 1, false, false)},
        {"png-grey16.png", png(Sixteen(grey), 16, false, false)},
        {"png-grey8.png", png(grey, 8, false, false)},
        {"png-rgb8.png", png(colour, 8, false, false)},
        {"png-palette4.png", png(colour, 4, true, false)},
        {"png-palette8.png", png(colour, 8, true, false)},
        {"png-rgba8.png", png(WithAlpha(colour), 8, false, false)},
        {"png-palette4-interlaced.png", png(colour, 4, true, true)},
        {"png-rgba16-interlaced.png", png(Sixteen(WithAlpha(colour)), 16, false, true)},
        {"bmp-1.bmp", [](const QString& p) { WriteBitmap(p, 1); }},
        {"bmp-4.bmp", [](const QString& p) { WriteBitmap(p, 4); }},
        {"bmp-8.bmp", [](const QString& p) { WriteBitmap(p, 8); }},
        {"bmp-24.bmp", [](const QString& p) { WriteBitmap(p, 24); }},
        {"tiff-strips.tif", tiff(colour)},
        {"tiff-16.tif", tiff(Sixteen(colour))},
        {"tiff-grey16.tif", tiff(Sixteen(grey))},
        {"tiff-cmyk.tif", tiff(cmyk)},
        {"tiff-1bit.tif", tiff(bilevel, 1)},
        {"tiff-rgba.tif", tiff(WithAlpha(colour))},
        {"bigtiff.tif", tiff(colour, 8, true)},
        {"jpeg-baseline.jpg", jpeg(colour, VImage::option()->set("Q", 90))},
        {"jpeg-progressive.jpg", jpeg(colour, VImage::option()->set("interlace", true))},
        {"jpeg-grey.jpg", jpeg(grey, VImage::option())},
        {"jpeg-cmyk.jpg", jpeg(cmyk, VImage::option())},
        {"jpeg-restart.jpg", jpeg(colour, VImage::option()->set("restart_interval", 1))},
        {"jpeg-12bit.jpg", bytes([=] {
             return TwelveBits(testimages::EncodedBytes(colour, ".jpg", VImage::option()));
         }),
         true},
        {"gif.gif", [=](const QString& p) { colour.gifsave(Name(p)); }},
        {"gif-frame-transparent.gif", bytes([] {
             return GifBytes({.left = 5,
                              .top = 3,
                              .width = 30,
                              .height = 20,
                              .transparent = 2,
                              .localTable = true});
         })},
        {"webp-lossy.webp", [=](const QString& p) { colour.webpsave(Name(p)); }},
        {"webp-lossless.webp",
         [=](const QString& p) {
             WithAlpha(colour).webpsave(Name(p), VImage::option()->set("lossless", true));
         }},
    };

    QList<File> files;
    for (const Sound& sound : sounds) {
        const QString path = QDir(dir).filePath(QString::fromLatin1(sound.name));
        sound.write(path);
        files.append({QString::fromLatin1(sound.name), path, false, sound.refused});
        if (sound.refused) continue;
        const QByteArray whole = testimages::ReadBytes(path);
        struct Damage {
            const char* suffix;
            QByteArray bytes;
        };
        QList<Damage> damages{
            {"cut30", CutAt(whole, 0.3)},
            {"cut60", CutAt(whole, 0.6)},
            {"cut90", CutAt(whole, 0.9)},
            {"zeros50", Overwrite(whole, 0.5, 16, '\0')},
            {"ones75", Overwrite(whole, 0.75, 16, char(0xFF))},
            {"header", Overwrite(whole, 0.02, 4, char(0xFF))},
        };
        if (QString::fromLatin1(sound.name) == QLatin1String("jpeg-restart.jpg")) {
            damages.append({"badrst", BreakRestartMarkers(whole)});
        }
        for (const Damage& damage : damages) {
            const QString name =
                QString::fromLatin1(sound.name)
                    .replace(QLatin1Char('.'),
                             QStringLiteral("-%1.").arg(QLatin1String(damage.suffix)));
            const QString damaged = QDir(dir).filePath(name);
            testimages::WriteBytes(damaged, damage.bytes);
            files.append({name, damaged, true, false});
        }
    }
    return files;
}

}  // namespace corpus
