#include "imaging/CLead.h"

#include <QFile>
#include <cmath>
#include <memory>

#include "imaging/Backdrop.h"
#include "imaging/Encoders.h"
#include "imaging/ExifBlock.h"
#include "imaging/ExifThumbnail.h"
#include "imaging/ImagingConstants.h"
#include "imaging/ImagingSetup.h"
#include "imaging/Lanczos.h"
#include "imaging/ReducedDecode.h"

using vips::VImage;
using namespace imaging;

namespace {

// The thumbnail stored in an Exif block fits one 64 KB segment: a header that claims more
// than this is damage, and decoding it would take memory for nothing.
constexpr int kMaxStoredThumbnailSide = 2048;

struct BlobUnref {
    void operator()(VipsBlob* blob) const { vips_area_unref(VIPS_AREA(blob)); }
};

// A JPEG held in memory decoded strictly and at once, while the bytes are still there.
VImage DecodeJpegBytes(const QByteArray& jpeg) {
    const std::unique_ptr<VipsBlob, BlobUnref> blob(
        vips_blob_new(nullptr, jpeg.constData(), size_t(jpeg.size())));
    const VImage image =
        VImage::jpegload_buffer(blob.get(), VImage::option()->set("fail_on", VIPS_FAIL_ON_WARNING));
    if (image.width() > kMaxStoredThumbnailSide || image.height() > kMaxStoredThumbnailSide) {
        throw LeadError("the stored thumbnail claims an impossible size",
                        LeadError::Kind::Unreadable);
    }
    return Normalise(image, false).copy_memory();
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
    const FileInfo info = ExamineFile(file);
    infoWidth_ = info.width;
    infoHeight_ = info.height;
    infoBits_ = info.bits;
    infoFormat_ = info.format;
    infoOrientation_ = info.orientation;
}

void CLead::LoadImage(const QString& file, int bits, int /*page*/, int /*pages*/) {
    OpenedFile opened = OpenFile(file, bits);
    held_ = LeadImage();
    held_.image_ = opened.image;
    held_.oneBit_ = opened.oneBit;
    held_.damage_ = opened.damage;
    held_.source_ = std::move(opened.source);
}

bool CLead::LoadExifThumbnail(const QString& file) {
    const std::optional<ExifThumbnail> stored = ReadExifThumbnail(file);
    if (!stored) return false;
    // Decoded now and strictly: a thumbnail with any damage in it is not used.
    const VImage image =
        Guard([&] { return DecodeJpegBytes(stored->jpeg); }, LeadError::Kind::Unreadable);
    held_ = LeadImage();
    held_.image_ = Guard([&] { return Upright(image, stored->orientation).copy_memory(); });
    return true;
}

template <typename Compute>
auto CLead::Decoding(Compute&& compute) -> decltype(compute()) {
    if (!held_.source_) return Guard(compute);
    const CoefficientTicket ticket(held_.source_->sniffed.coefficientBytes);
    if (held_.source_->tolerant) return Guard(compute, LeadError::Kind::Unreadable);
    try {
        return Guard(compute, LeadError::Kind::Unreadable);
    } catch (const LeadError& strict) {
        if (strict.kind() != LeadError::Kind::Unreadable) throw;
        // Read again accepting the decoder's warnings; the picture keeps the kind it was given
        // since it was loaded (a grey conversion, a bilevel flag). Its damage is the strict
        // decoder's reason until a reader of ours has judged the file.
        held_.source_->tolerant = true;
        held_.source_->strictFailure = QString::fromStdString(strict.what());
        held_.damage_ = held_.source_->strictFailure;
        return Guard(compute, LeadError::Kind::Unreadable);
    }
}

VImage CLead::Pixels() {
    if (!held_.source_ || !held_.source_->tolerant) return held_.image_;
    const DecodedFile decoded = DecodeAgain(*held_.source_, 0, 0, held_.image_.bands(), false);
    held_.damage_ = decoded.damage;
    return Upright(decoded.image, held_.source_->orientation);
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
        held_.source_.reset();
        held_.damage_.clear();
        held_.oneBit_ = false;
    });
}

void CLead::CoverImage(const LeadImage& source) {
    const VImage& target = Held();
    if (source.isNull()) throw LeadError("no source image");
    Guard([&] {
        VImage cover = BlurredCover(source.image_, target.width(), target.height());
        if (target.bands() == 3 && cover.bands() == 1) cover = ToThreeBands(cover);
        if (target.bands() == 1 && cover.bands() == 3) {
            cover = cover.colourspace(VIPS_INTERPRETATION_B_W);
        }
        held_.image_ = cover;
        held_.source_.reset();
        held_.damage_.clear();
        held_.oneBit_ = false;
    });
}

void CLead::ResizeImage(float width, float height, int flags) {
    Held();
    const int targetWidth = RoundToPixels(width);
    const int targetHeight = RoundToPixels(height);
    const VipsKernel kernel = flags == kResizeQuality ? VIPS_KERNEL_LANCZOS3 : VIPS_KERNEL_LINEAR;
    held_.image_ = Decoding([&] {
        if (!held_.source_ ||
            !DecodesAgain(*held_.source_, held_.image_, targetWidth, targetHeight)) {
            return ResizeExact(held_.image_, targetWidth, targetHeight, kernel).copy_memory();
        }
        const DecodedFile fitted =
            FitFromFile(*held_.source_, held_.image_.bands(), targetWidth, targetHeight, kernel);
        held_.damage_ = fitted.damage;
        return fitted.image;
    });
    held_.source_.reset();
    held_.oneBit_ = false;  // resampled edges are grey
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
        held_.source_.reset();
        // The composition is as damaged as what went into it.
        if (held_.damage_.isEmpty()) held_.damage_ = source.damage_;
    });
}

void CLead::TurnImage(int quarterTurns) {
    const VImage& image = Held();
    const int turns = (quarterTurns % 4 + 4) % 4;
    if (turns == 0) return;
    static constexpr VipsAngle kAngles[] = {VIPS_ANGLE_D0, VIPS_ANGLE_D90, VIPS_ANGLE_D180,
                                            VIPS_ANGLE_D270};
    Guard([&] {
        held_.image_ = image.rot(kAngles[turns]);
        // A decode again from the file (smaller, or past its warnings) turns it the same way.
        if (held_.source_) {
            held_.source_->orientation = TurnedOrientation(held_.source_->orientation, turns);
        }
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
        held_.source_.reset();
    });
}

void CLead::SetComment(int slot, const QString& text) {
    if (slot < 0 || slot >= kCommentSlotCount) throw LeadError("no such metadata slot");
    comments_[slot] = text;
}

QString CLead::Comment(int slot) const {
    return slot >= 0 && slot < kCommentSlotCount ? comments_[slot] : QString();
}

QByteArray CLead::Encode(int format, int bits, int quality, int thumbnailWidth, int thumbnailHeight,
                         const FrameFill& fill) {
    Held();
    return Decoding([&] {
        const VImage held = Pixels();
        const bool thumbnail = thumbnailWidth > 0 && thumbnailHeight > 0;
        switch (format) {
            case kFormatJpeg:
            case kFormatJpegExif: {
                // The picture is computed once, then encoded as the image and as its thumbnail.
                const VImage pixels = thumbnail ? held.copy_memory() : held;
                const QByteArray jpeg = EncodeJpeg(pixels, JpegQuality(quality));
                // Without an Exif block the JFIF segment carries the resolution.
                if (format == kFormatJpeg && !thumbnail) return WithJfifSegment(jpeg, resolutionX_);
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
                    thumbnail ? EncodeThumbnail(pixels, thumbnailWidth, thumbnailHeight, fill)
                              : QByteArray();
                return SpliceExif(jpeg, BuildExifPayload(fields, thumb));
            }
            case kFormatPng:
                return EncodePng(bits == 24 ? ToThreeBands(held) : held, resolutionX_);
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
                                                 float thumbnailWidth, float thumbnailHeight,
                                                 const FrameFill& fill) {
    return Encode(format, bits, quality, RoundToPixels(thumbnailWidth),
                  RoundToPixels(thumbnailHeight), fill);
}

QImage CLead::ToQImage() {
    Held();
    return Decoding([&] {
        const VImage held = Pixels();
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
