#include "imaging/FileFormat.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cctype>
#include <limits>

#include "imaging/ImagingConstants.h"

namespace {

using namespace imaging;

// The most entries a directory may have and the most strips or tiles whose extent is
// checked: far beyond any real file, small enough to read at once.
constexpr quint64 kMaxDirectoryEntries = 4096;
constexpr quint64 kMaxPieces = 1 << 20;
constexpr int kMaxJpegSegments = 4096;
constexpr int kMaxJpegStrayBytes = 1 << 16;
constexpr int kMaxPngChunks = 1 << 20;
constexpr int kMaxContainerBoxes = 4096;
constexpr quint32 kMaxBrandBoxSize = 4096;
// How far into a file the signatures of documents are looked for: an XML declaration, a
// document type and comments may stand before the <svg element.
constexpr qint64 kDocumentHead = 4096;

const QString kTruncated = QStringLiteral("the file ends before its pixels do");

// Reads fixed-size fields out of the file at absolute offsets; a read past the end fails.
class Reader {
public:
    explicit Reader(QFile& file) : file_(file), size_(file.size()) {}
    qint64 size() const { return size_; }

    bool Read(qint64 at, qint64 count, QByteArray* out) {
        if (at < 0 || count < 0 || at > size_ || count > size_ - at) return false;
        if (!file_.seek(at)) return false;
        *out = file_.read(count);
        return out->size() == count;
    }
    bool U8(qint64 at, quint8* value) {
        QByteArray b;
        if (!Read(at, 1, &b)) return false;
        *value = quint8(b[0]);
        return true;
    }
    template <typename T>
    bool Number(qint64 at, bool little, T* value) {
        QByteArray b;
        if (!Read(at, sizeof(T), &b)) return false;
        const auto* p = reinterpret_cast<const uchar*>(b.constData());
        *value = little ? qFromLittleEndian<T>(p) : qFromBigEndian<T>(p);
        return true;
    }

private:
    QFile& file_;
    qint64 size_;
};

bool StartsWith(const QByteArray& head, const char* signature, int length) {
    return head.startsWith(QByteArray(signature, length));
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
    if (head.startsWith("BM") && head.size() >= 18) {
        // The info header's own size tells a bitmap from other files starting with "BM".
        switch (qFromLittleEndian<quint32>(head.constData() + 14)) {
            case 12:
            case 16:
            case 40:
            case 52:
            case 56:
            case 64:
            case 108:
            case 124:
                return kFormatBmp;
            default:
                break;
        }
    }
    return kFormatUnknown;
}

// A document that other programs would render as a picture (a drawing, a PDF), whatever
// its name: recognised so that it is refused before any parser reads it.
int DocumentFormat(Reader& in) {
    QByteArray text;
    if (!in.Read(0, std::min(in.size(), kDocumentHead), &text)) return kFormatUnknown;
    // PDF readers accept junk before the header; so does this check, within the head.
    if (text.left(1024).contains("%PDF-")) return kFormatPdf;
    qsizetype start = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    if (start < text.size() && text[start] == '<' && text.indexOf("<svg", start) >= 0) {
        return kFormatSvg;
    }
    return kFormatUnknown;
}

// A side as the program takes it: 1 to INT_MAX (the import refuses more than 10,000 later,
// with its own message).
bool SetSize(quint64 width, quint64 height, SniffedFile* sniffed) {
    const quint64 most = quint64(std::numeric_limits<int>::max());
    if (width == 0 || height == 0 || width > most || height > most) {
        sniffed->problem =
            QStringLiteral("the header gives no usable size (%1 x %2)").arg(width).arg(height);
        return false;
    }
    sniffed->width = int(width);
    sniffed->height = int(height);
    return true;
}

void SniffJpeg(Reader& in, SniffedFile* sniffed) {
    qint64 at = 2;
    for (int segment = 0; segment < kMaxJpegSegments; ++segment) {
        quint8 mark = 0;
        quint8 marker = 0;
        // Stray bytes before a marker are skipped, as the decoder skips them (with a
        // warning), up to a limit.
        for (int stray = 0; stray < kMaxJpegStrayBytes && in.U8(at, &mark) && mark != 0xFF;
             ++stray) {
            ++at;
        }
        if (!in.U8(at, &mark) || mark != 0xFF) break;
        // Fill bytes may stand before a marker.
        do {
            if (!in.U8(++at, &marker)) marker = 0;
        } while (marker == 0xFF);
        ++at;
        if (marker == 0 || marker == 0xD9 || marker == 0xDA) break;
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        quint16 length = 0;
        if (!in.Number(at, false, &length) || length < 2) break;
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            quint8 precision = 0;
            quint16 height = 0;
            quint16 width = 0;
            if (length < 8 || !in.U8(at + 2, &precision) || !in.Number(at + 3, false, &height) ||
                !in.Number(at + 5, false, &width)) {
                break;
            }
            sniffed->interlaced =
                marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            if (precision != 8) {
                sniffed->problem =
                    QStringLiteral("%1-bit samples are not supported").arg(precision);
                return;
            }
            SetSize(width, height, sniffed);
            return;
        }
        at += length;
    }
    sniffed->problem = QStringLiteral("no frame header before the image data");
}

void SniffPng(Reader& in, SniffedFile* sniffed) {
    QByteArray ihdr;
    if (!in.Read(8, 8 + 13, &ihdr) || ihdr.mid(4, 4) != "IHDR" ||
        qFromBigEndian<quint32>(ihdr.constData()) != 13) {
        sniffed->problem = QStringLiteral("the header chunk is missing");
        return;
    }
    const auto* p = reinterpret_cast<const uchar*>(ihdr.constData()) + 8;
    const quint32 width = qFromBigEndian<quint32>(p);
    const quint32 height = qFromBigEndian<quint32>(p + 4);
    const int depth = p[8];
    const int type = p[9];
    const bool depthFits =
        (type == 0 && (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
        (type == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
        ((type == 2 || type == 4 || type == 6) && (depth == 8 || depth == 16));
    // PNG sizes are at most 2^31 - 1.
    if (width > 0x7FFFFFFFu || height > 0x7FFFFFFFu || !SetSize(width, height, sniffed)) {
        if (sniffed->problem.isEmpty()) SetSize(0, 0, sniffed);
        return;
    }
    if (!depthFits || p[12] > 1) {
        sniffed->problem =
            QStringLiteral("colour type %1 with %2 bits is not PNG").arg(type).arg(depth);
        return;
    }
    sniffed->oneBit = depth == 1 && type == 0;
    sniffed->interlaced = p[12] == 1;
    // The chunks, by their lengths: a file without image data has no picture to show at all;
    // one that ends inside a chunk or before its end chunk was cut short.
    qint64 at = 8;
    quint64 imageData = 0;
    bool ended = false;
    for (int chunk = 0; chunk < kMaxPngChunks && !ended; ++chunk) {
        quint32 length = 0;
        QByteArray type;
        if (!in.Number(at, false, &length) || !in.Read(at + 4, 4, &type)) break;
        if (length > 0x7FFFFFFFu) break;  // larger than a PNG chunk may be
        if (type == "IDAT") imageData += length;
        ended = type == "IEND";
        at += 12 + qint64(length);
    }
    if (imageData == 0 && (ended || at <= in.size())) {
        sniffed->problem = QStringLiteral("the file holds no image data");
    } else if (!ended || at > in.size()) {
        sniffed->damage = QStringLiteral("the file ends before its end chunk");
    }
}

void SniffGif(Reader& in, SniffedFile* sniffed) {
    quint16 width = 0;
    quint16 height = 0;
    if (!in.Number(6, true, &width) || !in.Number(8, true, &height)) {
        sniffed->problem = QStringLiteral("the screen descriptor is missing");
        return;
    }
    // A screen of no size is taken as the decoders take it: the first frame gives the size.
    if (width != 0 && height != 0) SetSize(width, height, sniffed);
}

// One value of a directory entry: SHORT, LONG or LONG8, held in the entry or where it points.
struct TiffEntry {
    quint16 tag = 0;
    quint16 type = 0;
    quint64 count = 0;
    qint64 valueAt = 0;  // where the values are
};

int TiffTypeSize(quint16 type) {
    switch (type) {
        case 3:  // SHORT
            return 2;
        case 4:  // LONG
            return 4;
        case 16:  // LONG8
            return 8;
        default:
            return 0;
    }
}

bool TiffValue(Reader& in, const TiffEntry& entry, quint64 index, bool little, quint64* value) {
    const int size = TiffTypeSize(entry.type);
    if (size == 0 || index >= entry.count) return false;
    const qint64 at = entry.valueAt + qint64(index) * size;
    if (size == 2) {
        quint16 v = 0;
        if (!in.Number(at, little, &v)) return false;
        *value = v;
    } else if (size == 4) {
        quint32 v = 0;
        if (!in.Number(at, little, &v)) return false;
        *value = v;
    } else {
        quint64 v = 0;
        if (!in.Number(at, little, &v)) return false;
        *value = v;
    }
    return true;
}

void SniffTiff(Reader& in, const QByteArray& head, SniffedFile* sniffed) {
    const bool little = head.startsWith("II");
    const bool big = head[2 + (little ? 0 : 1)] == 43;
    quint64 directory = 0;
    if (big) {
        quint16 offsetSize = 0;
        quint16 zero = 1;
        if (!in.Number(4, little, &offsetSize) || !in.Number(6, little, &zero) || offsetSize != 8 ||
            zero != 0 || !in.Number(8, little, &directory)) {
            sniffed->problem = QStringLiteral("the BigTIFF header is damaged");
            return;
        }
    } else {
        quint32 offset = 0;
        if (!in.Number(4, little, &offset)) offset = 0;
        directory = offset;
    }
    const int countSize = big ? 8 : 2;
    const int entrySize = big ? 20 : 12;
    const int inlineSize = big ? 8 : 4;
    quint64 count = 0;
    if (directory < quint64(big ? 16 : 8) || directory >= quint64(in.size()) ||
        quint64(in.size()) - directory < quint64(countSize)) {
        sniffed->problem = QStringLiteral("the first directory lies outside the file");
        return;
    }
    if (big) {
        if (!in.Number(qint64(directory), little, &count)) count = 0;
    } else {
        quint16 shortCount = 0;
        if (in.Number(qint64(directory), little, &shortCount)) count = shortCount;
    }
    const quint64 room = (quint64(in.size()) - directory - countSize) / entrySize;
    if (count == 0 || count > kMaxDirectoryEntries || count > room) {
        sniffed->problem = QStringLiteral("the first directory runs past the end of the file");
        return;
    }
    quint64 width = 0;
    quint64 height = 0;
    quint64 bitsPerSample = 1;  // the TIFF defaults
    quint64 samplesPerPixel = 1;
    TiffEntry offsets;
    TiffEntry counts;
    for (quint64 i = 0; i < count; ++i) {
        const qint64 at = qint64(directory + countSize + i * entrySize);
        TiffEntry entry;
        quint32 shortCount = 0;
        if (!in.Number(at, little, &entry.tag) || !in.Number(at + 2, little, &entry.type)) break;
        if (big) {
            if (!in.Number(at + 4, little, &entry.count)) break;
        } else {
            if (!in.Number(at + 4, little, &shortCount)) break;
            entry.count = shortCount;
        }
        // Values of every type are checked to lie within the file; only the numeric ones
        // are read.
        const int size = TiffTypeSize(entry.type) != 0 ? TiffTypeSize(entry.type)
                         : entry.type == 1 || entry.type == 2 || entry.type == 7 ? 1
                                                                                 : 0;
        if (size == 0 || entry.count == 0) continue;
        entry.valueAt = at + 4 + (big ? 8 : 4);
        if (entry.count > quint64(in.size()) / quint64(size)) {
            sniffed->damage = kTruncated;
            continue;
        }
        if (entry.count * size > quint64(inlineSize)) {
            quint64 pointer = 0;
            if (big) {
                in.Number(entry.valueAt, little, &pointer);
            } else {
                quint32 shortPointer = 0;
                in.Number(entry.valueAt, little, &shortPointer);
                pointer = shortPointer;
            }
            if (pointer > quint64(in.size()) || entry.count * size > quint64(in.size()) - pointer) {
                sniffed->damage = kTruncated;
                continue;
            }
            entry.valueAt = qint64(pointer);
        }
        quint64 first = 0;
        if (TiffTypeSize(entry.type) == 0 || !TiffValue(in, entry, 0, little, &first)) continue;
        switch (entry.tag) {
            case 256:
                width = first;
                break;
            case 257:
                height = first;
                break;
            case 258:
                bitsPerSample = first;
                break;
            case 277:
                samplesPerPixel = first;
                break;
            case 273:  // strips
            case 324:  // tiles
                offsets = entry;
                break;
            case 279:
            case 325:
                counts = entry;
                break;
            default:
                break;
        }
    }
    if (!SetSize(width, height, sniffed)) return;
    if (bitsPerSample == 0 || bitsPerSample > 64 || samplesPerPixel == 0 || samplesPerPixel > 64) {
        sniffed->problem =
            QStringLiteral("%1 samples of %2 bits").arg(samplesPerPixel).arg(bitsPerSample);
        return;
    }
    sniffed->oneBit = bitsPerSample == 1 && samplesPerPixel == 1;
    // Every strip or tile must lie within the file; a file cut short loses the last ones.
    const quint64 pieces = std::min({offsets.count, counts.count, kMaxPieces});
    for (quint64 i = 0; i < pieces; ++i) {
        quint64 offset = 0;
        quint64 bytes = 0;
        if (!TiffValue(in, offsets, i, little, &offset) ||
            !TiffValue(in, counts, i, little, &bytes)) {
            break;
        }
        if (offset > quint64(in.size()) || bytes > quint64(in.size()) - offset) {
            sniffed->damage = kTruncated;
            break;
        }
    }
}

void SniffBmp(Reader& in, SniffedFile* sniffed) {
    quint32 pixelOffset = 0;
    quint32 headerSize = 0;
    in.Number(10, true, &pixelOffset);
    in.Number(14, true, &headerSize);
    qint64 width = 0;
    qint64 height = 0;
    quint16 planes = 0;
    quint16 bits = 0;
    quint32 compression = 0;
    quint32 imageSize = 0;
    bool complete = true;
    if (headerSize == 12) {
        quint16 w = 0;
        quint16 h = 0;
        complete = in.Number(18, true, &w) && in.Number(20, true, &h) &&
                   in.Number(22, true, &planes) && in.Number(24, true, &bits);
        width = w;
        height = h;
    } else {
        qint32 w = 0;
        qint32 h = 0;
        complete = in.Number(18, true, &w) && in.Number(22, true, &h) &&
                   in.Number(26, true, &planes) && in.Number(28, true, &bits) &&
                   in.Number(30, true, &compression);
        if (headerSize >= 40) {
            complete = complete && in.Number(34, true, &imageSize);
        }
        width = w;
        // Negative: rows stored top-down. The most negative value has no positive twin.
        height = h == std::numeric_limits<qint32>::min() ? 0 : (h < 0 ? -qint64(h) : h);
        if (w < 0) width = 0;
    }
    if (!complete) {
        sniffed->problem = QStringLiteral("the bitmap header is cut short");
        return;
    }
    if (!SetSize(quint64(width), quint64(height), sniffed)) return;
    const bool depthFits =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool codingFits = compression == 0 || (compression == 1 && bits == 8) ||
                            (compression == 2 && bits == 4) ||
                            ((compression == 3 || compression == 6) && (bits == 16 || bits == 32));
    if (planes != 1 || !depthFits || !codingFits) {
        sniffed->problem = QStringLiteral("%1 bits a pixel with coding %2 is not a bitmap")
                               .arg(bits)
                               .arg(compression);
        return;
    }
    if (pixelOffset < 14 + headerSize || pixelOffset > quint64(in.size())) {
        sniffed->problem = QStringLiteral("the pixels lie outside the file");
        return;
    }
    sniffed->oneBit = bits == 1;
    const quint64 available = quint64(in.size()) - pixelOffset;
    if (compression == 1 || compression == 2) {
        if (imageSize > available || available == 0) sniffed->damage = kTruncated;
        return;
    }
    // Rows are padded to whole 32-bit words; 64-bit arithmetic holds any 32-bit size.
    const quint64 stride = (quint64(width) * bits + 31) / 32 * 4;
    if (stride * quint64(height) > available) sniffed->damage = kTruncated;
}

void SniffWebp(Reader& in, SniffedFile* sniffed) {
    quint32 riffSize = 0;
    QByteArray chunk;
    if (!in.Number(4, true, &riffSize) || !in.Read(12, 4, &chunk)) {
        sniffed->problem = QStringLiteral("the WebP header is cut short");
        return;
    }
    if (quint64(riffSize) + 8 > quint64(in.size())) sniffed->damage = kTruncated;
    if (chunk == "VP8 ") {
        QByteArray frame;
        if (!in.Read(20, 10, &frame) || !frame.mid(3).startsWith("\x9D\x01\x2A")) {
            sniffed->problem = QStringLiteral("the frame header is missing");
            return;
        }
        const auto* p = reinterpret_cast<const uchar*>(frame.constData());
        SetSize(qFromLittleEndian<quint16>(p + 6) & 0x3FFF,
                qFromLittleEndian<quint16>(p + 8) & 0x3FFF, sniffed);
    } else if (chunk == "VP8L") {
        quint8 signature = 0;
        quint32 bits = 0;
        if (!in.U8(20, &signature) || signature != 0x2F || !in.Number(21, true, &bits)) {
            sniffed->problem = QStringLiteral("the lossless header is missing");
            return;
        }
        SetSize((bits & 0x3FFF) + 1, ((bits >> 14) & 0x3FFF) + 1, sniffed);
    } else if (chunk == "VP8X") {
        QByteArray canvas;
        if (!in.Read(24, 6, &canvas)) {
            sniffed->problem = QStringLiteral("the extended header is cut short");
            return;
        }
        const auto* p = reinterpret_cast<const uchar*>(canvas.constData());
        SetSize((p[0] | p[1] << 8 | p[2] << 16) + 1u, (p[3] | p[4] << 8 | p[5] << 16) + 1u,
                sniffed);
    } else {
        sniffed->problem = QStringLiteral("no WebP image chunk");
    }
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

// The file type box names the brands; the top-level boxes must lie within the file. The
// size is left to the loader's header: it lies deep in the meta box, and the decoder gives
// it turned as the file says.
void SniffHeif(Reader& in, SniffedFile* sniffed) {
    quint32 typeSize = 0;
    if (!in.Number(0, false, &typeSize) || typeSize < 16 || typeSize > kMaxBrandBoxSize ||
        typeSize % 4 != 0) {
        sniffed->format = kFormatUnknown;
        return;
    }
    // A file cut inside this box still names its major brand.
    QByteArray brands;
    if (!in.Read(8, std::min<qint64>(typeSize, in.size()) - 8, &brands) || brands.size() < 4) {
        sniffed->format = kFormatUnknown;
        return;
    }
    // The major brand, then the minor version (skipped), then the compatible brands.
    bool still = IsStillPictureBrand(brands.left(4));
    for (qsizetype at = 8; !still && at + 4 <= brands.size(); at += 4) {
        still = IsStillPictureBrand(brands.mid(at, 4));
    }
    if (!still) {
        sniffed->format = kFormatUnknown;  // a film, or another member of the family
        return;
    }
    // The decoder reads nothing of a file cut inside a box: such a file is refused.
    qint64 at = 0;
    bool described = false;
    for (int box = 0; box < kMaxContainerBoxes && at < in.size(); ++box) {
        quint32 size32 = 0;
        QByteArray type;
        if (!in.Number(at, false, &size32) || !in.Read(at + 4, 4, &type)) {
            sniffed->problem = kTruncated;
            return;
        }
        quint64 size = size32;
        if (size32 == 1) {
            if (!in.Number(at + 8, false, &size) || size < 16) {
                sniffed->problem = QStringLiteral("a box of the container is damaged");
                return;
            }
        } else if (size32 == 0) {
            size = quint64(in.size() - at);  // the last box runs to the end of the file
        } else if (size32 < 8) {
            sniffed->problem = QStringLiteral("a box of the container is damaged");
            return;
        }
        if (size > quint64(in.size() - at)) {
            sniffed->problem = kTruncated;
            return;
        }
        described = described || type == "meta";
        at += qint64(size);
    }
    if (!described) sniffed->problem = QStringLiteral("the container describes no picture");
}

}  // namespace

bool SniffImageFile(const QString& path, SniffedFile* sniffed) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(64);
    if (head.isEmpty() && file.error() != QFileDevice::NoError) return false;
    *sniffed = SniffedFile{};
    sniffed->format = FormatOfSignature(head);
    Reader in(file);
    if (sniffed->format == kFormatUnknown) sniffed->format = DocumentFormat(in);
    switch (sniffed->format) {
        case kFormatJpeg:
            SniffJpeg(in, sniffed);
            break;
        case kFormatPng:
            SniffPng(in, sniffed);
            break;
        case kFormatGif:
            SniffGif(in, sniffed);
            break;
        case kFormatTiff:
            SniffTiff(in, head, sniffed);
            break;
        case kFormatBmp:
            SniffBmp(in, sniffed);
            break;
        case kFormatWebp:
            SniffWebp(in, sniffed);
            break;
        case kFormatHeif:
            SniffHeif(in, sniffed);
            break;
        default:
            break;
    }
    return true;
}
