// The tolerant JPEG reader over libjpeg (imaging/JpegTolerant.cpp), at each scale in turn
// (chosen by the input's length).
#include <cstdio>
// After cstdio, which it needs.
#include <jpeglib.h>

#include <csetjmp>

#include "imaging/CLead.h"
#include "imaging/JpegTolerant.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// libjpeg keeps every coefficient of a progressive file (six bytes a pixel, zeroed): larger
// pictures would only find the run's memory limit, not a fault of ours. The program's own
// limit, 10,000 x 10,000, is checked before this reader is ever called.
constexpr unsigned long kMostPixels = 4096ul * 4096ul;

struct HeaderErrors {
    jpeg_error_mgr manager;  // first: libjpeg casts the pointer back
    std::jmp_buf jump;
};

void Stop(j_common_ptr info) {
    std::longjmp(reinterpret_cast<HeaderErrors*>(info->err)->jump, 1);
}

void Quiet(j_common_ptr, int) {}

// The picture's size as libjpeg reads the header; 0 when it cannot.
unsigned long PixelsOf(const uint8_t* data, size_t size) {
    jpeg_decompress_struct info{};
    HeaderErrors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = Stop;
    errors.manager.emit_message = Quiet;
    jpeg_create_decompress(&info);
    unsigned long pixels = 0;
    if (setjmp(errors.jump) == 0) {
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
        jpeg_read_header(&info, TRUE);
        pixels = static_cast<unsigned long>(info.image_width) * info.image_height;
    }
    jpeg_destroy_decompress(&info);
    return pixels;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::Start();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || PixelsOf(data, size) > kMostPixels) return 0;
    const int shrink = 1 << (size % 4);
    QString damage;
    try {
        fuzzing::Compute(
            imaging::DecodeJpegTolerantly(fuzzing::AsFile(data, size), shrink, &damage));
    } catch (const LeadError&) {
    }
    return 0;
}
