#pragma once

#include <array>

// Numbers of the image pipeline that the behaviour fixes: file-format codes, output sizes,
// quality factors, limits. One place, so that each is found once.
namespace imaging {

// File-format codes, as the loader, the convert run and the slide import pass them.
enum FormatCode : int {
    kFormatUnknown = 0,  // no signature of ours matched
    kFormatGif = 2,
    kFormatTiff = 3,
    kFormatBmp = 6,
    kFormatJpeg = 23,  // plain JPEG
    kFormatPng = 75,
    kFormatJpegExif = 98,  // JPEG with the Exif block
    kFormatWebp = 200,
    kFormatHeif = 201,  // HEIC, HEIF and AVIF: one container, one loader
    // Recognised only to be refused: a document renamed as an image never reaches a parser.
    kFormatSvg = 250,
    kFormatPdf = 251,
    // An image of a format the program does not read (PPM, JPEG 2000, JPEG XL, FITS, ...),
    // recognised by its signature alone: the library's loaders for them stay blocked.
    kFormatOtherImage = 252,
};

// Formats that enter the working list; everything else readable is refused with 114.
inline constexpr std::array kSupportedFormats{kFormatGif,  kFormatTiff, kFormatBmp,
                                              kFormatJpeg, kFormatPng,  kFormatJpegExif,
                                              kFormatWebp, kFormatHeif};

inline constexpr bool IsSupportedFormat(int code) {
    for (int supported : kSupportedFormats) {
        if (supported == code) return true;
    }
    return false;
}

// Width and height may each be at most this many pixels (the limit itself is accepted).
inline constexpr int kMaxImageSide = 10000;

// The most memory a JPEG decoder may hold for the coefficients of a whole picture (a
// progressive file keeps every one until its last scan): with the rest of a conversion, a file
// at this limit stays under 700 MiB. A 10,000 x 10,000 colour picture without chroma
// subsampling needs 572 MiB; in CMYK it needs 763 MiB and is refused.
inline constexpr long long kMaxCoefficientBytes = 600ll << 20;

// True for the Exif orientations (5 to 8) that turn a picture on its side: upright, its width
// is the stored height.
inline constexpr bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

struct OutputSize {
    int width;
    int height;
    const char* label;  // the size list's text
};

// Indexed by AppSettings::sizeIndex. The three 4:3 and 5:4 sizes come first, in their
// order; the wide sizes of newer projectors follow.
inline constexpr std::array<OutputSize, 5> kSizeTable{{
    {1024, 768, "XGA   ( 1024 x 768 )"},
    {800, 600, "SVGA (  800 x 600 )"},
    {1280, 1024, "SXGA ( 1280 x 1024 )"},
    {1280, 800, "WXGA ( 1280 x 800 )"},
    {1920, 1080, "Full HD ( 1920 x 1080 )"},
}};

// AppSettings::formatIndex.
enum FormatChoice : int { kChooseAutomatically = 0, kChooseJpeg = 1, kChoosePng = 2 };

// The encoder's compression factor for quality positions 1 (Low) to 5 (High): 40, 32, 24,
// 16, 2. A smaller factor is better; the JPEG quality is 100 - factor.
inline constexpr int QualityFactor(int position) {
    const int d = 6 - position;
    return d == 1 ? 2 : 8 * d;
}
inline constexpr int JpegQuality(int factor) {
    return 100 - factor;
}

// The thumbnail embedded in the Exif block.
inline constexpr int kThumbnailWidth = 160;
inline constexpr int kThumbnailHeight = 120;
inline constexpr int kThumbnailQuality = 90;

// The blurred backdrop: made at 1/kBackdropShrink of the frame's sides, blurred there with this
// sigma (in the small copy's pixels, about 25 of the frame's at 800 x 600) and dimmed to this
// share of its brightness, so that the picture in front stands out.
inline constexpr int kBackdropShrink = 8;
inline constexpr double kBackdropSigma = 3.0;
inline constexpr double kBackdropBrightness = 0.55;

// Resolution written into every output file.
inline constexpr int kOutputDpi = 72;

// Resize flags: 2 asks for the high-quality resampler, 0 for a fast one.
inline constexpr int kResizeQuality = 2;
inline constexpr int kResizeFast = 0;

// Metadata slots that become Exif fields when a JPEG is written with code 98.
enum CommentSlot : int {
    kSlotMake = 5,
    kSlotModel = 6,
    kSlotDateTimeDigitized = 22,
    kSlotDateTime = 23,  // DateTime and DateTimeOriginal
    kSlotFlashpixVersion = 31,
    kSlotInteropIndex = 49,
    kSlotInteropVersion = 59,
    kCommentSlotCount = 179,
};

}  // namespace imaging
