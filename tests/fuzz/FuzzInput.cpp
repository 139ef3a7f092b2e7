#include "tests/fuzz/FuzzInput.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>

#include "imaging/FileFormat.h"
#include "imaging/ImagingSetup.h"

namespace fuzzing {
namespace {

// The largest picture whose pixels are computed at all.
constexpr qint64 kMostPixels = 4096 * 4096;
// Pictures up to this many pixels are computed whole.
constexpr qint64 kWholePixels = 1 << 20;
// Rows computed at the top, the middle and the bottom of a larger picture.
constexpr int kSampledRows = 8;

QString ScratchPath() {
    const QString dir = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                            ? QStringLiteral("/dev/shm")
                            : QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("vc-fuzz-%1.input").arg(::getpid()));
}

void RemoveScratch() {
    QFile::remove(ScratchPath());
}

void ComputeArea(const vips::VImage& image, int top, int height) {
    size_t size = 0;
    void* pixels = image.crop(0, top, image.width(), height).write_to_memory(&size);
    g_free(pixels);
}

}  // namespace

const QString& AsFile(const uint8_t* data, size_t size) {
    static const QString path = [] {
        std::atexit(RemoveScratch);
        return ScratchPath();
    }();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::abort();
    }
    return path;
}

void Compute(const vips::VImage& image) {
    try {
        const int width = image.width();
        const int height = image.height();
        if (qint64(width) * height <= kWholePixels) {
            ComputeArea(image, 0, height);
            return;
        }
        const int rows = std::min(kSampledRows, height);
        for (int top : {0, (height - rows) / 2, height - rows}) ComputeArea(image, top, rows);
    } catch (const vips::VError&) {
        vips_error_clear();
    }
}

void ReadAs(const uint8_t* data, size_t size, ReadPicture (*read)(const ReadRequest&),
            int minSide) {
    const QString& path = AsFile(data, size);
    SniffedFile sniffed;
    if (!SniffImageFile(path, &sniffed) || !sniffed.problem.isEmpty()) return;
    for (bool tolerant : {false, true}) {
        ReadRequest request{path, sniffed, tolerant, minSide, minSide, true};
        try {
            const ReadPicture picture = read(request);
            if (qint64(picture.image.width()) * picture.image.height() <= kMostPixels) {
                Compute(picture.image);
            }
            return;
        } catch (const std::exception&) {
            // A refusal (LeadError), or the library's (vips::VError): tried tolerantly next.
        }
    }
}

}  // namespace fuzzing

// Every target starts libvips once, quietly, as the program starts it.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!StartImaging("vimbrelcastor-fuzz")) std::abort();
    return 0;
}
