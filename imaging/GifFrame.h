#pragma once

#include <QString>
#include <vips/vips8>

// The first picture of a GIF file, decoded with one byte a pixel: the library's reader
// renders it at four bytes a pixel (400 MB for 10,000 x 10,000). Any thread; keeps no state.
namespace imaging {

// The first frame on the logical screen, as three sRGB bands through its colour table; the
// screen outside the frame and transparent pixels are black (alpha composed on black, as for
// every picture). Strict: data that ends early or does not decode throws LeadError
// (Unreadable, with the reason). Tolerant: what was decoded is kept, the rest is black, and
// *damage says why (empty when the frame was whole).
vips::VImage DecodeGifFrame(const QString& file, bool tolerant, QString* damage);

}  // namespace imaging
