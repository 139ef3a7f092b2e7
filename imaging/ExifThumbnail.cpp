#include "imaging/ExifThumbnail.h"

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <QFile>
#include <memory>

#include "imaging/JpegSegments.h"

namespace {

// The segments before the image data: an Exif block, a few more application segments, the
// tables and the frame header. A file with more is not read any further.
constexpr int kSegmentsSearched = 64;
constexpr int kCompressionJpeg = 6;

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

bool IsApp1(uchar marker) {
    return marker == 0xE1;
}

// The payload of the APP1 segment that holds the Exif block ("Exif\0\0", then the TIFF
// structure); empty when the segments up to the image data hold none, or more than one (the
// photo's loader takes the last, and the two might not agree), or are damaged. Only the
// segments are read, none of the image data.
QByteArray ReadExifSegment(QFile& in) {
    const std::optional<JpegHeader> header = ReadJpegHeader(in, IsApp1, kSegmentsSearched);
    if (!header || !header->ReachedScan()) return QByteArray();
    QByteArray exif;
    for (const JpegSegment& segment : header->segments) {
        // An APP1 segment may also hold XMP; the Exif block is the one with its header.
        if (segment.marker != 0xE1 || !segment.payload.startsWith(QByteArray("Exif\0\0", 6))) {
            continue;
        }
        if (!exif.isEmpty()) return QByteArray();
        exif = segment.payload;
    }
    return exif;
}

// The first value of a SHORT entry; -1 when the entry holds something else.
int ShortOf(const ExifEntry* entry, ExifByteOrder order) {
    if (entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || entry->size < 2 ||
        !entry->data) {
        return -1;
    }
    return exif_get_short(entry->data, order);
}

}  // namespace

std::optional<ExifThumbnail> ReadExifThumbnail(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray block = ReadExifSegment(in);
    if (block.isEmpty()) return std::nullopt;

    std::unique_ptr<ExifData, ExifDataFree> data(exif_data_new());
    if (!data) return std::nullopt;
    // Read as stored: libexif is not to add, change or drop entries.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.constData()),
                        unsigned(block.size()));
    // libexif keeps the thumbnail only when its offset and length lie inside the block.
    if (!data->data || data->size < 4 || data->data[0] != 0xFF || data->data[1] != 0xD8) {
        return std::nullopt;
    }
    const ExifByteOrder order = exif_data_get_byte_order(data.get());
    if (const ExifEntry* compression =
            exif_content_get_entry(data->ifd[EXIF_IFD_1], EXIF_TAG_COMPRESSION)) {
        if (ShortOf(compression, order) != kCompressionJpeg) return std::nullopt;
    }

    ExifThumbnail thumbnail;
    if (const ExifEntry* orientation =
            exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION)) {
        thumbnail.orientation = ShortOf(orientation, order);
        // A value no reader agrees on: the picture is better decoded as the loader turns it.
        if (thumbnail.orientation < 1 || thumbnail.orientation > 8) return std::nullopt;
    }
    thumbnail.jpeg = QByteArray(reinterpret_cast<const char*>(data->data), int(data->size));
    return thumbnail;
}
