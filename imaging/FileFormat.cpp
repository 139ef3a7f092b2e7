#include "imaging/FileFormat.h"

#include <QFile>
#include <QtEndian>
#include <cstdlib>

#include "imaging/ImagingConstants.h"

namespace {

using namespace imaging;

quint16 Get16(const QByteArray& bytes, int offset, bool littleEndian) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + offset;
    return littleEndian ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
}

quint32 Get32(const QByteArray& bytes, int offset, bool littleEndian) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + offset;
    return littleEndian ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
}

int FormatOfSignature(const QByteArray& head) {
    if (head.startsWith("\xFF\xD8\xFF")) return kFormatJpeg;
    if (head.startsWith("\x89PNG\r\n\x1A\n")) return kFormatPng;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return kFormatGif;
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4))) {
        return kFormatTiff;
    }
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return kFormatWebp;
    if (head.startsWith("BM") && head.size() >= 30) {
        // The info header's own size tells a bitmap from other files starting with "BM".
        switch (Get32(head, 14, true)) {
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

// Walks the first directory of a TIFF file for BitsPerSample and SamplesPerPixel.
bool TiffIsOneBit(QFile& file, const QByteArray& head) {
    const bool little = head.startsWith("II");
    const quint32 ifd = Get32(head, 4, little);
    if (!file.seek(ifd)) return false;
    const QByteArray countBytes = file.read(2);
    if (countBytes.size() != 2) return false;
    const int count = Get16(countBytes, 0, little);
    const QByteArray entries = file.read(qint64(count) * 12);
    if (entries.size() != count * 12) return false;
    int bitsPerSample = 1;  // the TIFF defaults
    int samplesPerPixel = 1;
    for (int i = 0; i < count; ++i) {
        const int at = i * 12;
        const int tag = Get16(entries, at, little);
        const int type = Get16(entries, at + 2, little);
        const quint32 n = Get32(entries, at + 4, little);
        // Only a single SHORT stored in the entry itself matters here.
        const int value = (type == 3 && n == 1) ? Get16(entries, at + 8, little) : -1;
        if (tag == 258) bitsPerSample = value;
        if (tag == 277) samplesPerPixel = value;
    }
    return bitsPerSample == 1 && samplesPerPixel == 1;
}

}  // namespace

bool SniffImageFile(const QString& path, SniffedFile* sniffed) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = file.read(64);
    if (head.isEmpty() && file.error() != QFileDevice::NoError) return false;
    *sniffed = SniffedFile{};
    sniffed->format = FormatOfSignature(head);
    switch (sniffed->format) {
        case kFormatPng:
            // IHDR: bit depth at 24, colour type at 25 (0 = grey).
            sniffed->oneBit = head.size() > 25 && head[24] == 1 && head[25] == 0;
            break;
        case kFormatTiff:
            sniffed->oneBit = head.size() >= 8 && TiffIsOneBit(file, head);
            break;
        case kFormatBmp: {
            const bool core = Get32(head, 14, true) == 12;
            if (core) {
                sniffed->width = Get16(head, 18, true);
                sniffed->height = Get16(head, 20, true);
                sniffed->oneBit = Get16(head, 24, true) == 1;
            } else {
                sniffed->width = std::abs(qint32(Get32(head, 18, true)));
                sniffed->height = std::abs(qint32(Get32(head, 22, true)));  // < 0: top-down
                sniffed->oneBit = Get16(head, 28, true) == 1;
            }
            break;
        }
        default:
            break;
    }
    return true;
}
