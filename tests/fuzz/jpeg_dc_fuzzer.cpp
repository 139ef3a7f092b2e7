// The DC coefficients of a progressive JPEG (imaging/JpegDc.cpp), strictly and tolerantly.
#include "imaging/CLead.h"
#include "imaging/JpegDc.h"
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
            if (std::optional<vips::VImage> image =
                    imaging::DecodeProgressiveDc(path, tolerant, &damage)) {
                fuzzing::Compute(*image);
            }
        } catch (const LeadError&) {
        }
    }
    return 0;
}
