#pragma once

#include <QtGlobal>
#include <vips/vips8>

#include "imaging/ImageFile.h"

// How a fit of a picture that is still its file's content reads the file: the choice between
// resampling the picture held and decoding the file again, top to bottom, at a reduced size
// where the decoder can (a JPEG scaled by 1/8 in libjpeg costs a fraction of a full decode).
// Any thread.

// Whether a fit to width x height (upright) decodes the file again: when it makes the picture
// smaller, and always once the file is read past damage, where our readers go on beyond the
// library's. A bitmap's rows are read from the file as the resampler asks for them already.
bool DecodesAgain(const FileSource& source, const vips::VImage& held, int width, int height);

// The file's picture fitted to exactly width x height, upright, with the bands given, computed
// in memory (a file read in sequence cannot be read a second time by a later encode, and the
// result is small); damage as DecodeAgain gives it.
DecodedFile FitFromFile(const FileSource& source, int bands, int width, int height,
                        VipsKernel kernel);

// Decodes that hold every coefficient of a picture (a progressive JPEG) take turns across the
// process: a ticket waits while the tickets held already would, with its own, pass the budget
// that one decode alone is kept within (kMaxCoefficientBytes). Two workers then never hold two
// such pictures at once. A ticket of 0 bytes never waits.
class CoefficientTicket {
public:
    explicit CoefficientTicket(qint64 bytes);
    ~CoefficientTicket();
    CoefficientTicket(const CoefficientTicket&) = delete;
    CoefficientTicket& operator=(const CoefficientTicket&) = delete;

private:
    qint64 bytes_;
};
