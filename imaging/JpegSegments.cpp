#include "imaging/JpegSegments.h"

#include <algorithm>

namespace {

constexpr uchar kSoi = 0xD8;
constexpr uchar kEoi = 0xD9;
constexpr uchar kSos = 0xDA;

bool Byte(QIODevice& in, uchar* byte) {
    return in.getChar(reinterpret_cast<char*>(byte));
}

// The next marker as libjpeg finds it: any bytes up to a 0xFF, any number of fill 0xFFs, and a
// stuffed 0xFF 0x00 are passed over (and counted in *stray). *at is where the marker's 0xFF is.
bool NextMarker(QIODevice& in, uchar* marker, qint64* at, qint64* stray) {
    for (;;) {
        uchar byte = 0;
        if (!Byte(in, &byte)) return false;
        while (byte != 0xFF) {
            ++*stray;
            if (!Byte(in, &byte)) return false;
        }
        do {
            *at = in.pos() - 1;
            if (!Byte(in, &byte)) return false;
        } while (byte == 0xFF);
        if (byte != 0) {
            *marker = byte;
            return true;
        }
        *stray += 2;
    }
}

bool Standalone(uchar marker) {
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

// The segment's length, and its payload when wanted asks for it; false when the stream ends
// first.
bool ReadParameters(QIODevice& in, bool (*wanted)(uchar), JpegSegment* segment) {
    uchar high = 0;
    uchar low = 0;
    if (!Byte(in, &high) || !Byte(in, &low)) return false;
    const int length = (high << 8) | low;
    if (length < 2) return false;
    segment->length = 2 + length;
    if (wanted && wanted(segment->marker)) {
        segment->payload = in.read(length - 2);
        return segment->payload.size() == length - 2;
    }
    return in.skip(length - 2) == length - 2;
}

}  // namespace

const JpegSegment* JpegHeader::Find(uchar marker) const {
    for (const JpegSegment& segment : segments) {
        if (segment.marker == marker) return &segment;
    }
    return nullptr;
}

bool IsFrameMarker(uchar marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

bool IsApplicationMarker(uchar marker) {
    return marker >= 0xE0 && marker <= 0xEF;
}

std::optional<JpegHeader> ReadJpegHeader(QIODevice& in, bool (*wanted)(uchar), int maxSegments) {
    JpegHeader header;
    uchar soi[2] = {0, 0};
    const qint64 start = in.pos();
    if (!Byte(in, &soi[0]) || !Byte(in, &soi[1]) || soi[0] != 0xFF || soi[1] != kSoi) {
        return std::nullopt;
    }
    header.segments.append({kSoi, start, 2, {}});
    for (int count = 0; count < maxSegments; ++count) {
        JpegSegment segment;
        if (!NextMarker(in, &segment.marker, &segment.at, &header.strayBytes)) break;
        // A second SOI is an error of libjpeg's, and after EOI there is no picture.
        if (segment.marker == kSoi || segment.marker == kEoi) break;
        // The start of scan ends the walk whether or not its parameters are all there: what
        // follows is image data.
        const bool read = Standalone(segment.marker) || ReadParameters(in, wanted, &segment);
        if (!read && segment.marker != kSos) break;
        header.segments.append(segment);
        if (segment.marker == kSos) break;
    }
    return header;
}

qint64 CoefficientBytes(const JpegHeader& header) {
    const JpegSegment* frame = nullptr;
    for (const JpegSegment& segment : header.segments) {
        if (IsFrameMarker(segment.marker)) {
            frame = &segment;
            break;
        }
    }
    if (!frame || frame->payload.size() < 6) return 0;
    const auto* p = reinterpret_cast<const uchar*>(frame->payload.constData());
    const qint64 height = (p[1] << 8) | p[2];
    const qint64 width = (p[3] << 8) | p[4];
    const int components = std::min<int>(p[5], int(frame->payload.size() - 6) / 3);
    // SOF2, SOF6, SOF10 and SOF14 are progressive; a file whose first scan leaves out a
    // component comes in several scans too.
    const bool progressive = (frame->marker & 0x03) == 0x02;
    const JpegSegment* scan = header.Find(kSos);
    const int scanned = scan && !scan->payload.isEmpty() ? uchar(scan->payload[0]) : components;
    if (!progressive && scanned >= components) return 0;
    int most[2] = {1, 1};
    for (int c = 0; c < components; ++c) {
        const uchar factors = p[6 + 3 * c + 1];
        most[0] = std::max(most[0], factors >> 4);
        most[1] = std::max(most[1], factors & 0x0F);
    }
    const auto roundUp = [](qint64 value, qint64 step) { return (value + step - 1) / step * step; };
    qint64 blocks = 0;
    for (int c = 0; c < components; ++c) {
        const uchar factors = p[6 + 3 * c + 1];
        const qint64 h = std::max(1, factors >> 4);
        const qint64 v = std::max(1, factors & 0x0F);
        // Blocks of the component, rounded up to whole units of its sampling, as libjpeg
        // allocates them.
        const qint64 across = (width * h + 8 * most[0] - 1) / (8 * most[0]);
        const qint64 down = (height * v + 8 * most[1] - 1) / (8 * most[1]);
        blocks += roundUp(across, h) * roundUp(down, v);
    }
    return blocks * 64 * 2;
}
