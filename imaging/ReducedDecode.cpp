#include "imaging/ReducedDecode.h"

#include <condition_variable>
#include <mutex>

#include "imaging/ImagingConstants.h"
#include "imaging/Lanczos.h"

using vips::VImage;
using namespace imaging;

namespace {

std::mutex budgetMutex;
std::condition_variable budgetFreed;
qint64 budgetHeld = 0;

}  // namespace

CoefficientTicket::CoefficientTicket(qint64 bytes) : bytes_(bytes) {
    if (bytes_ <= 0) return;
    std::unique_lock lock(budgetMutex);
    budgetFreed.wait(
        lock, [&] { return budgetHeld == 0 || budgetHeld + bytes_ <= kMaxCoefficientBytes; });
    budgetHeld += bytes_;
}

CoefficientTicket::~CoefficientTicket() {
    if (bytes_ <= 0) return;
    {
        const std::lock_guard lock(budgetMutex);
        budgetHeld -= bytes_;
    }
    budgetFreed.notify_all();
}

bool DecodesAgain(const FileSource& source, const VImage& held, int width, int height) {
    if (source.sniffed.format == kFormatBmp) return false;
    return source.tolerant || width < held.width() || height < held.height();
}

DecodedFile FitFromFile(const FileSource& source, int bands, int width, int height,
                        VipsKernel kernel) {
    // The picture is resized as it is stored and turned upright once small.
    const bool swap = SwapsSides(source.orientation);
    const int storedWidth = swap ? height : width;
    const int storedHeight = swap ? width : height;
    const DecodedFile loaded = DecodeAgain(source, storedWidth, storedHeight, bands, true);
    const VImage small = ResizeExact(loaded.image, storedWidth, storedHeight, kernel).copy_memory();
    return {source.orientation == 1 ? small : Upright(small, source.orientation).copy_memory(),
            loaded.damage};
}
