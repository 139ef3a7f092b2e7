#include "imaging/ImagingSetup.h"

#include <vips/vips.h>
// After vips.h, which it needs.
#include <vips/vector.h>

#include <QLoggingCategory>
#include <atomic>
#include <mutex>

#include "imaging/LeadError.h"

namespace {

std::atomic<bool> verbose{false};

// GLib's log, where libvips writes its warnings ("error in tile", "read gave 100 warnings",
// each decoder's complaint). Errors that end the process still go to GLib's own handler.
void ImagingLog(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    NoteLibraryWarning(message);
    if (verbose || (level & (G_LOG_LEVEL_ERROR | G_LOG_FLAG_FATAL)) != 0) {
        g_log_default_handler(domain, level, message, nullptr);
    }
}

void ApplyQtRules() {
    QLoggingCategory::setFilterRules(verbose ? QStringLiteral("qt.gui.imageio*=true")
                                             : QStringLiteral("qt.gui.imageio*=false"));
}

}  // namespace

void SetImagingVerbose(bool on) {
    verbose = on;
    ApplyQtRules();
}

bool ImagingVerbose() {
    return verbose;
}

bool StartImaging(const char* programName) {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [programName] {
        // Installed first, so that even the library's start-up speaks only when asked.
        g_log_set_default_handler(ImagingLog, nullptr);
        ApplyQtRules();
        started = VIPS_INIT(programName ? programName : "vimbrelcastor") == 0;
        if (!started) return;
        // Only the loaders the program names ever read a file: every operation over a
        // library not hardened against hostile input (ImageMagick, SVG, JPEG XL, ...) is
        // blocked, for a direct call and for the library's own choice of loader alike. The PDF
        // loader stays usable: only the slide path loads PDFs, by name (a PDF imported as
        // slides, or the one the presentation program wrote). Image files reach a loader only
        // after their bytes were sniffed, and a PDF renamed as an image is refused by its
        // signature before that.
        vips_block_untrusted_set(TRUE);
        vips_operation_block_set("VipsForeignLoadPdf", FALSE);
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
