#pragma once

#include <QString>
#include <vips/vips8>

// A damaged JPEG decoded as far as libjpeg goes. The library's reader, asked to accept the
// decoder's warnings, still gives up after a hundred of them; a camera file with broken
// restart markers can have many more and yet decode nearly whole. Any thread; keeps no state.
namespace imaging {

// The picture at 1/shrink of its size (shrink 1, 2, 4 or 8), as stored (no orientation
// applied): one band (grey), three (sRGB) or four (CMYK, ink as amounts), 8 bits a sample,
// with its embedded colour profile. Rows the decoder could not reach are black, and so are the
// rows of a file in one scan well past the end of its data, which libjpeg would make up from
// nothing (a 100-byte file would cost the 10,000 rows it claims). *damage gets
// the decoder's first warning or its error (empty when it read the file cleanly). Throws
// LeadError (Unreadable) when not even the header can be read.
vips::VImage DecodeJpegTolerantly(const QString& file, int shrink, QString* damage);

}  // namespace imaging
