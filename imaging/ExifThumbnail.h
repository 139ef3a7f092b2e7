#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The small picture a camera stores beside a JPEG photo, in the second directory (IFD1) of
// its Exif block. Read from the start of the file only: the Exif block and the headers of the
// other segments up to the image data, never the image data. Parsed with libexif. Any
// thread.

struct ExifThumbnail {
    QByteArray jpeg;      // the thumbnail as stored: a complete JPEG stream, not yet decoded
    int orientation = 1;  // the photo's Exif orientation (IFD0), 1 to 8; it holds for the
                          // thumbnail too
};

// The thumbnail of a JPEG file's Exif block, when the file has one stored as a JPEG.
// Nothing for another kind of file, a file without an Exif block or with two, without a
// JPEG thumbnail, a block that is cut short or points outside itself, or an orientation out
// of range. Whether the thumbnail decodes is for the caller to find out.
std::optional<ExifThumbnail> ReadExifThumbnail(const QString& file);
