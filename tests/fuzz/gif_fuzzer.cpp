// The GIF reader (imaging/readers/GifReader.cpp): our walk to the end of the first frame, and
// the library's loader over the bytes it hands on.
#include "imaging/readers/Reader.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ReadAs(data, size, ReadGif, 0);
    return 0;
}
