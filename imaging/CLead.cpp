#include "imaging/CLead.h"

#include <QFile>
#include <QImageReader>
#include <cmath>
#include <cstring>

#include "imaging/Encoders.h"
#include "imaging/ExifBlock.h"
#include "imaging/FileFormat.h"
#include "imaging/ImagingConstants.h"
#include "imaging/ImagingSetup.h"
#include "imaging/Lanczos.h"

using vips::VImage;
using vips::VOption;
using namespace imaging;

namespace {

// Runs one piece of libvips work and turns its failure into a LeadError.
template <typename Work>
auto Guard(Work&& work) -> decltype(work()) {
    try {
        return work();
    } catch (const vips::VError& error) {
        throw LeadError(error.what());
    } catch (const std::runtime_error& error) {
        if (dynamic_cast<const LeadError*>(&error)) throw;
        throw LeadError(error.what());
    } catch (const std::bad_alloc&) {
        throw LeadError("out of memory");
    }
}

bool IsJpeg(int format) {
    return format == kFormatJpeg || format == kFormatJpegExif;
}

// Windows bitmaps are decoded by the toolkit's reader: every depth and run-length coding,
// and a header that tells the size without decoding the pixels (the library's generic
// reader would decode them once for the header and once more for the pixels).
VImage LoadBitmap(const QString& file) {
    QImageReader reader(file, "bmp");
    QImage image = reader.read();
    if (image.isNull()) {
        throw LeadError("damaged bitmap: " + reader.errorString().toStdString());
    }
    image = image.convertToFormat(QImage::Format_RGB888);
    const int rowBytes = image.width() * 3;
    QByteArray pixels(qsizetype(rowBytes) * image.height(), Qt::Uninitialized);
    for (int y = 0; y < image.height(); ++y) {
        std::memcpy(pixels.data() + qsizetype(y) * rowBytes, image.constScanLine(y), rowBytes);
    }
    // The library keeps its own copy: the buffer goes when this function returns.
    VipsImage* copied =
        vips_image_new_from_memory_copy(pixels.constData(), size_t(pixels.size()), image.width(),
                                        image.height(), 3, VIPS_FORMAT_UCHAR);
    if (!copied) throw LeadError("out of memory for a bitmap");
    return VImage(copied).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// Calls the loader of the format with the file name as it is: the generic loaders would
// read "[...]" in a user's file name as load options.
VImage LoadWith(const QString& file, int format, VOption* options) {
    const QByteArray name = QFile::encodeName(file);
    switch (format) {
        case kFormatJpeg:
        case kFormatJpegExif:
            return VImage::jpegload(name.constData(), options);
        case kFormatPng:
            return VImage::pngload(name.constData(), options);
        case kFormatTiff:
            return VImage::tiffload(name.constData(), options);
        case kFormatGif:
            return VImage::gifload(name.constData(), options);
        case kFormatWebp:
            return VImage::webpload(name.constData(), options);
        case kFormatBmp:
            delete options;
            return LoadBitmap(file);
        default:
            delete options;
            throw LeadError("unsupported image format");
    }
}

SniffedFile Sniff(const QString& file) {
    SniffedFile sniffed;
    if (!SniffImageFile(file, &sniffed)) throw LeadError("cannot read the file");
    return sniffed;
}

int OrientationOf(const VImage& image) {
    return image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 1;
}

// 8 bits per sample, alpha composed on black, one band (grey) or three (sRGB).
VImage Normalise(VImage image, bool grey) {
    if (image.interpretation() == VIPS_INTERPRETATION_CMYK) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    } else if (image.bands() >= 3 && image.get_typeof(VIPS_META_ICC_NAME) != 0) {
        try {
            image = image.icc_transform("srgb", VImage::option()->set("embedded", true));
        } catch (const vips::VError&) {
            // A damaged profile: keep the pixels as they are.
        }
    }
    if (image.format() != VIPS_FORMAT_UCHAR) {
        const auto interpretation = image.interpretation();
        if (interpretation == VIPS_INTERPRETATION_RGB16) {
            image = image.colourspace(VIPS_INTERPRETATION_sRGB);
        } else if (interpretation == VIPS_INTERPRETATION_GREY16) {
            image = image.colourspace(VIPS_INTERPRETATION_B_W);
        } else {
            image = image.cast(VIPS_FORMAT_UCHAR);
        }
    }
    if (image.has_alpha()) image = image.flatten();  // on black
    if (image.bands() == 2) image = image.extract_band(0);
    if (image.bands() > 3) image = image.extract_band(0, VImage::option()->set("n", 3));
    if (grey && image.bands() == 3) image = image.colourspace(VIPS_INTERPRETATION_B_W);
    return image.copy(VImage::option()->set(
        "interpretation", image.bands() == 1 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
}

// Writes the bytes; a failure removes what was written.
void WriteWhole(const QString& file, const QByteArray& bytes) {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        const QString why = out.errorString();
        out.close();
        out.remove();
        throw LeadError("cannot write " + file.toStdString() + ": " + why.toStdString());
    }
}

int RoundToPixels(float value) {
    return std::max(1, int(std::lround(value)));
}

}  // namespace

CLead::CLead() : comments_(kCommentSlotCount) {
    StartImaging();
}

const VImage& CLead::Held() const {
    if (held_.isNull()) throw LeadError("no image");
    return held_.image_;
}

void CLead::ReadFileInfo(const QString& file, int /*page*/, int /*flags*/) {
    infoWidth_ = infoHeight_ = infoBits_ = 0;
    infoFormat_ = kFormatUnknown;
    infoOrientation_ = 1;
    const SniffedFile sniffed = Sniff(file);
    if (!IsSupportedFormat(sniffed.format)) {
        // Readable by the library (PDF, SVG, ...) but not ours, or not an image at all.
        if (vips_foreign_find_load(QFile::encodeName(file).constData()) == nullptr) {
            vips_error_clear();
            throw LeadError("not an image file");
        }
        return;
    }
    Guard([&] {
        int width = sniffed.width;
        int height = sniffed.height;
        int bits = sniffed.oneBit ? 1 : 24;
        int orientation = 1;
        if (sniffed.format != kFormatBmp) {
            const VImage header = LoadWith(file, sniffed.format, VImage::option());
            width = header.width();
            height = header.height();
            orientation = OrientationOf(header);
            if (!sniffed.oneBit) {
                const int sampleBits = header.format() == VIPS_FORMAT_USHORT ? 16 : 8;
                bits = header.bands() * sampleBits;
            }
        }
        infoWidth_ = width;
        infoHeight_ = height;
        infoBits_ = bits;
        infoFormat_ = sniffed.format;
        infoOrientation_ = orientation;
    });
}

void CLead::LoadImage(const QString& file, int bits, int /*page*/, int /*pages*/) {
    const SniffedFile sniffed = Sniff(file);
    if (!IsSupportedFormat(sniffed.format)) throw LeadError("unsupported image format");
    held_ = Guard([&] {
        LeadImage loaded;
        VImage image = LoadWith(file, sniffed.format, VImage::option());
        loaded.file_ = file;
        loaded.fileFormat_ = sniffed.format;
        loaded.storedWidth_ = image.width();
        loaded.storedHeight_ = image.height();
        loaded.orientation_ = OrientationOf(image);
        if (loaded.orientation_ != 1) image = image.autorot();
        image = Normalise(image, sniffed.oneBit);
        if (bits == 24) image = ToThreeBands(image);
        loaded.image_ = image;
        loaded.oneBit_ = sniffed.oneBit && bits != 24;
        return loaded;
    });
}

float CLead::ImageWidth() const {
    return float(Held().width());
}

float CLead::ImageHeight() const {
    return float(Held().height());
}

int CLead::ImageBits() const {
    if (held_.oneBit_) return 1;
    return Held().bands() * 8;
}

void CLead::CreateImage(float width, float height, int bits) {
    held_ = Guard([&] {
        LeadImage created;
        const int bands = bits > 8 ? 3 : 1;
        created.image_ = VImage::black(RoundToPixels(width), RoundToPixels(height),
                                       VImage::option()->set("bands", bands))
                             .cast(VIPS_FORMAT_UCHAR)
                             .copy(VImage::option()->set(
                                 "interpretation",
                                 bands == 1 ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB));
        return created;
    });
}

void CLead::FillImage(quint32 colour) {
    const VImage& image = Held();
    Guard([&] {
        const double red = colour & 0xFF;
        const double green = (colour >> 8) & 0xFF;
        const double blue = (colour >> 16) & 0xFF;
        VImage filled = image.bands() == 3 ? image.new_from_image({red, green, blue})
                                           : image.new_from_image((red + green + blue) / 3);
        held_.image_ = filled.copy(VImage::option()->set("interpretation", image.interpretation()));
        held_.file_.clear();
        held_.oneBit_ = false;
    });
}

void CLead::ResizeImage(float width, float height, int flags) {
    const VImage& image = Held();
    const int targetWidth = RoundToPixels(width);
    const int targetHeight = RoundToPixels(height);
    const VipsKernel kernel = flags == kResizeQuality ? VIPS_KERNEL_LANCZOS3 : VIPS_KERNEL_LINEAR;
    Guard([&] {
        const bool shrinking = targetWidth < image.width() || targetHeight < image.height();
        // A bitmap was decoded whole when it was loaded: reading it again gains nothing.
        if (held_.file_.isEmpty() || !shrinking || held_.fileFormat_ == kFormatBmp) {
            held_.image_ = ResizeExact(image, targetWidth, targetHeight, kernel);
        } else {
            // Decode straight from the file at a reduced size: a JPEG scaled by 1/2, 1/4 or
            // 1/8 in the decoder costs a fraction of a full decode. The factor keeps the
            // decoded picture at least as large as the target.
            const bool swap = SwapsSides(held_.orientation_);
            const int storedTargetWidth = swap ? targetHeight : targetWidth;
            const int storedTargetHeight = swap ? targetWidth : targetHeight;
            VOption* options = VImage::option()->set(
                "access", held_.orientation_ == 1 ? VIPS_ACCESS_SEQUENTIAL : VIPS_ACCESS_RANDOM);
            if (IsJpeg(held_.fileFormat_)) {
                int shrink = 1;
                for (int factor : {8, 4, 2}) {
                    const int w = (held_.storedWidth_ + factor - 1) / factor;
                    const int h = (held_.storedHeight_ + factor - 1) / factor;
                    if (w >= storedTargetWidth && h >= storedTargetHeight) {
                        shrink = factor;
                        break;
                    }
                }
                options->set("shrink", shrink);
            }
            VImage loaded = LoadWith(held_.file_, held_.fileFormat_, options);
            if (held_.orientation_ != 1) loaded = loaded.autorot();
            // The picture keeps the kind it was loaded as (a grey file loaded as colour
            // stays colour).
            loaded = Normalise(loaded, image.bands() == 1);
            if (image.bands() == 3) loaded = ToThreeBands(loaded);
            // Computed now, once: a file read in sequence cannot be read a second time by a
            // later encode, and the result is small.
            held_.image_ = ResizeExact(loaded, targetWidth, targetHeight, kernel).copy_memory();
        }
        held_.file_.clear();
        held_.oneBit_ = false;  // resampled edges are grey
    });
}

void CLead::CombineImage(float x, float y, float width, float height, const LeadImage& source,
                         float sourceX, float sourceY, int /*flags*/) {
    const VImage& target = Held();
    if (source.isNull()) throw LeadError("no source image");
    Guard([&] {
        VImage piece = source.image_;
        const int left = int(std::lround(sourceX));
        const int top = int(std::lround(sourceY));
        const int w = std::min(RoundToPixels(width), piece.width() - left);
        const int h = std::min(RoundToPixels(height), piece.height() - top);
        if (left != 0 || top != 0 || w != piece.width() || h != piece.height()) {
            piece = piece.crop(left, top, w, h);
        }
        if (target.bands() == 3 && piece.bands() == 1) piece = ToThreeBands(piece);
        if (target.bands() == 1 && piece.bands() == 3) {
            piece = piece.colourspace(VIPS_INTERPRETATION_B_W);
        }
        held_.image_ = target.insert(piece, int(std::lround(x)), int(std::lround(y)));
        held_.file_.clear();
    });
}

void CLead::ConvertToGray(int /*bits*/) {
    const VImage& image = Held();
    Guard([&] {
        if (image.bands() == 3) {
            held_.image_ = image.colourspace(VIPS_INTERPRETATION_B_W);
        }
        held_.oneBit_ = false;
    });
}

void CLead::ReduceColours(int bits, int /*paletteMode*/, int /*ditherMode*/, int /*option*/) {
    if (bits != 1) throw LeadError("only a reduction to one bit is supported");
    const VImage& image = Held();
    Guard([&] {
        VImage grey = image.bands() == 3 ? image.colourspace(VIPS_INTERPRETATION_B_W) : image;
        held_.image_ =
            (grey >= 128).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_B_W));
        held_.oneBit_ = true;
        held_.file_.clear();
    });
}

void CLead::SetComment(int slot, const QString& text) {
    if (slot < 0 || slot >= kCommentSlotCount) throw LeadError("no such metadata slot");
    comments_[slot] = text;
}

QString CLead::Comment(int slot) const {
    return slot >= 0 && slot < kCommentSlotCount ? comments_[slot] : QString();
}

QByteArray CLead::Encode(int format, int bits, int quality, int thumbnailWidth,
                         int thumbnailHeight) {
    const VImage& held = Held();
    return Guard([&] {
        const bool thumbnail = thumbnailWidth > 0 && thumbnailHeight > 0;
        switch (format) {
            case kFormatJpeg:
            case kFormatJpegExif: {
                // The picture is computed once, then encoded as the image and as its thumbnail.
                const VImage pixels = thumbnail ? held.copy_memory() : held;
                const QByteArray jpeg = EncodeJpeg(pixels, JpegQuality(quality));
                if (format == kFormatJpeg && !thumbnail) return StripApplicationSegments(jpeg);
                ExifFields fields;
                if (format == kFormatJpegExif) {
                    fields.make = comments_[kSlotMake];
                    fields.model = comments_[kSlotModel];
                    fields.dateTime = comments_[kSlotDateTime];
                    fields.dateTimeDigitized = comments_[kSlotDateTimeDigitized];
                    fields.flashpixVersion = comments_[kSlotFlashpixVersion];
                    fields.interopIndex = comments_[kSlotInteropIndex];
                    fields.interopVersion = comments_[kSlotInteropVersion];
                }
                fields.pixelWidth = pixels.width();
                fields.pixelHeight = pixels.height();
                fields.dpi = resolutionX_;
                const QByteArray thumb =
                    thumbnail ? EncodeThumbnail(pixels, thumbnailWidth, thumbnailHeight)
                              : QByteArray();
                return SpliceExif(jpeg, BuildExifPayload(fields, thumb));
            }
            case kFormatPng:
                return EncodePng(bits == 24 ? ToThreeBands(held) : held);
            case kFormatBmp:
                return EncodeBmp24(held, resolutionX_);
            default:
                throw LeadError("unsupported output format");
        }
    });
}

void CLead::SaveImage(const QString& file, int format, int bits, int quality, int /*option*/) {
    const QByteArray bytes = Encode(format, bits, quality, 0, 0);
    WriteWhole(file, bytes);
}

QByteArray CLead::SaveImageToMemory(int format, int bits, int quality) {
    return Encode(format, bits, quality, 0, 0);
}

QByteArray CLead::SaveImageWithThumbnailToMemory(int format, int bits, int quality,
                                                 float thumbnailWidth, float thumbnailHeight) {
    return Encode(format, bits, quality, RoundToPixels(thumbnailWidth),
                  RoundToPixels(thumbnailHeight));
}

QImage CLead::ToQImage() const {
    const VImage& held = Held();
    return Guard([&] {
        const VImage pixels = held.bands() == 1 ? held : ToThreeBands(held);
        size_t size = 0;
        void* data = pixels.write_to_memory(&size);
        const QImage::Format format =
            pixels.bands() == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888;
        QImage image(static_cast<const uchar*>(data), pixels.width(), pixels.height(),
                     pixels.width() * pixels.bands(), format);
        QImage copy = image.copy();
        g_free(data);
        return copy;
    });
}
