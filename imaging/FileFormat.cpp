#include "imaging/FileFormat.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <limits>

#include "imaging/ImagingConstants.h"
#include "imaging/JpegSegments.h"

namespace {

using namespace imaging;

// How far into a file the signatures of documents are looked for: an XML declaration, a
// document type and comments may stand before the <svg element.
constexpr qint64 kDocumentHead = 4096;
constexpr quint32 kMaxBrandBoxSize = 4096;
constexpr quint64 kMaxDirectoryEntries = 4096;
constexpr int kMaxPngChunks = 1 << 20;

bool StartsWith(const QByteArray& head, const char* signature, int length) {
    return head.startsWith(QByteArray(signature, length));
}

// The info header's own size tells a bitmap from other files starting with "BM".
bool IsBitmapHeaderSize(quint32 size) {
    switch (size) {
        case 12:  // OS/2 1.x
        case 16:  // OS/2 2.x, short
        case 40:  // Windows
        case 52:
        case 56:
        case 64:   // OS/2 2.x
        case 108:  // Windows, with colour space
        case 124:
            return true;
        default:
            return false;
    }
}

int FormatOfSignature(const QByteArray& head) {
    if (head.startsWith("\xFF\xD8\xFF")) return kFormatJpeg;
    if (head.startsWith("\x89PNG\r\n\x1A\n")) return kFormatPng;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return kFormatGif;
    if (StartsWith(head, "II*\0", 4) || StartsWith(head, "MM\0*", 4) ||
        StartsWith(head, "II+\0", 4) || StartsWith(head, "MM\0+", 4)) {
        return kFormatTiff;
    }
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return kFormatWebp;
    // An ISO base media file: SniffHeif reads its brands and keeps only still pictures.
    if (head.mid(4, 4) == "ftyp") return kFormatHeif;
    if (head.startsWith("BM") && head.size() >= 18 &&
        IsBitmapHeaderSize(qFromLittleEndian<quint32>(head.constData() + 14))) {
        return kFormatBmp;
    }
    return kFormatUnknown;
}

// Images of formats the program does not read, by the signatures their own readers check:
// named as images of another format (message 114), never handed to a loader.
bool IsOtherImage(const QByteArray& head) {
    static const struct {
        const char* bytes;
        int length;
    } kSignatures[] = {
        {"\xFF\x4F\xFF\x51", 4},           // JPEG 2000 codestream
        {"\0\0\0\x0CjP  \r\n\x87\n", 12},  // JPEG 2000 file
        {"\xFF\x0A", 2},                   // JPEG XL codestream
        {"\0\0\0\x0CJXL \r\n\x87\n", 12},  // JPEG XL container
        {"SIMPLE  =", 9},                  // FITS
        {"v/1\x01", 4},                    // OpenEXR
        {"#?RADIANCE", 10},                // Radiance
        {"#?RGBE", 6},                     //
        {"\x08\xF2\xA6\xB6", 4},           // VIPS, either byte order
        {"\xB6\xA6\xF2\x08", 4},           //
        {"8BPS", 4},                       // Photoshop
        {"qoif", 4},                       // QOI
    };
    for (const auto& signature : kSignatures) {
        if (StartsWith(head, signature.bytes, signature.length)) return true;
    }
    // Netpbm (PBM, PGM, PPM, PAM, PFM): "P", its kind, white space.
    return head.size() >= 3 && head[0] == 'P' && QByteArray("1234567Ff").contains(head[1]) &&
           std::isspace(static_cast<unsigned char>(head[2]));
}

// A document that other programs would render as a picture (a drawing, a PDF), whatever
// its name: recognised so that it is refused before any parser reads it.
int DocumentFormat(QFile& in) {
    in.seek(0);
    const QByteArray text = in.read(kDocumentHead);
    // PDF readers accept junk before the header; so does this check, within the head.
    if (text.left(1024).contains("%PDF-")) return kFormatPdf;
    qsizetype start = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    if (start < text.size() && text[start] == '<' && text.indexOf("<svg", start) >= 0) {
        return kFormatSvg;
    }
    return kFormatUnknown;
}

bool WantsFrameAndScan(uchar marker) {
    return IsFrameMarker(marker) || marker == 0xDA;
}

void SniffJpeg(QFile& in, SniffedFile* sniffed) {
    in.seek(0);
    const std::optional<JpegHeader> header = ReadJpegHeader(in, WantsFrameAndScan);
    const bool framed = header && std::any_of(header->segments.begin(), header->segments.end(),
                                              [](const JpegSegment& segment) {
                                                  return IsFrameMarker(segment.marker);
                                              });
    if (!framed) {
        sniffed->problem = QStringLiteral("no frame header before the image data");
        return;
    }
    sniffed->coefficientBytes = CoefficientBytes(*header);
}

// Bit depth 1 of colour type 0 is a bilevel picture. The chunks, by their lengths: a file
// without image data has no picture at all; one that ends before its end chunk was cut short.
void SniffPng(QFile& in, const QByteArray& head, SniffedFile* sniffed) {
    sniffed->oneBit =
        head.size() > 25 && head.mid(12, 4) == "IHDR" && head[24] == 1 && head[25] == 0;
    qint64 at = 8;
    quint64 imageData = 0;
    bool ended = false;
    for (int chunk = 0; chunk < kMaxPngChunks && !ended && in.seek(at); ++chunk) {
        const QByteArray header = in.read(8);
        if (header.size() < 8) break;
        const quint32 length = qFromBigEndian<quint32>(header.constData());
        if (length > 0x7FFFFFFFu) break;  // larger than a PNG chunk may be
        if (header.mid(4) == "IDAT") imageData += length;
        ended = header.mid(4) == "IEND";
        at += 12 + qint64(length);
    }
    if (imageData == 0 && (ended || at <= in.size())) {
        sniffed->problem = QStringLiteral("the file holds no image data");
    } else if (!ended || at > in.size()) {
        sniffed->damage = QStringLiteral("the file ends before its end chunk");
    }
}

// The bytes a value of a directory entry takes: SHORT, LONG, LONG8, ..., by its type.
int TiffTypeSize(quint64 type) {
    static const int kSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
    return type < std::size(kSizes) ? kSizes[type] : 0;
}

// The first directory's BitsPerSample and SamplesPerPixel (one of one bit is a bilevel
// picture), and whether every value it points at lies within the file. Whatever else is wrong
// with the file is the loader's to find.
void SniffTiff(QFile& in, const QByteArray& head, SniffedFile* sniffed) {
    const bool little = head.startsWith("II");
    const bool big = head.size() > 3 && head[little ? 2 : 3] == 43;
    const auto number = [&](qint64 at, int size) -> std::optional<quint64> {
        if (at < 0 || !in.seek(at)) return std::nullopt;
        const QByteArray b = in.read(size);
        if (b.size() != size) return std::nullopt;
        quint64 value = 0;
        for (int i = 0; i < size; ++i) {
            value |= quint64(uchar(b[little ? i : size - 1 - i])) << (8 * i);
        }
        return value;
    };
    const int offsetSize = big ? 8 : 4;
    const std::optional<quint64> directory = number(big ? 8 : 4, offsetSize);
    const std::optional<quint64> count = directory && *directory < quint64(in.size())
                                             ? number(qint64(*directory), big ? 8 : 2)
                                             : std::nullopt;
    if (!count) return;
    quint64 bits = 1;  // the defaults
    quint64 samples = 1;
    for (quint64 i = 0; i < std::min(*count, kMaxDirectoryEntries); ++i) {
        const qint64 at = qint64(*directory) + (big ? 8 : 2) + qint64(i) * (big ? 20 : 12);
        const std::optional<quint64> tag = number(at, 2);
        const std::optional<quint64> type = number(at + 2, 2);
        const std::optional<quint64> values = number(at + 4, offsetSize);
        if (!tag || !type || !values) break;
        const quint64 size = quint64(TiffTypeSize(*type));
        const quint64 bytes =
            *values > quint64(in.size()) ? quint64(in.size()) + 1 : *values * size;
        const qint64 valueAt = at + 4 + offsetSize;
        if (size > 0 && bytes > quint64(offsetSize)) {  // held where the entry points
            const std::optional<quint64> pointer = number(valueAt, offsetSize);
            if (!pointer || *pointer > quint64(in.size()) ||
                bytes > quint64(in.size()) - *pointer) {
                sniffed->damage = QStringLiteral("the file ends before its directory's values do");
            }
        } else if ((*tag == 258 || *tag == 277) && *type == 3) {  // SHORT
            if (const std::optional<quint64> value = number(valueAt, 2)) {
                (*tag == 258 ? bits : samples) = *value;
            }
        }
    }
    sniffed->oneBit = bits == 1 && samples == 1;
}

QString ReadBmpHeader(QFile& in, const QByteArray& head, BmpHeader* bmp) {
    const auto u16 = [&](int at) {
        return at + 2 <= head.size() ? qFromLittleEndian<quint16>(head.constData() + at) : 0;
    };
    const auto u32 = [&](int at) {
        return at + 4 <= head.size() ? qFromLittleEndian<quint32>(head.constData() + at) : 0u;
    };
    const quint32 headerSize = u32(14);
    const bool core = headerSize == 12;  // OS/2 1.x: 16-bit sides, 3-byte colours
    if (head.size() < 14 + qsizetype(headerSize)) {
        return QStringLiteral("the bitmap header is cut short");
    }
    const qint64 width = core ? u16(18) : qint32(u32(18));
    const qint32 height = core ? qint32(u16(20)) : qint32(u32(22));
    const int planes = u16(core ? 22 : 26);
    bmp->bits = u16(core ? 24 : 28);
    bmp->compression = headerSize >= 20 ? int(std::min<quint32>(u32(30), 99)) : 0;
    // Negative: rows stored top-down. The most negative value has no positive twin.
    if (width <= 0 || height == 0 || height == std::numeric_limits<qint32>::min()) {
        return QStringLiteral("the header gives no usable size (%1 x %2)").arg(width).arg(height);
    }
    bmp->width = int(width);
    bmp->height = std::abs(height);
    bmp->topDown = height < 0;
    const int bits = bmp->bits;
    const int coding = bmp->compression;
    const bool depthFits =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    // OS/2 2.x numbers its codings 3 and 4 differently (Huffman, 24-bit runs): not read.
    const bool fields =
        (coding == 3 || coding == 6) && (bits == 16 || bits == 32) && headerSize != 64;
    const bool codingFits =
        coding == 0 || (coding == 1 && bits == 8) || (coding == 2 && bits == 4) || fields;
    if (planes != 1 || !depthFits || !codingFits) {
        return QStringLiteral("%1 bits a pixel with coding %2 is not a bitmap")
            .arg(bits)
            .arg(coding);
    }
    if ((coding == 1 || coding == 2) && bmp->topDown) {
        return QStringLiteral("run-length data cannot be stored top-down");
    }
    // Bit fields follow a 40-byte header (three masks, or four with alpha), or are part of a
    // longer one; a plain pixel of 16 or 32 bits has fixed fields and no alpha.
    qint64 tableAt = 14 + headerSize;
    if (fields) {
        const bool alpha = coding == 6 || headerSize >= 56;
        bmp->masks = {u32(54), u32(58), u32(62), alpha ? u32(66) : 0u};
        if (headerSize == 40) tableAt += coding == 6 ? 16 : 12;
    } else if (bits == 16) {
        bmp->masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (bits == 32) {
        bmp->masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    }
    bmp->pixelOffset = u32(10);
    if (bmp->pixelOffset < tableAt || bmp->pixelOffset > in.size()) {
        return QStringLiteral("the pixels lie outside the file");
    }
    if (bits <= 8) {
        // A colour count of 0, or more than the depth allows, is the full table; a table cut
        // short by where the pixels start holds what fits.
        const quint32 declared = headerSize >= 36 ? u32(46) : 0;
        const int most = 1 << bits;
        bmp->paletteAt = tableAt;
        bmp->paletteEntrySize = core ? 3 : 4;
        bmp->paletteEntries = int(
            std::min<qint64>({declared == 0 || declared > quint32(most) ? most : qint64(declared),
                              (bmp->pixelOffset - tableAt) / bmp->paletteEntrySize}));
    }
    return QString();
}

// The brands of still pictures in HEIF (HEVC) and AVIF (AV1) files.
bool IsStillPictureBrand(const QByteArray& brand) {
    static const char* const kBrands[] = {"heic", "heix", "hevc", "hevx", "heim",
                                          "heis", "mif1", "msf1", "avif", "avis"};
    for (const char* known : kBrands) {
        if (brand == known) return true;
    }
    return false;
}

// The file type box names the brands: a film, or another member of the family, is no HEIF
// picture. A file cut inside this box still names its major brand.
bool IsStillPicture(QFile& in) {
    in.seek(0);
    const QByteArray box = in.read(kMaxBrandBoxSize);
    const quint32 size = box.size() >= 4 ? qFromBigEndian<quint32>(box.constData()) : 0;
    if (size < 16 || size > kMaxBrandBoxSize || size % 4 != 0) return false;
    const QByteArray brands = box.mid(8, size - 8);
    // The major brand, then the minor version (skipped), then the compatible brands.
    bool still = IsStillPictureBrand(brands.left(4));
    for (qsizetype at = 8; !still && at + 4 <= brands.size(); at += 4) {
        still = IsStillPictureBrand(brands.mid(at, 4));
    }
    return still;
}

}  // namespace

bool SniffImageFile(const QString& path, SniffedFile* sniffed) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(14 + 124 + 16);
    if (head.isEmpty() && file.error() != QFileDevice::NoError) return false;
    *sniffed = SniffedFile{};
    sniffed->format = FormatOfSignature(head);
    if (sniffed->format == kFormatUnknown) {
        sniffed->format = IsOtherImage(head) ? kFormatOtherImage : DocumentFormat(file);
    }
    switch (sniffed->format) {
        case kFormatJpeg:
            SniffJpeg(file, sniffed);
            break;
        case kFormatPng:
            SniffPng(file, head, sniffed);
            break;
        case kFormatTiff:
            SniffTiff(file, head, sniffed);
            break;
        case kFormatBmp: {
            BmpHeader bmp;
            sniffed->problem = ReadBmpHeader(file, head, &bmp);
            sniffed->oneBit = bmp.bits == 1;
            if (sniffed->problem.isEmpty()) sniffed->bmp = bmp;
            break;
        }
        case kFormatHeif:
            if (!IsStillPicture(file)) sniffed->format = kFormatUnknown;
            break;
        default:
            break;
    }
    return true;
}
