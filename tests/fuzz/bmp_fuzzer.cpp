// The bitmap reader (imaging/readers/BmpReader.cpp) behind the header the sniffer reads: plain
// rows read from the file as they are asked for, run-length data decoded at once, bit fields.
#include "imaging/readers/Reader.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ReadAs(data, size, ReadBmp, 0);
    return 0;
}
