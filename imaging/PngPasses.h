#pragma once

#include <QString>
#include <vips/vips8>

// An interlaced PNG stores its picture in seven passes, and the first ones together are the
// picture at 1/8, 1/4 or 1/2 of its size. The library's reader holds a whole interlaced
// picture in memory (800 MB for a 10,000 x 10,000 16-bit one); this reader keeps only the
// passes a downscale needs, 8 bits a sample, and still reads every pass so that damage
// anywhere in the file is found. Any thread; keeps no state.
namespace imaging {

// The picture of an interlaced PNG at the smallest of 1/8, 1/4, 1/2 and full size that is at
// least minWidth x minHeight: one to four bands (grey, grey and alpha, RGB, RGBA), 8 bits a
// sample, with its embedded colour profile. Strict: an error of the decoder throws LeadError
// (Unreadable, with its words). Tolerant: what was read is kept, the rest
// is black, and *damage gets the decoder's words (empty when it read everything).
vips::VImage DecodeInterlacedPng(const QString& file, int minWidth, int minHeight, bool tolerant,
                                 QString* damage);

}  // namespace imaging
