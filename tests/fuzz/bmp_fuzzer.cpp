// The bitmap reader (imaging/BmpReader.cpp): plain rows read from the file as they are asked
// for, run-length data decoded at once, bit fields.
#include "imaging/BmpReader.h"
#include "imaging/CLead.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QString damage;
    try {
        if (std::optional<vips::VImage> image =
                imaging::ReadBitmap(fuzzing::AsFile(data, size), &damage)) {
            fuzzing::Compute(*image);
        }
    } catch (const LeadError&) {
    }
    return 0;
}
