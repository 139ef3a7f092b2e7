#include "imaging/Encoders.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <cmath>
#include <stdexcept>

#include "imaging/Backdrop.h"
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

QByteArray EncodeJpeg(const VImage& image, int quality) {
    return TakeBlob(ToThreeBands(image).jpegsave_buffer(
        VImage::option()
            ->set("Q", quality)
            ->set("strip", true)
            ->set("interlace", false)
            ->set("optimize_coding", false)
            ->set("subsample_mode", VIPS_FOREIGN_SUBSAMPLE_ON)));
}

QByteArray EncodePng(const VImage& image, int dpi) {
    // The resolution travels as the image's pixels per millimetre.
    const double perMillimetre = dpi / 25.4;
    return TakeBlob(
        image.copy(VImage::option()->set("xres", perMillimetre)->set("yres", perMillimetre))
            .pngsave_buffer(
                VImage::option()->set("strip", true)->set("bitdepth", 8)->set("compression", 6)));
}

QByteArray EncodeBmp24(const VImage& image, int dpi) {
    const VImage rgb = ToThreeBands(image);
    size_t size = 0;
    void* pixels = rgb.write_to_memory(&size);
    QImage picture(static_cast<uchar*>(pixels), rgb.width(), rgb.height(), rgb.width() * 3,
                   QImage::Format_RGB888, g_free, pixels);
    const int perMetre = int(std::lround(dpi / 0.0254));
    picture.setDotsPerMeterX(perMetre);
    picture.setDotsPerMeterY(perMetre);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "bmp");
    // The toolkit writes a picture of 32 bits a pixel without alpha as 24-bit rows.
    if (!writer.write(picture.convertToFormat(QImage::Format_RGB32))) {
        throw std::runtime_error("the bitmap could not be written: " +
                                 writer.errorString().toStdString());
    }
    return bytes;
}

QByteArray EncodeThumbnail(const VImage& image, int width, int height, const FrameFill& fill) {
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
        small = ResizeExact(image, w, h);
    }
    small = OnBackdrop(small.copy_memory(), width, height, fill);
    QByteArray jpeg = EncodeJpeg(small, imaging::kThumbnailQuality);
    // An Exif segment holds at most 64 KiB; a thumbnail that noisy is rare, so step down.
    for (int quality = imaging::kThumbnailQuality - 15; jpeg.size() > 48000 && quality > 20;
         quality -= 15) {
        jpeg = EncodeJpeg(small, quality);
    }
    return jpeg;
}
