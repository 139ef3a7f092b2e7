#include "imaging/ImageFile.h"

#include <QFile>

#include "imaging/Encoders.h"
#include "imaging/ImagingConstants.h"
#include "imaging/LeadError.h"
#include "imaging/readers/Reader.h"

using vips::VImage;
using namespace imaging;

namespace {

void* KnowsFile(void* loaderClass, void* file, void*) {
    const auto* load = static_cast<VipsForeignLoadClass*>(loaderClass);
    if ((VIPS_OPERATION_CLASS(loaderClass)->flags & VIPS_OPERATION_BLOCKED) != 0) return nullptr;
    return load->is_a && load->is_a(static_cast<const char*>(file)) ? loaderClass : nullptr;
}

// Whether a loader the imaging setup left usable recognises the file by its signature. Only
// the signature checks run, never a load; the library's own choice of loader would also ask
// the blocked loaders, and hand their code the file's bytes.
bool SomeLoaderKnows(const QString& file) {
    QByteArray name = QFile::encodeName(file);
    return vips_foreign_map("VipsForeignLoad", KnowsFile, name.data(), nullptr) != nullptr;
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

// The Exif orientation still to apply to the stored picture. A HEIF or AVIF file turns and
// mirrors its picture by its own transforms, which the decoder has applied already; an Exif
// orientation it may carry as well only describes the same turn, and applying it too would
// turn the picture twice.
int OrientationOf(const VImage& image, int format) {
    if (format == kFormatHeif) return 1;
    return image.get_typeof(VIPS_META_ORIENTATION) != 0 ? image.get_int(VIPS_META_ORIENTATION) : 1;
}

// A reader's damage, or, for the library's loaders, which tell none, why the strict read
// failed.
QString DamageOf(const ReadPicture& picture, const FileSource& source) {
    if (!picture.damage.isEmpty() || picture.judged) return picture.damage;
    return source.tolerant ? source.strictFailure : QString();
}

}  // namespace

FileInfo ExamineFile(const QString& path) {
    FileInfo info;
    const SniffedFile sniffed = Sniff(path);
    info.format = sniffed.format;
    if (sniffed.format == kFormatSvg || sniffed.format == kFormatPdf ||
        sniffed.format == kFormatOtherImage) {
        return info;  // refused by its signature alone: no parser reads it
    }
    if (!IsSupportedFormat(sniffed.format)) {
        // Readable by one of the library's usable loaders, but not ours, or no image at all.
        if (!SomeLoaderKnows(path)) {
            vips_error_clear();
            throw LeadError("not an image file", LeadError::Kind::Unreadable);
        }
        return info;
    }
    ReadRequest request{path, sniffed};
    request.tolerant = true;
    request.headerOnly = true;
    return Guard(
        [&] {
            const VImage header = ReadImageFile(request).image;
            info.width = header.width();
            info.height = header.height();
            info.orientation = OrientationOf(header, sniffed.format);
            const int sampleBits = header.format() == VIPS_FORMAT_USHORT ? 16 : 8;
            info.bits = sniffed.oneBit ? 1 : header.bands() * sampleBits;
            return info;
        },
        LeadError::Kind::Unreadable);
}

OpenedFile OpenFile(const QString& path, int bits) {
    OpenedFile opened;
    FileSource& source = opened.source;
    source.file = path;
    source.sniffed = Sniff(path);
    if (!IsSupportedFormat(source.sniffed.format)) {
        throw LeadError("unsupported image format", LeadError::Kind::Unreadable);
    }
    ReadRequest request{path, source.sniffed};
    ReadPicture picture;
    try {
        picture = ReadImageFile(request);
    } catch (const LeadError& strict) {
        if (strict.kind() != LeadError::Kind::Unreadable) throw;
        // Only the header is needed now: the pixels are decoded again when they are computed.
        request.tolerant = true;
        request.headerOnly = true;
        picture = ReadImageFile(request);
        source.tolerant = true;
        source.strictFailure = QString::fromStdString(strict.what());
    }
    opened.damage = DamageOf(picture, source);
    return Guard(
        [&] {
            source.orientation = OrientationOf(picture.image, source.sniffed.format);
            VImage image =
                Normalise(Upright(picture.image, source.orientation), source.sniffed.oneBit);
            if (bits == 24) image = ToThreeBands(image);
            opened.image = image;
            opened.oneBit = source.sniffed.oneBit && bits != 24;
            return opened;
        },
        LeadError::Kind::Unreadable);
}

DecodedFile DecodeAgain(const FileSource& source, int minWidth, int minHeight, int bands,
                        bool sequential) {
    ReadRequest request{source.file, source.sniffed};
    request.tolerant = source.tolerant;
    request.minWidth = minWidth;
    request.minHeight = minHeight;
    request.sequential = sequential;
    const ReadPicture picture = ReadImageFile(request);
    VImage image = Normalise(picture.image, bands == 1);
    if (bands == 3) image = ToThreeBands(image);
    return {image, DamageOf(picture, source)};
}

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

VImage Upright(const VImage& image, int orientation) {
    if (orientation == 1) return image;
    VImage turned = image.copy();
    turned.set(VIPS_META_ORIENTATION, orientation);
    return turned.autorot();
}

int TurnedOrientation(int orientation, int quarterTurns) {
    // Each orientation as a mirror (or none) followed by clockwise quarter turns: 1, 6, 3, 8
    // turn only; 2, 7, 4, 5 mirror left to right first. Turning more adds to the turns.
    static constexpr int kTurning[2][4] = {{1, 6, 3, 8}, {2, 7, 4, 5}};
    for (int mirrored = 0; mirrored < 2; ++mirrored) {
        for (int turns = 0; turns < 4; ++turns) {
            if (kTurning[mirrored][turns] != orientation) continue;
            return kTurning[mirrored][((turns + quarterTurns) % 4 + 4) % 4];
        }
    }
    return TurnedOrientation(1, quarterTurns);  // no orientation: the picture as stored
}
