#include "imaging/CLead.h"

#include <QFile>
#include <QImageReader>
#include <QSysInfo>
#include <cmath>
#include <cstring>

#include "imaging/BmpReader.h"
#include "imaging/Encoders.h"
#include "imaging/ExifBlock.h"
#include "imaging/ExifThumbnail.h"
#include "imaging/FileFormat.h"
#include "imaging/GifFrame.h"
#include "imaging/ImagingConstants.h"
#include "imaging/ImagingSetup.h"
#include "imaging/JpegDc.h"
#include "imaging/JpegTolerant.h"
#include "imaging/Lanczos.h"
#include "imaging/PngPasses.h"

using vips::VImage;
using vips::VOption;
using namespace imaging;

namespace {

// The library says "out of memory" in its error text when an allocation fails; nothing else
// tells that failure from a file it cannot read.
bool SaysOutOfMemory(const std::string& text) {
    return text.find("out of memory") != std::string::npos ||
           text.find("memory allocation failed") != std::string::npos;
}

// The last line of the library's error text that says something, without the name of the
// part that raised it ("VipsJpeg: ", "vips_region_prepare: "): the decoder's own words. The
// text is shared by every thread and collects messages until it is cleared, so the newest
// line is this failure's.
std::string ReasonOf(const std::string& text) {
    std::string reason;
    std::string fallback;
    size_t from = 0;
    while (from < text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        std::string line = text.substr(from, to - from);
        from = to + 1;
        const size_t colon = line.find(": ");
        const bool named = colon != std::string::npos && line.find(' ') >= colon &&
                           (line.compare(0, 4, "Vips") == 0 || line.compare(0, 4, "vips") == 0);
        if (named) line = line.substr(colon + 2);
        while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
        if (line.empty()) continue;
        // The library's own bookkeeping about a failed tile or read says less than the
        // decoder's message beside it.
        const bool bookkeeping = line.rfind("error in tile", 0) == 0 ||
                                 line.rfind("out of order read", 0) == 0 ||
                                 line.rfind("read gave", 0) == 0 || line == "stop";
        (bookkeeping ? fallback : reason) = line;
    }
    if (!reason.empty()) return reason;
    return fallback.empty() ? std::string("the image data cannot be decoded") : fallback;
}

// Runs one piece of libvips work and turns its failure into a LeadError of the kind given
// (or OutOfMemory when an allocation failed).
template <typename Work>
auto Guard(Work&& work, LeadError::Kind kind = LeadError::Kind::Failed) -> decltype(work()) {
    try {
        return work();
    } catch (const LeadError&) {
        throw;
    } catch (const vips::VError& error) {
        const std::string text = error.what();
        // The library collects its messages until they are cleared; clearing them here could
        // take another worker's failure text before it is read, so only a long text goes.
        if (std::strlen(vips_error_buffer()) > 4096) vips_error_clear();
        throw LeadError(ReasonOf(text),
                        SaysOutOfMemory(text) ? LeadError::Kind::OutOfMemory : kind);
    } catch (const std::bad_alloc&) {
        throw LeadError("out of memory", LeadError::Kind::OutOfMemory);
    } catch (const std::runtime_error& error) {
        throw LeadError(error.what(), kind);
    }
}

// The thumbnail stored in an Exif block fits one 64 KB segment: a header that claims more
// than this is damage, and decoding it would take memory for nothing.
constexpr int kMaxStoredThumbnailSide = 2048;

bool IsJpeg(int format) {
    return format == kFormatJpeg || format == kFormatJpegExif;
}

// Where a reader of ours notes on the image that the file is damaged, and why.
const char* const kDamageField = "vimbrelcastor-damage";

// The toolkit's picture, kept alive for as long as the library image that reads its rows.
void FreeHeldQImage(VipsImage*, void* image) {
    delete static_cast<QImage*>(image);
}

// A library image over the rows of a QImage, without copying them: bands bytes a pixel,
// rows bytesPerLine apart (the extra bytes of a row are cropped off).
VImage WrapQImage(QImage image, int bands) {
    const int width = image.width();
    const int height = image.height();
    const int rowPixels = int(image.bytesPerLine() / bands);
    auto* owned = new QImage(std::move(image));
    VipsImage* wrapped =
        vips_image_new_from_memory(owned->constBits(), size_t(owned->sizeInBytes()), rowPixels,
                                   height, bands, VIPS_FORMAT_UCHAR);
    if (!wrapped) {
        delete owned;
        throw LeadError("out of memory for a bitmap", LeadError::Kind::OutOfMemory);
    }
    g_signal_connect(wrapped, "postclose", G_CALLBACK(FreeHeldQImage), owned);
    VImage result(wrapped);
    return rowPixels == width ? result : result.crop(0, 0, width, height);
}

// Windows bitmaps are read by our own reader (imaging/BmpReader.cpp), row by row from the
// file; layouts it does not know go to the toolkit's reader, whose picture is used where it
// lies: a palette picture as one byte a pixel through its palette, a colour picture as the
// toolkit's four bytes a pixel.
VImage LoadBitmap(const QString& file) {
    QString damage;
    if (std::optional<VImage> read = ReadBitmap(file, &damage)) {
        if (damage.isEmpty()) return *read;
        VImage marked = read->copy();
        marked.set(kDamageField, damage.toUtf8().constData());
        return marked;
    }
    QImageReader reader(file, "bmp");
    QImage image = reader.read();
    if (image.isNull()) {
        throw LeadError("damaged bitmap: " + reader.errorString().toStdString(),
                        LeadError::Kind::Unreadable);
    }
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
        image = image.convertToFormat(QImage::Format_Indexed8);
    }
    if (image.format() == QImage::Format_Indexed8) {
        const QList<QRgb> table = image.colorTable();
        QByteArray lut(256 * 3, '\0');
        for (int i = 0; i < 256 && i < table.size(); ++i) {
            lut[3 * i] = char(qRed(table[i]));
            lut[3 * i + 1] = char(qGreen(table[i]));
            lut[3 * i + 2] = char(qBlue(table[i]));
        }
        VipsImage* copied = vips_image_new_from_memory_copy(lut.constData(), size_t(lut.size()),
                                                            256, 1, 3, VIPS_FORMAT_UCHAR);
        if (!copied) throw LeadError("out of memory for a bitmap", LeadError::Kind::OutOfMemory);
        const VImage palette(copied);
        return WrapQImage(std::move(image), 1)
            .maplut(palette)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    // Each pixel is one 32-bit word 0xAARRGGBB, stored as B, G, R, A on this byte order.
    const VImage bgra = WrapQImage(std::move(image), 4);
    const bool little = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    const VImage rgb = little ? VImage::bandjoin({bgra[2], bgra[1], bgra[0]})
                              : VImage::bandjoin({bgra[1], bgra[2], bgra[3]});
    return rgb.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

void* KnowsFile(void* loaderClass, void* file, void*) {
    const auto* load = static_cast<VipsForeignLoadClass*>(loaderClass);
    if ((VIPS_OPERATION_CLASS(loaderClass)->flags & VIPS_OPERATION_BLOCKED) != 0) return nullptr;
    return load->is_a && load->is_a(static_cast<const char*>(file)) ? loaderClass : nullptr;
}

// Whether a loader the imaging setup left usable recognises the file by its signature. Only
// the signature checks run, never a load; the library's own choice of loader would also ask
// the blocked loaders (SVG, ImageMagick, ...), and hand their code the file's bytes.
bool SomeLoaderKnows(const QString& file) {
    QByteArray name = QFile::encodeName(file);
    return vips_foreign_map("VipsForeignLoad", KnowsFile, name.data(), nullptr) != nullptr;
}

// Calls the loader of the format with the file name as it is: the generic loaders would
// read "[...]" in a user's file name as load options.
VImage LoadWith(const QString& file, int format, VOption* options, bool tolerant) {
    const QByteArray name = QFile::encodeName(file);
    if (format != kFormatBmp) {
        // Strict: the first warning of the decoder fails the read. Tolerant: the decoder goes
        // as far as it can and leaves the rest as it leaves it.
        options->set("fail_on", tolerant ? VIPS_FAIL_ON_NONE : VIPS_FAIL_ON_WARNING);
    }
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
        case kFormatHeif:
            return VImage::heifload(name.constData(), options);
        case kFormatBmp:
            delete options;
            return LoadBitmap(file);
        default:
            delete options;
            throw LeadError("unsupported image format", LeadError::Kind::Unreadable);
    }
}

SniffedFile Sniff(const QString& file) {
    SniffedFile sniffed;
    if (!SniffImageFile(file, &sniffed)) {
        throw LeadError("cannot read the file", LeadError::Kind::Unreadable);
    }
    if (!sniffed.problem.isEmpty()) {
        throw LeadError(sniffed.problem.toStdString(), LeadError::Kind::Unreadable);
    }
    return sniffed;
}

// The Exif orientation still to apply to the loaded picture. A HEIF or AVIF file turns and
// mirrors its picture by its own transforms, which the decoder has applied already; an Exif
// orientation it may carry as well only describes the same turn, and applying it too would
// turn the picture twice.
int OrientationOf(const VImage& image, int format) {
    if (format == kFormatHeif) return 1;
    return image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 1;
}

// 8 bits per sample, alpha composed on black, one band (grey) or three (sRGB).
VImage Normalise(VImage image, bool grey) {
    if (image.interpretation() == VIPS_INTERPRETATION_CMYK) {
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    } else if (image.get_typeof(VIPS_META_ICC_NAME) != 0) {
        // Grey pictures with a grey profile go through it too, to sRGB and back to one band.
        const bool greyBands = image.bands() <= 2;
        try {
            image = image.icc_transform("srgb", VImage::option()->set("embedded", true));
            if (greyBands) {
                const bool alpha = image.bands() == 4;
                VImage luminance = image.extract_band(0, VImage::option()->set("n", 3))
                                       .colourspace(VIPS_INTERPRETATION_B_W);
                image = alpha ? luminance.bandjoin(image.extract_band(3)) : luminance;
            }
        } catch (const vips::VError&) {
            // A damaged profile, or one for another colour space: keep the pixels as they are.
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
    if (sniffed.format == kFormatSvg || sniffed.format == kFormatPdf) {
        // A document renamed as an image: refused by its signature alone, no parser reads it.
        infoFormat_ = sniffed.format;
        return;
    }
    if (!IsSupportedFormat(sniffed.format)) {
        // Readable by one of the library's loaders, but not ours, or not an image at all.
        if (!SomeLoaderKnows(file)) {
            vips_error_clear();
            throw LeadError("not an image file", LeadError::Kind::Unreadable);
        }
        return;
    }
    Guard(
        [&] {
            int width = sniffed.width;
            int height = sniffed.height;
            int bits = sniffed.oneBit ? 1 : 24;
            int orientation = 1;
            if (sniffed.format != kFormatBmp) {
                // The examination reads the header only; damage in the pixels is the
                // conversion's to find and tell.
                const VImage header = LoadWith(file, sniffed.format, VImage::option(), true);
                width = header.width();
                height = header.height();
                orientation = OrientationOf(header, sniffed.format);
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
        },
        LeadError::Kind::Unreadable);
}

LeadImage CLead::OpenFile(const QString& file, int format, bool oneBit, int bits, bool tolerant,
                          const QString& damage, bool interlaced) {
    LeadImage loaded;
    if (!damage.isEmpty()) {
        tolerant = true;
        loaded.damage_ = damage;
    }
    VImage image;
    try {
        image = Guard([&] { return LoadWith(file, format, VImage::option(), tolerant); },
                      LeadError::Kind::Unreadable);
    } catch (const LeadError& strict) {
        if (tolerant || strict.kind() != LeadError::Kind::Unreadable) throw;
        image = Guard([&] { return LoadWith(file, format, VImage::option(), true); },
                      LeadError::Kind::Unreadable);
        tolerant = true;
        loaded.damage_ = QString::fromStdString(strict.what());
    }
    loaded.interlaced_ = interlaced;
    if (loaded.damage_.isEmpty() && image.get_typeof(kDamageField) != 0) {
        loaded.damage_ = QString::fromUtf8(image.get_string(kDamageField));
    }
    return Guard(
        [&] {
            loaded.file_ = file;
            loaded.fileFormat_ = format;
            loaded.storedWidth_ = image.width();
            loaded.storedHeight_ = image.height();
            loaded.orientation_ = OrientationOf(image, format);
            loaded.loadBits_ = bits;
            loaded.tolerant_ = tolerant;
            if (loaded.orientation_ != 1) image = image.autorot();
            image = Normalise(image, oneBit);
            if (bits == 24) image = ToThreeBands(image);
            loaded.image_ = image;
            loaded.oneBit_ = oneBit && bits != 24;
            return loaded;
        },
        LeadError::Kind::Unreadable);
}

void CLead::LoadImage(const QString& file, int bits, int /*page*/, int /*pages*/) {
    const SniffedFile sniffed = Sniff(file);
    if (!IsSupportedFormat(sniffed.format)) {
        throw LeadError("unsupported image format", LeadError::Kind::Unreadable);
    }
    held_ = OpenFile(file, sniffed.format, sniffed.oneBit, bits, false, sniffed.damage,
                     sniffed.interlaced);
}

bool CLead::LoadExifThumbnail(const QString& file) {
    const std::optional<ExifThumbnail> stored = ReadExifThumbnail(file);
    if (!stored) return false;
    held_ = Guard(
        [&] {
            // The blob holds its own copy of the bytes for as long as the loader reads them.
            VipsBlob* blob = vips_blob_copy(stored->jpeg.constData(), size_t(stored->jpeg.size()));
            VImage image;
            try {
                image = VImage::jpegload_buffer(
                    blob, VImage::option()->set("fail_on", VIPS_FAIL_ON_WARNING));
            } catch (...) {
                vips_area_unref(VIPS_AREA(blob));
                throw;
            }
            vips_area_unref(VIPS_AREA(blob));
            if (image.width() > kMaxStoredThumbnailSide ||
                image.height() > kMaxStoredThumbnailSide) {
                throw LeadError("the stored thumbnail claims an impossible size",
                                LeadError::Kind::Unreadable);
            }
            image = Normalise(image, false);
            if (stored->orientation != 1) {
                image = image.copy();
                image.set(VIPS_META_ORIENTATION, stored->orientation);
                image = image.autorot();
            }
            // Decoded now and strictly: a thumbnail with any damage in it is not used.
            LeadImage loaded;
            loaded.image_ = image.copy_memory();
            return loaded;
        },
        LeadError::Kind::Unreadable);
    return true;
}

template <typename Compute>
auto CLead::Decoding(Compute&& compute) -> decltype(compute()) {
    if (held_.file_.isEmpty()) return Guard(compute);
    if (held_.tolerant_) return Guard(compute, LeadError::Kind::Unreadable);
    try {
        return Guard(compute, LeadError::Kind::Unreadable);
    } catch (const LeadError& strict) {
        if (strict.kind() != LeadError::Kind::Unreadable) throw;
        // Read again accepting the decoder's warnings; the picture keeps the kind it was
        // given since it was loaded (a grey conversion, a bilevel flag).
        LeadImage reopened = OpenFile(held_.file_, held_.fileFormat_, false, held_.loadBits_, true,
                                      QString(), held_.interlaced_);
        if (held_.image_.bands() == 1 && reopened.image_.bands() == 3) {
            reopened.image_ = reopened.image_.colourspace(VIPS_INTERPRETATION_B_W);
        }
        reopened.oneBit_ = held_.oneBit_;
        if (reopened.damage_.isEmpty()) reopened.damage_ = QString::fromStdString(strict.what());
        held_ = reopened;
        return Guard(compute, LeadError::Kind::Unreadable);
    }
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
        const VImage& image = held_.image_;
        const bool shrinking = targetWidth < image.width() || targetHeight < image.height();
        // A damaged JPEG or interlaced PNG is read by the file path whatever the size: our
        // readers go on where the library's stop (libjpeg past a hundred warnings, the
        // passes of a PNG cut short).
        const bool jpegRescue = IsJpeg(held_.fileFormat_) && held_.tolerant_;
        const bool rescue =
            jpegRescue || (held_.fileFormat_ == kFormatPng && held_.interlaced_ && held_.tolerant_);
        // A bitmap's rows are read from the file as the resampler asks for them: reading it
        // again gains nothing.
        if (held_.file_.isEmpty() || (!shrinking && !rescue) || held_.fileFormat_ == kFormatBmp) {
            return ResizeExact(image, targetWidth, targetHeight, kernel).copy_memory();
        }
        // Decode straight from the file, top to bottom, at a reduced size where the decoder
        // can: a JPEG scaled by 1/2, 1/4 or 1/8 in the decoder costs a fraction of a full
        // decode. The picture is resized as it is stored and turned upright once small.
        const bool swap = SwapsSides(held_.orientation_);
        const int storedTargetWidth = swap ? targetHeight : targetWidth;
        const int storedTargetHeight = swap ? targetWidth : targetHeight;
        VOption* options = VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL);
        int decoderShrink = 1;
        if (IsJpeg(held_.fileFormat_)) {
            // The factor keeps the decoded picture at least as large as the target.
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
            decoderShrink = shrink;
        }
        if (held_.fileFormat_ == kFormatWebp) {
            // The decoder scales while it decodes, averaging: a little larger than the target.
            const double scale = std::max(double(storedTargetWidth) / held_.storedWidth_,
                                          double(storedTargetHeight) / held_.storedHeight_);
            if (scale < 0.5) options->set("scale", std::min(1.0, scale * 1.02));
        }
        VImage loaded;
        // A progressive JPEG scaled by 1/8 needs only the first coefficient of each block:
        // read from its first scans, where libjpeg would keep every coefficient of the file.
        std::optional<VImage> dcOnly;
        if (IsJpeg(held_.fileFormat_) && held_.interlaced_ && decoderShrink == 8) {
            QString damage;
            try {
                dcOnly = DecodeProgressiveDc(held_.file_, held_.tolerant_, &damage);
            } catch (...) {
                delete options;
                throw;
            }
            if (dcOnly && held_.damage_.isEmpty()) held_.damage_ = damage;
        }
        if (dcOnly) {
            delete options;
            loaded = *dcOnly;
        } else if (jpegRescue) {
            delete options;  // before anything can throw
            QString damage;
            loaded = DecodeJpegTolerantly(held_.file_, decoderShrink, &damage);
            if (held_.damage_.isEmpty()) held_.damage_ = damage;
        } else if (held_.fileFormat_ == kFormatPng && held_.interlaced_) {
            delete options;
            QString damage;
            loaded = DecodeInterlacedPng(held_.file_, storedTargetWidth, storedTargetHeight,
                                         held_.tolerant_, &damage);
            if (held_.damage_.isEmpty()) held_.damage_ = damage;
        } else if (held_.fileFormat_ == kFormatGif) {
            // One byte a pixel through the colour table, where the library's reader takes four.
            delete options;
            QString damage;
            loaded = DecodeGifFrame(held_.file_, held_.tolerant_, &damage);
            if (held_.damage_.isEmpty()) held_.damage_ = damage;
        } else {
            loaded = LoadWith(held_.file_, held_.fileFormat_, options, held_.tolerant_);
        }
        // The picture keeps the kind it was loaded as (a grey file loaded as colour stays
        // colour).
        loaded = Normalise(loaded, image.bands() == 1);
        if (image.bands() == 3) loaded = ToThreeBands(loaded);
        // Computed now, once: a file read in sequence cannot be read a second time by a
        // later encode, and the result is small.
        VImage small =
            ResizeExact(loaded, storedTargetWidth, storedTargetHeight, kernel).copy_memory();
        if (held_.orientation_ != 1) {
            small = small.copy();
            small.set(VIPS_META_ORIENTATION, held_.orientation_);
            small = small.autorot().copy_memory();
        }
        return small;
    });
    held_.file_.clear();
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
        held_.file_.clear();
        // The composition is as damaged as what went into it.
        if (held_.damage_.isEmpty()) held_.damage_ = source.damage_;
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
    Held();
    return Decoding([&] {
        const VImage& held = held_.image_;
        const bool thumbnail = thumbnailWidth > 0 && thumbnailHeight > 0;
        switch (format) {
            case kFormatJpeg:
            case kFormatJpegExif: {
                // The picture is computed once, then encoded as the image and as its thumbnail.
                const VImage pixels = thumbnail ? held.copy_memory() : held;
                const QByteArray jpeg = EncodeJpeg(pixels, JpegQuality(quality), resolutionX_);
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
                    thumbnail ? EncodeThumbnail(pixels, thumbnailWidth, thumbnailHeight)
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
                                                 float thumbnailWidth, float thumbnailHeight) {
    return Encode(format, bits, quality, RoundToPixels(thumbnailWidth),
                  RoundToPixels(thumbnailHeight));
}

QImage CLead::ToQImage() {
    Held();
    return Decoding([&] {
        const VImage& held = held_.image_;
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
