#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>
#include <vips/vips8>

#include "imaging/readers/Reader.h"

// What every fuzz target shares: the imaging library started once (its LLVMFuzzerInitialize),
// the input as a file (every reader takes a path), and the pixels computed as the pipeline
// would compute them.
namespace fuzzing {

// Writes the input to this process's scratch file (on the RAM disk where there is one) and
// returns its path. The file is rewritten by the next call.
const QString& AsFile(const uint8_t* data, size_t size);

// Computes the picture's pixels as the resampler reads them: the whole of a small picture;
// of a large one its top, middle and bottom rows, so that a run stays fast. The library's own
// failures are caught; a crash, a leak or a sanitizer report is the target's finding.
void Compute(const vips::VImage& image);

// Sniffs the input and, when the sniffer lets it through, reads it with read as the pipeline
// would: strictly and, when that fails, tolerantly, for a fit that needs no more than minSide
// pixels a side (0: the whole picture). Pictures larger than 4096 x 4096 are only sized: the
// library's loaders allocate a whole picture, and would only find the run's memory limit.
void ReadAs(const uint8_t* data, size_t size, ReadPicture (*read)(const ReadRequest&), int minSide);

}  // namespace fuzzing
