#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vips/vips8>

#include "core/FrameFill.h"
#include "imaging/ImageFile.h"
#include "imaging/LeadError.h"

// The image an imaging instance holds. Moving it between instances moves the image; the
// pixels are shared and immutable, so copies are cheap and safe across threads.
class LeadImage {
public:
    bool isNull() const { return image_.is_null(); }

private:
    friend class CLead;

    vips::VImage image_;   // 8 bits per sample, one band (grey) or three (sRGB)
    bool oneBit_ = false;  // bilevel: values 0 and 255 only
    // Why pixels are lost, when the picture was decoded with warnings (read as far as it
    // could be); empty for a sound picture.
    QString damage_;
    // While the image is still exactly its file's content: how to decode it again, at a
    // reduced size or past the decoder's warnings.
    std::optional<FileSource> source_;
};

// One imaging instance: examines files, holds at most one image and transforms, composes and
// encodes it, over libvips. Names, argument orders and units follow the imaging interface
// the rest of the program is written against (sizes in pixels as floats, format codes of
// ImagingConstants.h, the compression factor as JPEG quality). Images are shown and written
// upright: an Exif orientation is applied when a file is loaded. One thread at a time may
// use an instance; instances on different threads are independent.
//
// Decoding: a file is read lazily and decoded when its pixels are first computed (by a
// resize, ToQImage or an encode), strictly first; when the decoder stops at damage (bad
// restart markers, corrupt data, a truncated tail) the pixels are decoded again accepting
// its warnings, the damaged part as the decoder leaves it, and the image is marked Damaged()
// with the decoder's reason. Damage is pixels lost: warnings that cost none (stray bytes
// between a JPEG's header segments) leave the picture sound. A file no decoder can read raises
// LeadError of kind Unreadable, with the reason; a failed allocation raises kind OutOfMemory.
class CLead {
public:
    CLead();

    // Examines a file without decoding its pixels; fills the Info values.
    void ReadFileInfo(const QString& file, int page = 0, int flags = 1);
    float InfoWidth() const { return float(infoWidth_); }
    float InfoHeight() const { return float(infoHeight_); }
    int InfoBits() const { return infoBits_; }
    int InfoFormat() const { return infoFormat_; }
    // The Exif orientation of the file last examined (1 when it has none).
    int InfoOrientation() const { return infoOrientation_; }

    // Reads a file into the held image (bits 0: as stored; 24: three samples).
    void LoadImage(const QString& file, int bits = 0, int page = 0, int pages = -1);
    // Reads the thumbnail a camera stored in a JPEG's Exif block into the held image, decoded
    // in full and turned upright by the photo's orientation; the photo's own data is not read.
    // False, and the held image unchanged, when the file has no such thumbnail; LeadError of
    // kind Unreadable when it has one that does not decode without a warning.
    bool LoadExifThumbnail(const QString& file);
    float ImageWidth() const;
    float ImageHeight() const;
    int ImageBits() const;

    // Whether the held picture lost pixels when it was decoded (read past the decoder's
    // warnings, or cut short), and why (empty when sound). Known once its pixels have been
    // computed; a resize computes them.
    bool Damaged() const { return !held_.damage_.isEmpty(); }
    QString DamageText() const { return held_.damage_; }

    LeadImage ImageHandle() const { return held_; }
    void SetImageHandle(LeadImage image) { held_ = std::move(image); }
    void ReleaseImage() { held_ = LeadImage(); }

    // A new blank image (bits 8: grey, 24: colour); its content is black until filled.
    void CreateImage(float width, float height, int bits);
    // colour as 0x00BBGGRR.
    void FillImage(quint32 colour);
    // Fills the held image with source scaled to cover it, blurred and dimmed (Backdrop.h).
    void CoverImage(const LeadImage& source);
    // Resamples to the size (rounded to whole pixels); flags 2 asks for Lanczos 3. The result
    // is computed, in memory: nothing after it decodes the file again.
    void ResizeImage(float width, float height, int flags);
    // Pastes source (from sourceX, sourceY, width by height) into the held image at x, y,
    // rounded to whole pixels.
    void CombineImage(float x, float y, float width, float height, const LeadImage& source,
                      float sourceX, float sourceY, int flags);
    // A bilevel image becomes 8-bit grey.
    void ConvertToGray(int bits);
    // Turns the held image clockwise by quarterTurns (negative: to the left), without decoding
    // it; a picture still read from its file keeps being decoded from it, at a reduced size.
    void TurnImage(int quarterTurns);
    // Back to bilevel (bits 1): every sample becomes 0 or 255, without dithering.
    void ReduceColours(int bits, int paletteMode, int ditherMode, int option);

    void SetResolutionX(int dpi) { resolutionX_ = dpi; }
    void SetResolutionY(int dpi) { resolutionY_ = dpi; }
    // Metadata slots (0 to 178) that become Exif fields of a JPEG written with code 98.
    void SetComment(int slot, const QString& text);
    QString Comment(int slot) const;

    // Encodes the held image (format 23, 98, 75 or 6; quality is the compression factor for
    // JPEG) and writes it to file. A failed write leaves no file behind.
    void SaveImage(const QString& file, int format, int bits, int quality, int option = 0);
    QByteArray SaveImageToMemory(int format, int bits, int quality);
    // As SaveImageToMemory, with an embedded thumbnail of thumbnailWidth x thumbnailHeight made
    // from the held pixels (framed as fill says when the aspect differs).
    QByteArray SaveImageWithThumbnailToMemory(int format, int bits, int quality,
                                              float thumbnailWidth, float thumbnailHeight,
                                              const FrameFill& fill = FrameFill());

    // The held pixels for drawing.
    QImage ToQImage();

private:
    const vips::VImage& Held() const;
    // Runs compute over the held picture; while that is still its file's content, a strict
    // decode that fails is run once more tolerantly, and the picture is marked damaged. A
    // decode that holds a whole picture's coefficients waits its turn (CoefficientTicket).
    template <typename Compute>
    auto Decoding(Compute&& compute) -> decltype(compute());
    // The held pixels, within Decoding: a picture read past damage is decoded again from its
    // file by its reader, which tells its damage.
    vips::VImage Pixels();
    QByteArray Encode(int format, int bits, int quality, int thumbnailWidth, int thumbnailHeight,
                      const FrameFill& fill = FrameFill());

    int infoWidth_ = 0;
    int infoHeight_ = 0;
    int infoBits_ = 0;
    int infoFormat_ = 0;
    int infoOrientation_ = 1;
    LeadImage held_;
    int resolutionX_ = 72;
    int resolutionY_ = 72;
    QStringList comments_;
};
