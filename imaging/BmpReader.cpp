#include "imaging/BmpReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <vector>

#include "imaging/CLead.h"
#include "imaging/DecodedRows.h"
#include "imaging/ImagingConstants.h"

using vips::VImage;

namespace imaging {
namespace {

const char* const kCutShort = "the file ends before its pixels do";

// One colour channel of a bit-field pixel: its mask, where it starts, and its largest value.
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

// Everything the rows need, shared by the threads that read them; closed with the image.
struct Bitmap {
    int fd = -1;
    qint64 fileSize = 0;
    int width = 0;
    int height = 0;
    int bits = 0;
    bool topDown = false;
    qint64 pixelOffset = 0;
    qint64 stride = 0;
    std::array<std::array<uchar, 3>, 256> palette{};
    Channel red, green, blue;

    ~Bitmap() {
        if (fd >= 0) ::close(fd);
    }

    // Converts the stored row to RGB for columns left .. left + count - 1.
    void Convert(const uchar* row, int left, int count, uchar* out) const {
        for (int x = left; x < left + count; ++x, out += 3) {
            switch (bits) {
                case 1:
                case 4:
                case 8: {
                    const qint64 bit = qint64(x) * bits;
                    const int index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1);
                    std::copy_n(palette[size_t(index)].data(), 3, out);
                    break;
                }
                case 16:
                case 32: {
                    const quint32 pixel = bits == 16
                                              ? qFromLittleEndian<quint16>(row + 2 * qint64(x))
                                              : qFromLittleEndian<quint32>(row + 4 * qint64(x));
                    out[0] = red.Of(pixel);
                    out[1] = green.Of(pixel);
                    out[2] = blue.Of(pixel);
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
        const int stored = bitmap->topDown ? y : bitmap->height - 1 - y;
        const qint64 at = bitmap->pixelOffset + qint64(stored) * bitmap->stride;
        ssize_t got = 0;
        while (got < bitmap->stride) {
            const ssize_t n =
                ::pread(bitmap->fd, row.data() + got, size_t(bitmap->stride - got), at + got);
            if (n > 0) {
                got += n;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                break;
            }
        }
        if (got < bitmap->stride) {
            // Cut short: the header reader has already said so.
            std::fill(out, out + size_t(area.width) * 3, uchar(0));
            continue;
        }
        bitmap->Convert(row.data(), area.left, area.width, out);
    }
    return 0;
}

// Run-length coded indices, bottom-up rows, into rows of width indices followed by a mask of
// the pixels written (one bit each): a delta, an end of line or of the bitmap skips pixels, and
// the data of a damaged file ends anywhere. Returns false when the data ends before its end
// mark (what was decoded is kept).
bool DecodeRunLength(const QByteArray& data, int width, int height, bool fourBits,
                     DecodedRows<>* rows) {
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    qsizetype at = 0;
    // Pixels right of the row are dropped; x stays at width once there, so that no count of
    // runs can carry it further.
    int x = 0;
    int y = height - 1;  // stored bottom-up
    const auto put = [&](int index) {
        if (x >= width) return;
        if (y >= 0) {
            uchar* row = rows->Row(y);
            row[x] = uchar(index);
            row[width + x / 8] |= uchar(1 << (x % 8));
        }
        ++x;
    };
    while (at + 1 < n) {
        const int count = p[at];
        const int value = p[at + 1];
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i) {
                put(fourBits ? ((i % 2 == 0) ? value >> 4 : value & 0x0F) : value);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                --y;
                break;
            case 1:  // end of bitmap
                return true;
            case 2:  // delta
                if (at + 1 >= n) return false;
                x = std::min(width, x + p[at]);
                y -= p[at + 1];
                at += 2;
                break;
            default: {  // value literal indices, padded to a 16-bit boundary
                const qsizetype bytes = fourBits ? (value + 1) / 2 : value;
                if (at + bytes > n) return false;
                for (int i = 0; i < value && x < width; ++i) {
                    const int byte = p[at + (fourBits ? i / 2 : i)];
                    put(fourBits ? ((i % 2 == 0) ? byte >> 4 : byte & 0x0F) : byte);
                }
                at += (bytes + 1) & ~qsizetype(1);
                break;
            }
        }
        if (y < 0) return true;
    }
    return false;
}

}  // namespace

std::optional<VImage> ReadBitmap(const QString& file, QString* damage) {
    damage->clear();
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    }
    const QByteArray head = in.read(14 + 124 + 12);
    const auto u16 = [&](int at) {
        return at + 2 <= head.size() ? qFromLittleEndian<quint16>(head.constData() + at) : 0;
    };
    const auto u32 = [&](int at) {
        return at + 4 <= head.size() ? qFromLittleEndian<quint32>(head.constData() + at) : 0u;
    };
    const quint32 headerSize = u32(14);
    // The OS/2 core header and headers other than the info header and its successors are the
    // toolkit's.
    if (headerSize < 40 || headerSize > 124 || head.size() < 54) return std::nullopt;
    auto bitmap = std::make_unique<Bitmap>();
    const qint32 width = qint32(u32(18));
    const qint32 height = qint32(u32(22));
    const int bits = u16(28);
    const quint32 compression = u32(30);
    quint32 colours = u32(46);
    if (width <= 0 || width > kMaxImageSide * 8 || height == 0 ||
        height == std::numeric_limits<qint32>::min() || std::abs(height) > kMaxImageSide * 8) {
        throw LeadError("the bitmap's size cannot be right", LeadError::Kind::Unreadable);
    }
    const bool runLength = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    const bool bitFields = compression == 3 && (bits == 16 || bits == 32);
    const bool plain = compression == 0 && (bits == 1 || bits == 4 || bits == 8 || bits == 16 ||
                                            bits == 24 || bits == 32);
    if (!runLength && !bitFields && !plain) return std::nullopt;
    bitmap->width = width;
    bitmap->height = std::abs(height);
    bitmap->topDown = height < 0;
    bitmap->bits = bits;
    bitmap->pixelOffset = u32(10);
    bitmap->fileSize = in.size();
    bitmap->stride = (qint64(width) * bits + 31) / 32 * 4;
    if (bits <= 8) {
        if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
        in.seek(14 + headerSize);
        const QByteArray table = in.read(qint64(colours) * 4);
        for (quint32 i = 0; i < colours && qsizetype(4 * i + 3) <= table.size(); ++i) {
            bitmap->palette[i] = {uchar(table[4 * i + 2]), uchar(table[4 * i + 1]),
                                  uchar(table[4 * i])};
        }
    } else if (bitFields) {
        // The masks follow a 40-byte header, or are part of a longer one.
        bitmap->red = Channel(u32(54));
        bitmap->green = Channel(u32(58));
        bitmap->blue = Channel(u32(62));
    } else if (bits == 16) {  // 5-5-5
        bitmap->red = Channel(0x7C00);
        bitmap->green = Channel(0x03E0);
        bitmap->blue = Channel(0x001F);
    } else if (bits == 32) {
        bitmap->red = Channel(0x00FF0000);
        bitmap->green = Channel(0x0000FF00);
        bitmap->blue = Channel(0x000000FF);
    }
    if (bitmap->pixelOffset < 14 + qint64(headerSize) || bitmap->pixelOffset > bitmap->fileSize) {
        throw LeadError("the pixels lie outside the file", LeadError::Kind::Unreadable);
    }

    if (runLength) {
        in.seek(bitmap->pixelOffset);
        const int rowWidth = bitmap->width;
        auto rows = std::make_shared<DecodedRows<>>(bitmap->height,
                                                    size_t(rowWidth) + size_t(rowWidth + 7) / 8);
        if (!DecodeRunLength(in.readAll(), rowWidth, bitmap->height, bits == 4, rows.get())) {
            *damage = QString::fromLatin1(kCutShort);
        }
        // Pixels the runs skip or never reach are black, as rows missing from a cut file are.
        return PaintedImage(
            rowWidth, bitmap->height, 3, VIPS_INTERPRETATION_sRGB,
            [rows, rowWidth, palette = bitmap->palette](int y, int left, int count, uchar* out) {
                const uchar* row = rows->Find(y);
                for (int x = left; x < left + count; ++x, out += 3) {
                    if (row && (row[rowWidth + x / 8] >> (x % 8)) & 1) {
                        std::copy_n(palette[row[x]].data(), 3, out);
                    } else {
                        std::fill_n(out, 3, uchar(0));
                    }
                }
            });
    }

    if (bitmap->pixelOffset + bitmap->stride * bitmap->height > bitmap->fileSize) {
        *damage = QString::fromLatin1(kCutShort);
    }
    bitmap->fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (bitmap->fd < 0) throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    VipsImage* image = vips_image_new();
    vips_image_init_fields(image, bitmap->width, bitmap->height, 3, VIPS_FORMAT_UCHAR,
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
    return VImage(image);
}

}  // namespace imaging
