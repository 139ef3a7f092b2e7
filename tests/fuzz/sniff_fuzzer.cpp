// The header reader, over every format it recognises (imaging/FileFormat.cpp).
#include "imaging/FileFormat.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SniffedFile sniffed;
    SniffImageFile(fuzzing::AsFile(data, size), &sniffed);
    return 0;
}
