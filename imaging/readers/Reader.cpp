#include "imaging/readers/Reader.h"

#include <QFile>
#include <algorithm>

#include "imaging/ImagingConstants.h"
#include "imaging/LeadError.h"

using vips::VImage;
using namespace imaging;

namespace {

const struct {
    int format;
    ReadPicture (*read)(const ReadRequest&);
} kReaders[] = {
    {kFormatJpeg, ReadJpeg}, {kFormatPng, ReadPng},   {kFormatGif, ReadGif},
    {kFormatBmp, ReadBmp},   {kFormatTiff, ReadTiff}, {kFormatWebp, ReadWebp},
    {kFormatHeif, ReadHeif},
};

// The file name as it is: the generic loaders would read "[...]" in a user's file name as
// load options.
QByteArray Name(const ReadRequest& request) {
    return QFile::encodeName(request.file);
}

}  // namespace

ReadPicture ReadImageFile(const ReadRequest& request) {
    for (const auto& reader : kReaders) {
        if (reader.format != request.sniffed.format) continue;
        ReadPicture picture =
            Guard([&] { return reader.read(request); }, LeadError::Kind::Unreadable);
        // What the header shows lost, where the reader itself saw nothing.
        if (picture.damage.isEmpty()) picture.damage = request.sniffed.damage;
        return picture;
    }
    throw LeadError("unsupported image format", LeadError::Kind::Unreadable);
}

vips::VOption* LoadOptions(const ReadRequest& request) {
    // Strict: the first warning of the decoder fails the read. Tolerant: the decoder goes as
    // far as it can and leaves the rest as it leaves it.
    vips::VOption* options = VImage::option()->set(
        "fail_on", request.tolerant ? VIPS_FAIL_ON_NONE : VIPS_FAIL_ON_WARNING);
    if (request.sequential) options->set("access", VIPS_ACCESS_SEQUENTIAL);
    return options;
}

int ReductionFor(int width, int height, int minWidth, int minHeight) {
    if (minWidth <= 0 || minHeight <= 0) return 1;
    for (int factor : {8, 4, 2}) {
        if ((width + factor - 1) / factor >= minWidth &&
            (height + factor - 1) / factor >= minHeight) {
            return factor;
        }
    }
    return 1;
}

ReadPicture ReadTiff(const ReadRequest& request) {
    return {VImage::tiffload(Name(request).constData(), LoadOptions(request)), {}, false};
}

ReadPicture ReadHeif(const ReadRequest& request) {
    return {VImage::heifload(Name(request).constData(), LoadOptions(request)), {}, false};
}

// The decoder scales while it decodes, averaging: a little larger than asked.
ReadPicture ReadWebp(const ReadRequest& request) {
    const QByteArray name = Name(request);
    const VImage header = VImage::webpload(name.constData(), LoadOptions(request));
    if (request.minWidth <= 0 || request.minHeight <= 0) return {header, {}, false};
    const double scale = std::max(double(request.minWidth) / header.width(),
                                  double(request.minHeight) / header.height());
    if (scale >= 0.5) return {header, {}, false};
    return {VImage::webpload(name.constData(),
                             LoadOptions(request)->set("scale", std::min(1.0, scale * 1.02))),
            {},
            false};
}
