#pragma once

#include <QByteArray>
#include <QString>

// The Exif block of our JPEG files, in its final layout: "Exif\0\0", a little-endian TIFF
// header with IFD0 at offset 8, the Exif sub-directory with an interoperability directory
// ("R98", "0100"), no GPS directory, and the thumbnail in IFD1. Built with libexif. Any
// thread.

struct ExifFields {
    // Empty texts are left out of the block.
    QString make;
    QString model;
    QString dateTime;  // DateTime and DateTimeOriginal, "%Y:%m:%d %H:%M:%S"
    QString dateTimeDigitized;
    QString flashpixVersion;
    QString interopIndex;
    QString interopVersion;
    int pixelWidth = 0;
    int pixelHeight = 0;
    int dpi = 72;
};

// The payload of the APP1 segment; thumbnailJpeg (a complete baseline JPEG) goes into IFD1
// when it is not empty.
QByteArray BuildExifPayload(const ExifFields& fields, const QByteArray& thumbnailJpeg);

// SOI, an APP1 segment with the payload, then the segments of jpeg after its SOI without any
// application segment (no JFIF APP0). Throws std::runtime_error when jpeg is not a JPEG or
// the payload does not fit one segment.
QByteArray SpliceExif(const QByteArray& jpeg, const QByteArray& payload);

// The segments of jpeg without any application segment (APP0 to APP15).
QByteArray StripApplicationSegments(const QByteArray& jpeg);

// jpeg without its application segments and with a JFIF APP0 segment right after SOI that
// gives the density in dots per inch (version 1.01, no thumbnail).
QByteArray WithJfifSegment(const QByteArray& jpeg, int dpi);
