#include "imaging/Encoders.h"

#include <QtEndian>
#include <cmath>

#include "imaging/ImagingConstants.h"
#include "imaging/Lanczos.h"

using vips::VImage;

namespace {

QByteArray TakeBlob(VipsBlob* blob) {
    size_t size = 0;
    const void* data = vips_blob_get(blob, &size);
    QByteArray bytes(static_cast<const char*>(data), qsizetype(size));
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

}  // namespace

VImage ToThreeBands(const VImage& image) {
    if (image.bands() == 3) return image;
    return VImage::bandjoin({image, image, image})
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// The resolution travels as the image's pixels per millimetre.
VImage WithResolution(const VImage& image, int dpi) {
    const double perMillimetre = dpi / 25.4;
    return image.copy(VImage::option()->set("xres", perMillimetre)->set("yres", perMillimetre));
}

QByteArray EncodeJpeg(const VImage& image, int quality, int dpi) {
    return TakeBlob(WithResolution(ToThreeBands(image), dpi)
                        .jpegsave_buffer(VImage::option()
                                             ->set("Q", quality)
                                             ->set("strip", true)
                                             ->set("interlace", false)
                                             ->set("optimize_coding", false)
                                             ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON)));
}

QByteArray EncodePng(const VImage& image, int dpi) {
    return TakeBlob(
        WithResolution(image, dpi)
            .pngsave_buffer(
                VImage::option()->set("strip", true)->set("bitdepth", 8)->set("compression", 6)));
}

QByteArray EncodeBmp24(const VImage& image, int dpi) {
    const VImage rgb = ToThreeBands(image);
    const int width = rgb.width();
    const int height = rgb.height();
    const int stride = (width * 3 + 3) & ~3;
    const quint32 pixelBytes = quint32(stride) * quint32(height);
    const quint32 pixelsPerMetre = quint32(std::lround(dpi / 0.0254));

    QByteArray out(54 + qsizetype(pixelBytes), '\0');
    auto* p = reinterpret_cast<uchar*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(54 + pixelBytes, p + 2);
    qToLittleEndian<quint32>(54, p + 10);  // offset of the pixels
    qToLittleEndian<quint32>(40, p + 14);  // BITMAPINFOHEADER
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);  // positive: bottom-up
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    qToLittleEndian<quint32>(pixelBytes, p + 34);
    qToLittleEndian<quint32>(pixelsPerMetre, p + 38);
    qToLittleEndian<quint32>(pixelsPerMetre, p + 42);

    size_t size = 0;
    auto* pixels = static_cast<uchar*>(rgb.write_to_memory(&size));
    for (int y = 0; y < height; ++y) {
        const uchar* from = pixels + size_t(y) * size_t(width) * 3;
        uchar* to = p + 54 + size_t(height - 1 - y) * size_t(stride);
        for (int x = 0; x < width; ++x) {
            to[3 * x] = from[3 * x + 2];  // blue, green, red
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    g_free(pixels);
    return out;
}

QByteArray EncodeThumbnail(const VImage& image, int width, int height) {
    const double scale = std::min(double(width) / image.width(), double(height) / image.height());
    const int w = std::max(1, int(std::lround(image.width() * scale)));
    const int h = std::max(1, int(std::lround(image.height() * scale)));
    VImage small;
    if (image.width() % w == 0 && image.height() % h == 0 &&
        image.width() / w == image.height() / h) {
        // A whole-number ratio (800 x 600 to 160 x 120): the average of each block of pixels is
        // as good a thumbnail and costs a fraction of a resampling filter.
        small = image.shrink(image.width() / w, image.height() / h);
    } else {
        small = imaging::ResizeExact(image, w, h);
    }
    small = small.embed((width - small.width()) / 2, (height - small.height()) / 2, width, height,
                        VImage::option()->set("extend", VIPS_EXTEND_BLACK));
    QByteArray jpeg = EncodeJpeg(small, imaging::kThumbnailQuality);
    // An Exif segment holds at most 64 KiB; a thumbnail that noisy is rare, so step down.
    for (int quality = imaging::kThumbnailQuality - 15; jpeg.size() > 48000 && quality > 20;
         quality -= 15) {
        jpeg = EncodeJpeg(small, quality);
    }
    return jpeg;
}
