// Windows and OS/2 bitmaps, read by our own reader (the library has none that is trusted): an
// uncompressed bitmap row by row straight from the file as the pipeline asks for rows, never
// held whole (52 MB instead of the toolkit's 441 MB for 10,000 x 10,000); a run-length coded
// one decoded once, one byte a pixel, into the rows its data reaches. The header is the format
// sniffer's (FileFormat.cpp). A picture this reader cannot draw as the file means it is named
// damaged: rows the file does not hold, runs that reach outside the picture, a pixel that names
// a colour the palette does not have.
#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <vector>

#include "imaging/ImagingConstants.h"
#include "imaging/LeadError.h"
#include "imaging/readers/DecodedRows.h"
#include "imaging/readers/Reader.h"

using vips::VImage;

namespace {

const QString kCutShort = QStringLiteral("the file ends before its pixels do");
const QString kOutside = QStringLiteral("the run-length data reaches outside the picture");
const QString kNoColour = QStringLiteral("a pixel names a colour the palette does not have");

// One channel of a bit-field pixel: its mask, where it starts, and its largest value.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint32 largest = 0;

    explicit Channel(quint32 m = 0) : mask(m) {
        if (mask == 0) return;
        shift = std::countr_zero(mask);
        largest = mask >> shift;
    }
    uchar Of(quint32 pixel) const {
        if (largest == 0) return 0;
        return uchar((quint64((pixel & mask) >> shift) * 255 + largest / 2) / largest);
    }
};

using Palette = std::array<std::array<uchar, 3>, 256>;
using namespace imaging;

// Everything the rows need, shared by the threads that read them; closed with the image.
struct Bitmap {
    BmpHeader header;
    int fd = -1;
    qint64 stride = 0;
    int bands = 3;  // 4 with an alpha mask
    Palette palette{};
    std::array<Channel, 4> channels;

    ~Bitmap() {
        if (fd >= 0) ::close(fd);
    }

    // The palette index of column x of a stored row.
    int Index(const uchar* row, int x) const {
        const int bits = header.bits;
        const qint64 bit = qint64(x) * bits;
        return (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
    }

    // Converts the stored row to RGB (or RGBA) for columns left .. left + count - 1.
    void Convert(const uchar* row, int left, int count, uchar* out) const {
        for (int x = left; x < left + count; ++x, out += bands) {
            switch (header.bits) {
                case 1:
                case 4:
                case 8:
                    std::copy_n(palette[size_t(Index(row, x))].data(), 3, out);
                    break;
                case 16:
                case 32: {
                    const quint32 pixel = header.bits == 16
                                              ? qFromLittleEndian<quint16>(row + 2 * qint64(x))
                                              : qFromLittleEndian<quint32>(row + 4 * qint64(x));
                    for (int c = 0; c < bands; ++c) out[c] = channels[size_t(c)].Of(pixel);
                    break;
                }
                default:  // 24: blue, green, red
                    out[0] = row[3 * qint64(x) + 2];
                    out[1] = row[3 * qint64(x) + 1];
                    out[2] = row[3 * qint64(x)];
                    break;
            }
        }
    }

    // Reads stored row y (0 is the file's first) into row; false when the file ends first.
    bool ReadRow(int stored, uchar* row) const {
        const qint64 at = header.pixelOffset + qint64(stored) * stride;
        ssize_t got = 0;
        while (got < stride) {
            const ssize_t n = ::pread(fd, row + got, size_t(stride - got), at + got);
            if (n > 0) {
                got += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return false;
            }
        }
        return true;
    }
};

void CloseBitmap(VipsImage*, void* bitmap) {
    delete static_cast<Bitmap*>(bitmap);
}

// Fills the region's rows from the file, each row read once with pread (safe on any thread).
int GenerateRows(VipsRegion* region, void*, void* data, void*, gboolean*) {
    const auto* bitmap = static_cast<const Bitmap*>(data);
    const VipsRect& area = region->valid;
    std::vector<uchar> row(size_t(bitmap->stride));
    for (int y = area.top; y < area.top + area.height; ++y) {
        auto* out = reinterpret_cast<uchar*>(VIPS_REGION_ADDR(region, area.left, y));
        const int stored = bitmap->header.topDown ? y : bitmap->header.height - 1 - y;
        if (bitmap->ReadRow(stored, row.data())) {
            bitmap->Convert(row.data(), area.left, area.width, out);
        } else {  // cut short: the header has said so
            std::fill_n(out, size_t(area.width) * size_t(bitmap->bands), uchar(0));
        }
    }
    return 0;
}

// Whether a stored pixel names an index past the palette: read through once, for a palette
// shorter than the depth allows.
bool NamesMissingColour(const Bitmap& bitmap) {
    if (bitmap.header.paletteEntries >= 1 << bitmap.header.bits) return false;
    std::vector<uchar> row(size_t(bitmap.stride));
    for (int y = 0; y < bitmap.header.height && bitmap.ReadRow(y, row.data()); ++y) {
        for (int x = 0; x < bitmap.header.width; ++x) {
            if (bitmap.Index(row.data(), x) >= bitmap.header.paletteEntries) return true;
        }
    }
    return false;
}

struct RunLength {
    bool ended = false;    // the data reached its end mark
    bool outside = false;  // a pixel or a move fell outside the picture
    bool missing = false;  // an index past the palette
};

// Run-length coded indices, bottom-up rows, into rows of width indices followed by a mask of
// the pixels written (one bit each): a delta, an end of line or of the bitmap skips pixels, and
// the data of a damaged file ends anywhere.
RunLength DecodeRunLength(const QByteArray& data, const BmpHeader& header, DecodedRows<>* rows) {
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    const int width = header.width;
    const bool fourBits = header.bits == 4;
    RunLength result;
    qsizetype at = 0;
    // x stays at width once there, and y at -1 past the top, so that no count of runs can
    // carry either further.
    int x = 0;
    int y = header.height - 1;  // stored bottom-up
    const auto put = [&](int index) {
        if (y < 0) {
            result.outside = true;
            return;
        }
        result.missing = result.missing || index >= header.paletteEntries;
        uchar* row = rows->Row(y);
        row[x] = uchar(index);
        row[width + x / 8] |= uchar(1 << (x % 8));
        ++x;
    };
    // Pixels past the end of the row are dropped.
    const auto room = [&](int count) {
        result.outside = result.outside || count > width - x;
        return std::min(count, width - x);
    };
    while (at + 1 < n) {
        const int count = p[at];
        const int value = p[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0, n = room(count); i < n; ++i) {
                put(fourBits ? ((i % 2 == 0) ? value >> 4 : value & 0x0F) : value);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                y = std::max(-1, y - 1);
                break;
            case 1:  // end of bitmap
                result.ended = true;
                return result;
            case 2:  // delta
                if (at + 1 >= n) return result;
                result.outside = result.outside || x + p[at] > width || y - p[at + 1] < 0;
                x = std::min(width, x + p[at]);
                y = std::max(-1, y - p[at + 1]);
                at += 2;
                break;
            default: {  // value literal indices, padded to a 16-bit boundary
                const qsizetype bytes = fourBits ? (value + 1) / 2 : value;
                if (at + bytes > n) return result;
                for (int i = 0, n = room(value); i < n; ++i) {
                    const int byte = p[at + (fourBits ? i / 2 : i)];
                    put(fourBits ? ((i % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
                }
                at += (bytes + 1) & ~qsizetype(1);
                break;
            }
        }
    }
    return result;
}

// A run-length bitmap decoded at once; pixels the runs skip or never reach are black, as rows
// missing from a cut file are.
ReadPicture ReadRunLength(QFile& in, const Bitmap& bitmap) {
    const BmpHeader& header = bitmap.header;
    const int width = header.width;
    auto rows =
        std::make_shared<DecodedRows<>>(header.height, size_t(width) + size_t(width + 7) / 8);
    in.seek(header.pixelOffset);
    const RunLength decoded = DecodeRunLength(in.readAll(), header, rows.get());
    const QString damage = !decoded.ended    ? kCutShort
                           : decoded.outside ? kOutside
                           : decoded.missing ? kNoColour
                                             : QString();
    const VImage image = PaintedImage(
        width, header.height, 3, VIPS_INTERPRETATION_sRGB,
        [rows, width, palette = bitmap.palette](int y, int left, int count, uchar* out) {
            const uchar* row = rows->Find(y);
            for (int x = left; x < left + count; ++x, out += 3) {
                if (row && (row[width + x / 8] >> (x % 8)) & 1) {
                    std::copy_n(palette[row[x]].data(), 3, out);
                } else {
                    std::fill_n(out, 3, uchar(0));
                }
            }
        });
    return {image, damage, true};
}

}  // namespace

ReadPicture ReadBmp(const ReadRequest& request) {
    if (!request.sniffed.bmp) throw LeadError("not a bitmap", LeadError::Kind::Unreadable);
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->header = *request.sniffed.bmp;
    const BmpHeader& header = bitmap->header;
    // Larger than any picture the import takes, by far: a row of it could not be allocated.
    if (header.width > kMaxImageSide * 8 || header.height > kMaxImageSide * 8) {
        throw LeadError("the bitmap's size cannot be right", LeadError::Kind::Unreadable);
    }
    const bool runLength = header.compression == 1 || header.compression == 2;
    bitmap->bands = header.masks[3] != 0 ? 4 : 3;
    if (request.headerOnly && runLength) {
        return {VImage::black(header.width, header.height, VImage::option()->set("bands", 3)),
                {},
                true};
    }
    QFile in(request.file);
    if (!in.open(QIODevice::ReadOnly)) {
        throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    }
    bitmap->stride = (qint64(header.width) * header.bits + 31) / 32 * 4;
    for (size_t c = 0; c < 4; ++c) bitmap->channels[c] = Channel(header.masks[c]);
    in.seek(header.paletteAt);
    const QByteArray table = in.read(qint64(header.paletteEntries) * header.paletteEntrySize);
    for (int i = 0; i < header.paletteEntries; ++i) {
        const char* entry = table.constData() + qsizetype(i) * header.paletteEntrySize;
        if (qsizetype(i + 1) * header.paletteEntrySize > table.size()) break;
        bitmap->palette[size_t(i)] = {uchar(entry[2]), uchar(entry[1]), uchar(entry[0])};
    }
    if (runLength) return ReadRunLength(in, *bitmap);

    bitmap->fd = ::open(QFile::encodeName(request.file).constData(), O_RDONLY | O_CLOEXEC);
    if (bitmap->fd < 0) throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    QString damage;
    if (header.pixelOffset + bitmap->stride * header.height > in.size()) {
        damage = kCutShort;
    } else if (header.bits <= 8 && !request.headerOnly && NamesMissingColour(*bitmap)) {
        damage = kNoColour;
    }
    VipsImage* image = vips_image_new();
    vips_image_init_fields(image, header.width, header.height, bitmap->bands, VIPS_FORMAT_UCHAR,
                           VIPS_CODING_NONE, VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    if (vips_image_pipelinev(image, VIPS_DEMAND_STYLE_THINSTRIP, nullptr) != 0) {
        g_object_unref(image);
        throw LeadError("out of memory for a bitmap", LeadError::Kind::OutOfMemory);
    }
    Bitmap* shared = bitmap.release();
    g_signal_connect(image, "close", G_CALLBACK(CloseBitmap), shared);
    if (vips_image_generate(image, nullptr, GenerateRows, nullptr, shared, nullptr) != 0) {
        g_object_unref(image);
        throw LeadError("the bitmap cannot be read", LeadError::Kind::Unreadable);
    }
    return {VImage(image), damage, true};
}
