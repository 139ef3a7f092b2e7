#include "imaging/ImagingSetup.h"

#include <vips/vips.h>
// After vips.h, which it needs.
#include <vips/vector.h>
#include <mutex>

bool StartImaging(const char* programName) {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [programName] {
        started = VIPS_INIT(programName ? programName : "vimbrelcastor") == 0;
        if (!started) return;
        // Every image is read once and written once: a cache of operations would only hold
        // decoded pixels and open files for nothing.
        vips_cache_set_max(0);
        // The program runs its own workers, one image each; threads inside one image would
        // only compete with them.
        vips_concurrency_set(1);
        // The run-time SIMD compiler of this platform's libvips frees its programs unsafely
        // when two workers do so at once (heap corruption under the thumbnail renderer). The
        // fits to the output size, where it mattered most, have vector loops of their own
        // (imaging/Lanczos.cpp).
        vips_vector_set_enabled(FALSE);
    });
    return started;
}
