// The first frame of a GIF (imaging/GifFrame.cpp), strictly and tolerantly.
#include "imaging/CLead.h"
#include "imaging/GifFrame.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString& path = fuzzing::AsFile(data, size);
    for (bool tolerant : {false, true}) {
        QString damage;
        try {
            fuzzing::Compute(imaging::DecodeGifFrame(path, tolerant, &damage));
        } catch (const LeadError&) {
        }
    }
    return 0;
}
