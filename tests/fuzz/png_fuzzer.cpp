// The PNG reader (imaging/readers/PngReader.cpp): the pass reader of interlaced files at each
// reduced size in turn (chosen by the input's length), strictly and then tolerantly.
#include "imaging/readers/Reader.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // For the 48 x 32 seeds: 1/8, 1/4 and 1/2 of the picture, and the whole picture.
    constexpr int kMinimumSides[] = {1, 4, 8, 0};
    fuzzing::ReadAs(data, size, ReadPng, kMinimumSides[size % 4]);
    return 0;
}
