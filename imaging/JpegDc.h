#pragma once

#include <QString>
#include <optional>
#include <vips/vips8>

// A progressive JPEG at 1/8 of its size from its DC coefficients alone. libjpeg keeps every
// coefficient of a progressive file until its last scan (600 MB for 10,000 x 10,000 without
// chroma subsampling), though a picture scaled by 1/8 needs only one of the 64 of each block,
// all of which come in the first scans. Any thread; keeps no state.
namespace imaging {

// The picture at 1/8 of its stored size, one band (grey) or three (sRGB), as libjpeg's own
// 1/8 scaling gives it but for the chroma, which is repeated rather than interpolated.
// nullopt for a layout this reader leaves to libjpeg (not progressive, not 8-bit, not one or
// three components, arithmetic coding). Strict: damaged data throws LeadError (Unreadable,
// with the reason). Tolerant: blocks that could not be read are mid-grey (no coefficient, as
// libjpeg leaves them) and *damage says why. Only the block rows the data reaches are held.
std::optional<vips::VImage> DecodeProgressiveDc(const QString& file, bool tolerant,
                                                QString* damage);

}  // namespace imaging
