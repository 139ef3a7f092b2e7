#include "imaging/ExifBlock.h"

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>

#include <QBuffer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "imaging/JpegSegments.h"

namespace {

constexpr ExifByteOrder kOrder = EXIF_BYTE_ORDER_INTEL;

struct ExifDataFree {
    void operator()(ExifData* data) const { exif_data_unref(data); }
};

// An entry with room for its value, added to the directory; libexif owns it afterwards.
ExifEntry* AddEntry(ExifData* data, ExifIfd ifd, ExifTag tag, ExifFormat format,
                    unsigned long components) {
    ExifMem* mem = exif_mem_new_default();
    ExifEntry* entry = exif_entry_new_mem(mem);
    const unsigned int size = exif_format_get_size(format) * components;
    entry->data = static_cast<unsigned char*>(exif_mem_alloc(mem, size));
    entry->size = size;
    entry->tag = tag;
    entry->format = format;
    entry->components = components;
    exif_content_add_entry(data->ifd[ifd], entry);
    exif_entry_unref(entry);
    exif_mem_unref(mem);
    return entry;
}

void AddShort(ExifData* data, ExifIfd ifd, ExifTag tag, ExifShort value) {
    exif_set_short(AddEntry(data, ifd, tag, EXIF_FORMAT_SHORT, 1)->data, kOrder, value);
}

void AddLong(ExifData* data, ExifIfd ifd, ExifTag tag, ExifLong value) {
    exif_set_long(AddEntry(data, ifd, tag, EXIF_FORMAT_LONG, 1)->data, kOrder, value);
}

void AddRational(ExifData* data, ExifIfd ifd, ExifTag tag, ExifLong numerator) {
    exif_set_rational(AddEntry(data, ifd, tag, EXIF_FORMAT_RATIONAL, 1)->data, kOrder,
                      ExifRational{numerator, 1});
}

// ASCII values carry their terminating zero.
void AddAscii(ExifData* data, ExifIfd ifd, ExifTag tag, const QString& text) {
    if (text.isEmpty()) return;
    const QByteArray bytes = text.toLatin1();
    ExifEntry* entry = AddEntry(data, ifd, tag, EXIF_FORMAT_ASCII, bytes.size() + 1);
    std::memcpy(entry->data, bytes.constData(), bytes.size() + 1);
}

void AddUndefined(ExifData* data, ExifIfd ifd, ExifTag tag, const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    ExifEntry* entry = AddEntry(data, ifd, tag, EXIF_FORMAT_UNDEFINED, bytes.size());
    std::memcpy(entry->data, bytes.constData(), bytes.size());
}

void AddResolution(ExifData* data, ExifIfd ifd, int dpi) {
    AddRational(data, ifd, EXIF_TAG_X_RESOLUTION, ExifLong(dpi));
    AddRational(data, ifd, EXIF_TAG_Y_RESOLUTION, ExifLong(dpi));
    AddShort(data, ifd, EXIF_TAG_RESOLUTION_UNIT, 2);  // inches
}

}  // namespace

QByteArray BuildExifPayload(const ExifFields& fields, const QByteArray& thumbnailJpeg) {
    std::unique_ptr<ExifData, ExifDataFree> data(exif_data_new());
    if (!data) throw std::runtime_error("out of memory for the Exif block");
    // Every entry is given explicitly below; libexif must not add or drop any.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data.get(), kOrder);
    exif_data_set_data_type(data.get(), EXIF_DATA_TYPE_COMPRESSED);

    // Entries in ascending tag order within each directory; libexif appends the pointers to
    // the Exif and interoperability directories after them.
    AddAscii(data.get(), EXIF_IFD_0, EXIF_TAG_MAKE, fields.make);
    AddAscii(data.get(), EXIF_IFD_0, EXIF_TAG_MODEL, fields.model);
    AddShort(data.get(), EXIF_IFD_0, EXIF_TAG_SAMPLES_PER_PIXEL, 3);
    AddResolution(data.get(), EXIF_IFD_0, fields.dpi);
    AddAscii(data.get(), EXIF_IFD_0, EXIF_TAG_DATE_TIME, fields.dateTime);
    AddShort(data.get(), EXIF_IFD_0, EXIF_TAG_YCBCR_POSITIONING, 1);  // centred

    AddUndefined(data.get(), EXIF_IFD_EXIF, EXIF_TAG_EXIF_VERSION, "0210");
    AddAscii(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, fields.dateTime);
    AddAscii(data.get(), EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_DIGITIZED, fields.dateTimeDigitized);
    AddUndefined(data.get(), EXIF_IFD_EXIF, EXIF_TAG_COMPONENTS_CONFIGURATION,
                 QByteArray("\1\2\3\0", 4));  // Y, Cb, Cr
    AddUndefined(data.get(), EXIF_IFD_EXIF, EXIF_TAG_FLASH_PIX_VERSION,
                 fields.flashpixVersion.toLatin1());
    AddShort(data.get(), EXIF_IFD_EXIF, EXIF_TAG_COLOR_SPACE, 1);  // sRGB
    AddLong(data.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, ExifLong(fields.pixelWidth));
    AddLong(data.get(), EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, ExifLong(fields.pixelHeight));

    if (!fields.interopIndex.isEmpty()) {
        // "R98" is stored as ASCII with its zero: four bytes.
        AddAscii(data.get(), EXIF_IFD_INTEROPERABILITY, EXIF_TAG_INTEROPERABILITY_INDEX,
                 fields.interopIndex);
    }
    AddUndefined(data.get(), EXIF_IFD_INTEROPERABILITY, EXIF_TAG_INTEROPERABILITY_VERSION,
                 fields.interopVersion.toLatin1());

    if (!thumbnailJpeg.isEmpty()) {
        AddShort(data.get(), EXIF_IFD_1, EXIF_TAG_COMPRESSION, 6);  // JPEG
        AddResolution(data.get(), EXIF_IFD_1, fields.dpi);
        // libexif frees the thumbnail with free() and writes its offset and length in IFD1.
        data->data = static_cast<unsigned char*>(std::malloc(thumbnailJpeg.size()));
        if (!data->data) throw std::runtime_error("out of memory for the thumbnail");
        std::memcpy(data->data, thumbnailJpeg.constData(), thumbnailJpeg.size());
        data->size = thumbnailJpeg.size();
    }

    unsigned char* bytes = nullptr;
    unsigned int size = 0;
    exif_data_save_data(data.get(), &bytes, &size);
    if (!bytes) throw std::runtime_error("the Exif block could not be written");
    QByteArray payload(reinterpret_cast<const char*>(bytes), int(size));
    std::free(bytes);
    return payload;
}

QByteArray StripApplicationSegments(const QByteArray& jpeg) {
    QBuffer in;
    in.setData(jpeg);
    in.open(QIODevice::ReadOnly);
    const std::optional<JpegHeader> header = ReadJpegHeader(in, nullptr);
    if (!header || !header->ReachedScan()) throw std::runtime_error("not a JPEG stream");
    QByteArray out;
    out.reserve(jpeg.size());
    const qint64 scan = header->segments.last().at;
    for (const JpegSegment& segment : header->segments) {
        if (segment.at < scan && !IsApplicationMarker(segment.marker)) {
            out.append(jpeg.constData() + segment.at, segment.length);
        }
    }
    // From the start of scan on, the data is copied as it is.
    out.append(jpeg.constData() + scan, jpeg.size() - scan);
    return out;
}

QByteArray SpliceExif(const QByteArray& jpeg, const QByteArray& payload) {
    const qsizetype length = payload.size() + 2;
    if (length > 0xFFFF) throw std::runtime_error("Exif block larger than one segment");
    const QByteArray body = StripApplicationSegments(jpeg);
    QByteArray out;
    out.reserve(body.size() + length + 2);
    out.append("\xFF\xD8\xFF\xE1", 4);
    out.append(char(length >> 8));
    out.append(char(length & 0xFF));
    out.append(payload);
    out.append(body.constData() + 2, body.size() - 2);
    return out;
}

QByteArray WithJfifSegment(const QByteArray& jpeg, int dpi) {
    const QByteArray body = StripApplicationSegments(jpeg);
    const quint16 density = quint16(std::clamp(dpi, 1, 0xFFFF));
    const char segment[] = {'\xFF',
                            '\xE0',
                            0,
                            16,
                            'J',
                            'F',
                            'I',
                            'F',
                            0,
                            1,
                            1,  // version 1.01
                            1,  // dots per inch
                            char(density >> 8),
                            char(density & 0xFF),
                            char(density >> 8),
                            char(density & 0xFF),
                            0,
                            0};  // no thumbnail
    QByteArray out;
    out.reserve(body.size() + qsizetype(sizeof segment));
    out.append(body.constData(), 2);
    out.append(segment, qsizetype(sizeof segment));
    out.append(body.constData() + 2, body.size() - 2);
    return out;
}
