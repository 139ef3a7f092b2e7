// The JPEG reader (imaging/readers/JpegReader.cpp): the library's loader strictly, and our
// reader over libjpeg tolerantly, at each scale in turn (chosen by the input's length).
#include "imaging/readers/Reader.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ReadAs(data, size, ReadJpeg, size % 4 == 0 ? 0 : 1 << (size % 4));
    return 0;
}
