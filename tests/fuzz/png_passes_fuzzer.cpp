// The pass reader of interlaced PNG files (imaging/PngPasses.cpp), at each reduced size in
// turn (chosen by the input's length) and tolerantly when the strict read fails.
#include "imaging/CLead.h"
#include "imaging/PngPasses.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString& path = fuzzing::AsFile(data, size);
    // For the 48 x 32 seeds: 1/8, 1/4 and 1/2 of the picture, and the whole picture.
    constexpr int kMinimumSides[] = {1, 4, 8, 1 << 24};
    const int side = kMinimumSides[size % 4];
    for (bool tolerant : {false, true}) {
        QString damage;
        try {
            fuzzing::Compute(imaging::DecodeInterlacedPng(path, side, side, tolerant, &damage));
            return 0;
        } catch (const LeadError&) {
        }
    }
    return 0;
}
