#pragma once

#include <vips/vips8>

#include "core/FrameFill.h"

// The frame behind a picture fitted into an output of another aspect. The blurred kind is made
// on a small copy (an eighth of the frame's sides), blurred and dimmed there, then enlarged:
// a fraction of the cost of blurring at the full size, and a backdrop shows no detail anyway.
// Both resamplings go through our Lanczos resampler: the library's linear enlargement took
// 18 ms of an 800 x 600 frame, ours a fraction (bench/pipeline.bench.sh).
// Any thread; keeps no state. Throws vips::VError.

// picture (8 bits, one or three bands) scaled to cover width x height and cut to it around its
// centre, blurred and dimmed: width x height, the picture's bands.
vips::VImage BlurredCover(const vips::VImage& picture, int width, int height);

// picture centred on a width x height frame filled as fill says. The picture is no larger than
// the frame; a grey picture on a colour that is not grey comes out in colour.
vips::VImage OnBackdrop(const vips::VImage& picture, int width, int height, const FrameFill& fill);
