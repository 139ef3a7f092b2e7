#include "imaging/Backdrop.h"

#include <algorithm>
#include <cmath>

#include "imaging/Encoders.h"
#include "imaging/ImagingConstants.h"
#include "imaging/Lanczos.h"

using vips::VImage;
using namespace imaging;

VImage BlurredCover(const VImage& picture, int width, int height) {
    const int smallWidth = std::max(1, width / kBackdropShrink);
    const int smallHeight = std::max(1, height / kBackdropShrink);
    const double cover =
        std::max(double(smallWidth) / picture.width(), double(smallHeight) / picture.height());
    const int coverWidth = std::max(smallWidth, int(std::lround(picture.width() * cover)));
    const int coverHeight = std::max(smallHeight, int(std::lround(picture.height() * cover)));
    VImage small = ResizeExact(picture, coverWidth, coverHeight, VIPS_KERNEL_LANCZOS3)
                       .crop((coverWidth - smallWidth) / 2, (coverHeight - smallHeight) / 2,
                             smallWidth, smallHeight);
    small = small.gaussblur(kBackdropSigma)
                .linear(kBackdropBrightness, 0)
                .cast(VIPS_FORMAT_UCHAR)
                .copy(VImage::option()->set("interpretation", picture.interpretation()))
                .copy_memory();
    return ResizeExact(small, width, height, VIPS_KERNEL_LANCZOS3);
}

VImage OnBackdrop(const VImage& picture, int width, int height, const FrameFill& fill) {
    if (picture.width() == width && picture.height() == height) return picture;
    const int x = (width - picture.width()) / 2;
    const int y = (height - picture.height()) / 2;
    if (fill.kind == FrameFill::Kind::Blur) {
        return BlurredCover(picture, width, height).insert(picture, x, y);
    }
    const double red = (fill.rgb >> 16) & 0xFF;
    const double green = (fill.rgb >> 8) & 0xFF;
    const double blue = fill.rgb & 0xFF;
    const bool grey = red == green && green == blue;
    const VImage bands = picture.bands() == 1 && !grey ? ToThreeBands(picture) : picture;
    const std::vector<double> background =
        bands.bands() == 3 ? std::vector<double>{red, green, blue} : std::vector<double>{red};
    return bands.embed(
        x, y, width, height,
        VImage::option()->set("extend", VIPS_EXTEND_BACKGROUND)->set("background", background));
}
