#pragma once

#include <vips/vips8>

// Lanczos 3 resampling of 8-bit images with one or three bands, for every fit to an output
// size. The library's own resampler runs its plain C path here (its SIMD compiler is off) and
// is several times slower; this one reads the source a few rows at a time, in order, so a
// picture decoded in sequence is never held whole. Called on any thread; keeps no state.

// True when ResampleLanczos3 takes the image: 8 bits per sample, one or three bands (all that
// the pipeline holds once a picture is loaded).
bool CanResampleLanczos3(const vips::VImage& image);

// The image resampled to exactly width x height (each at least 1), in memory, with the
// source's interpretation. Throws vips::VError when the source cannot be read. The vector
// loops are used where the processor has them; vectorLoops false keeps to the plain ones
// (they give the same bytes, which the tests check).
vips::VImage ResampleLanczos3(const vips::VImage& image, int width, int height,
                              bool vectorLoops = true);

// The image at exactly width x height: the image itself when it has that size, else resampled
// with the kernel (Lanczos 3 by the resampler above when it takes the image; otherwise by the
// library, a pixel of its rounding absorbed).
vips::VImage ResizeExact(const vips::VImage& image, int width, int height,
                         VipsKernel kernel = VIPS_KERNEL_LANCZOS3);
