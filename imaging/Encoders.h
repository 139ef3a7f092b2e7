#pragma once

#include <QByteArray>
#include <vips/vips8>

#include "core/FrameFill.h"

// Encoders over 8-bit images of one band (grey) or three (sRGB). They raise vips::VError
// (CLead turns it into LeadError). Any thread.

// Baseline JPEG, three components (YCbCr) with 4:2:0 chroma subsampling whatever the input,
// standard tables at the given IJG quality, and no application segment at all: the caller
// adds the one that carries the resolution (WithJfifSegment, SpliceExif).
QByteArray EncodeJpeg(const vips::VImage& image, int quality);

// PNG, 8 bits per sample, no metadata but the pHYs chunk with the resolution (in pixels per
// metre, 2835 for 72 dpi).
QByteArray EncodePng(const vips::VImage& image, int dpi = 72);

// A 24-bit Windows bitmap (BITMAPINFOHEADER, bottom-up rows), written by the toolkit.
QByteArray EncodeBmp24(const vips::VImage& image, int dpi);

// The embedded thumbnail: image fitted into width x height, framed as fill says (on black
// unless told), as a baseline JPEG.
QByteArray EncodeThumbnail(const vips::VImage& image, int width, int height,
                           const FrameFill& fill = FrameFill());

// Three bands from one, for encoders that always write colour.
vips::VImage ToThreeBands(const vips::VImage& image);
