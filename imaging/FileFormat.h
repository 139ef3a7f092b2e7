#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

// Recognises an image file by its first bytes, never by its name: the formats the program
// reads, documents and images of other formats that are refused unread, the brands of a HEIF
// container. Of the headers it reads only what no library tells: the layout of a bitmap, which
// is read by our own reader, whether a picture is bilevel, how much memory a JPEG decoder must
// hold for the whole picture, and where a PNG or TIFF file lost data its loader passes over in
// silence. Sizes are the loaders' to read. Any thread.

// A Windows or OS/2 bitmap's header: every field checked against its range and the file's
// length before it is used in arithmetic.
struct BmpHeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bits = 0;         // a pixel: 1, 4, 8, 16, 24 or 32
    int compression = 0;  // 0 plain, 1 run-length 8 bits, 2 run-length 4 bits, 3 and 6 bit fields
    qint64 pixelOffset = 0;
    // The colour table: where it starts, its entries (at most 1 << bits) and their size
    // (3 bytes in an OS/2 1.x file, 4 otherwise).
    qint64 paletteAt = 0;
    int paletteEntries = 0;
    int paletteEntrySize = 4;
    // Red, green, blue and alpha masks of a 16- or 32-bit pixel (alpha 0: no alpha).
    std::array<quint32, 4> masks{};
};

struct SniffedFile {
    int format = 0;       // an imaging::FormatCode; kFormatUnknown when no signature matched
    bool oneBit = false;  // a bilevel image: 1 bit per pixel, one sample
    // Why the header cannot be right (a bitmap of no size, a JPEG without a frame, a PNG
    // without image data); empty when it can. No decoder is asked to read such a file.
    QString problem;
    // What the file has lost that its loader reads past without a word: a PNG cut after its
    // image data, before its end chunk; a value of a TIFF directory (a colour profile) past the
    // end of the file. Empty when nothing is known to be lost.
    QString damage;
    // A JPEG: what libjpeg must hold for the whole picture while it decodes (JpegSegments.h).
    qint64 coefficientBytes = 0;
    // A bitmap: its header.
    std::optional<BmpHeader> bmp;
};

// Reads the signature and the headers of the file. False when the file cannot be opened or
// read.
bool SniffImageFile(const QString& path, SniffedFile* sniffed);
