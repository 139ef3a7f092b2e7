#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <optional>

// The marker segments at the start of a JPEG stream, up to its first scan, walked by the rules
// libjpeg reads them by: bytes between two segments (a stray byte, a stuffed 0xFF 0x00) are
// passed over, as libjpeg passes them with a warning, fill bytes may stand before a marker, and
// a marker without parameters stands alone. The one reader of JPEG markers: the format sniffer,
// the Exif thumbnail, the Exif splice and the JFIF segment all walk through it. Any thread.

struct JpegSegment {
    uchar marker = 0;
    qint64 at = 0;       // where its 0xFF is
    qint64 length = 2;   // of the whole segment, its marker included
    QByteArray payload;  // what follows the length field, when asked for
};

struct JpegHeader {
    // SOI first; the first SOS last when the walk reached it.
    QList<JpegSegment> segments;
    // Bytes between segments that belong to none: libjpeg passes over them with a warning, and
    // the picture is whole.
    qint64 strayBytes = 0;

    bool ReachedScan() const { return !segments.isEmpty() && segments.last().marker == 0xDA; }
    // The first segment with the marker; nullptr when there is none.
    const JpegSegment* Find(uchar marker) const;
};

// Walks in from its current position, which must hold SOI, reading the payloads of the markers
// wanted asks for and passing over the rest. The walk ends at the first SOS, at EOI, at a
// segment that runs past the end, or after maxSegments; nullopt when in holds no SOI there.
std::optional<JpegHeader> ReadJpegHeader(QIODevice& in, bool (*wanted)(uchar marker),
                                         int maxSegments = 4096);

// A frame header's marker (SOF0 to SOF15 but DHT, JPG and DAC).
bool IsFrameMarker(uchar marker);
bool IsApplicationMarker(uchar marker);

// What libjpeg holds for the whole picture while it decodes a file that it cannot decode scan
// by scan (progressive, or a first scan without every component): every coefficient of every
// block, two bytes each, whatever the scale of the decode. 0 for a file decoded in one pass,
// or when the header has no frame.
qint64 CoefficientBytes(const JpegHeader& header);
