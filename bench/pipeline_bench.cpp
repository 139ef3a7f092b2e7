// The image pipeline, measured: makes a corpus of photos and screenshots, converts it the way a
// convert worker does, and measures a floor for the same output (a decode at the reduced size,
// a plain resize, one encode). Single-threaded, so every figure is per core, except floor2.
//
//   pipeline_bench corpus DIR        makes the corpus in DIR (files already there are kept)
//   pipeline_bench run DIR OUT       converts the corpus into OUT/DUVU0001.JPG, ...
//   pipeline_bench floor DIR OUT     the floor, into OUT
//   pipeline_bench steps DIR         where the time of one conversion goes, step by step
//   pipeline_bench batch-corpus DIR  the larger corpus of the batch benchmark, with BMP and TIFF
//   pipeline_bench floor2 DIR OUT    the floor over the batch corpus on two threads
//
// steps works on either corpus.

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>
#include <vips/vips8>

#include "bench/BenchPictures.h"
#include "imaging/CLead.h"
#include "imaging/ConvertSteps.h"
#include "imaging/Encoders.h"
#include "imaging/ExifBlock.h"
#include "imaging/ImagingConstants.h"
#include "imaging/ImagingSetup.h"

using vips::VImage;
using namespace benchpictures;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRuns = 3;       // each figure is the best of this many passes
constexpr int kSizeIndex = 1;  // SVGA
constexpr int kFloorThreads = 2;

enum class Kind { Photo, Portrait, Screen, Bitmap, Scan };
constexpr std::array kKinds{Kind::Photo, Kind::Portrait, Kind::Screen, Kind::Bitmap, Kind::Scan};

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Photo:
            return "photo 4000x3000 JPEG";
        case Kind::Portrait:
            return "portrait 3000x4000 JPEG";
        case Kind::Screen:
            return "screenshot 1920x1080 PNG";
        case Kind::Bitmap:
            return "photo 2000x1500 BMP";
        case Kind::Scan:
            return "photo 2400x1800 TIFF";
    }
    return "";
}

struct Input {
    QString path;
    Kind kind;
};

// How many files of each kind a corpus holds.
struct Layout {
    int photos;
    int portraits;
    int screens;
    int bitmaps;
    int scans;
};

constexpr Layout kPipelineCorpus{24, 8, 8, 0, 0};
constexpr Layout kBatchCorpus{60, 20, 20, 10, 10};

// The corpus, in conversion order. The names sort in the same order, since the batch mode
// imports a folder by its sorted file names.
std::vector<Input> CorpusFiles(const QString& dir, const Layout& layout) {
    std::vector<Input> files;
    auto add = [&](const char* stem, const char* suffix, int count, Kind kind) {
        for (int i = 1; i <= count; ++i) {
            files.push_back({dir + QStringLiteral("/%1_%2.%3")
                                       .arg(QLatin1String(stem))
                                       .arg(i, 2, 10, QLatin1Char('0'))
                                       .arg(QLatin1String(suffix)),
                             kind});
        }
    };
    add("bitmap", "bmp", layout.bitmaps, Kind::Bitmap);
    add("photo", "jpg", layout.photos, Kind::Photo);
    add("portrait", "jpg", layout.portraits, Kind::Portrait);
    add("scan", "tif", layout.scans, Kind::Scan);
    add("screen", "png", layout.screens, Kind::Screen);
    return files;
}

// User and system time of every thread of the process so far.
double ProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

QString OutputName(const QString& dir, int number) {
    return dir + QStringLiteral("/DUVU%1.JPG").arg(number, 4, 10, QLatin1Char('0'));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

// ---- corpus ----

// A screenshot: a desktop, a taskbar and overlapping windows with title bars, buttons and
// lines of text drawn as glyph-sized rectangles. Flat colours and sharp edges.
VImage ScreenLike(int width, int height, int seed) {
    std::mt19937 random(unsigned(seed) * 40503u + 17u);
    auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto colour = [&](int low, int high) {
        return std::vector<double>{double(uniform(low, high)), double(uniform(low, high)),
                                   double(uniform(low, high))};
    };
    const VImage canvas =
        VImage::black(width, height, VImage::option()->set("bands", 3))
            .cast(VIPS_FORMAT_UCHAR)
            .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
            .copy_memory();
    auto rect = [&](const std::vector<double>& ink, int left, int top, int w, int h) {
        left = std::clamp(left, 0, width - 1);
        top = std::clamp(top, 0, height - 1);
        w = std::min(w, width - left);
        h = std::min(h, height - top);
        if (w <= 0 || h <= 0) return;
        canvas.draw_rect(ink, left, top, w, h, VImage::option()->set("fill", true));
    };

    rect(colour(20, 120), 0, 0, width, height);     // desktop
    rect({40, 44, 52}, 0, height - 40, width, 40);  // taskbar
    for (int i = 0; i < 8; ++i) rect(colour(60, 230), 8 + 48 * i, height - 34, 28, 28);

    const int windows = uniform(2, 4);
    for (int i = 0; i < windows; ++i) {
        const int w = uniform(width / 3, width * 2 / 3);
        const int h = uniform(height / 3, height * 2 / 3);
        const int left = uniform(0, width - w);
        const int top = uniform(0, height - 40 - h);
        rect({90, 90, 90}, left - 1, top - 1, w + 2, h + 2);  // frame
        rect(colour(30, 200), left, top, w, 30);              // title bar
        for (int b = 0; b < 3; ++b) rect({230, 230, 230}, left + w - 26 - 28 * b, top + 7, 16, 16);
        rect({250, 250, 250}, left, top + 30, w, h - 30);  // client area
        int sidebar = 0;
        if (uniform(0, 1) == 1) {
            sidebar = w / 5;
            rect({236, 238, 242}, left, top + 30, sidebar, h - 30);
        }
        const std::vector<double> ink = colour(0, 60);
        for (int line = top + 44; line + 10 < top + h - 8; line += 18) {
            int pen = left + sidebar + 12;
            const int end = left + w - 12 - uniform(0, w / 3);
            while (pen < end) {
                const int letters = uniform(1, 9);
                for (int k = 0; k < letters && pen < end; ++k) {
                    const int glyph = uniform(3, 7);
                    const bool tall = uniform(0, 3) == 0;
                    rect(ink, pen, line + (tall ? 0 : 3), glyph, tall ? 10 : 7);
                    pen += glyph + 2;
                }
                pen += 6;  // a space
            }
        }
    }
    return canvas;
}

void PutLittleEndian(QByteArray& bytes, qsizetype at, quint32 value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

quint32 GetLittleEndian(const QByteArray& bytes, qsizetype at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

constexpr int kBmpHeaderSize = 14 + 40;  // the file header and the info header

int BmpStride(int width) {
    return (width * 3 + 3) & ~3;
}

// A 24-bit BMP, written here since libvips writes BMP only through ImageMagick: the file
// header, the info header, then the rows bottom-up in BGR order, each padded to four bytes.
QByteArray EncodeBmp(const VImage& image) {
    const VImage rgb = Srgb(image);
    const int width = rgb.width();
    const int height = rgb.height();
    size_t size = 0;
    const std::unique_ptr<uchar, decltype(&g_free)> pixels(
        static_cast<uchar*>(rgb.write_to_memory(&size)), &g_free);
    const int stride = BmpStride(width);
    const quint32 dataSize = quint32(stride) * quint32(height);
    QByteArray bytes(kBmpHeaderSize + qsizetype(dataSize), '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 2, kBmpHeaderSize + dataSize, 4);
    PutLittleEndian(bytes, 10, kBmpHeaderSize, 4);  // where the pixels start
    PutLittleEndian(bytes, 14, 40, 4);
    PutLittleEndian(bytes, 18, quint32(width), 4);
    PutLittleEndian(bytes, 22, quint32(height), 4);  // positive: bottom-up
    PutLittleEndian(bytes, 26, 1, 2);                // planes
    PutLittleEndian(bytes, 28, 24, 2);               // bits per pixel
    PutLittleEndian(bytes, 34, dataSize, 4);         // no compression (0 at 30)
    PutLittleEndian(bytes, 38, 2835, 4);             // 72 dpi in pixels per metre
    PutLittleEndian(bytes, 42, 2835, 4);
    for (int y = 0; y < height; ++y) {
        const uchar* from = pixels.get() + size_t(height - 1 - y) * size_t(width) * 3;
        char* to = bytes.data() + kBmpHeaderSize + qsizetype(y) * stride;
        for (int x = 0; x < width; ++x) {
            to[3 * x] = char(from[3 * x + 2]);
            to[3 * x + 1] = char(from[3 * x + 1]);
            to[3 * x + 2] = char(from[3 * x]);
        }
    }
    return bytes;
}

// Reads a file written by EncodeBmp (uncompressed, 24 bits) straight into memory: the floor
// for a BMP, which libvips itself can read only through ImageMagick.
VImage LoadBmp(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kBmpHeaderSize || bytes[0] != 'B' || bytes[1] != 'M' ||
        GetLittleEndian(bytes, 28, 2) != 24 || GetLittleEndian(bytes, 30, 4) != 0) {
        throw std::runtime_error(path.toStdString() + " is not an uncompressed 24-bit BMP");
    }
    const qsizetype offset = GetLittleEndian(bytes, 10, 4);
    const int width = int(GetLittleEndian(bytes, 18, 4));
    const int rawHeight = int(GetLittleEndian(bytes, 22, 4));
    const bool bottomUp = rawHeight > 0;
    const int height = std::abs(rawHeight);
    const int stride = BmpStride(width);
    if (width <= 0 || height == 0 || bytes.size() < offset + qsizetype(stride) * height) {
        throw std::runtime_error(path.toStdString() + " is truncated");
    }
    std::vector<uchar> rgb(size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const uchar* from = reinterpret_cast<const uchar*>(bytes.constData()) + offset +
                            qsizetype(bottomUp ? height - 1 - y : y) * stride;
        uchar* to = rgb.data() + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    VipsImage* image = vips_image_new_from_memory_copy(rgb.data(), rgb.size(), width, height, 3,
                                                       VIPS_FORMAT_UCHAR);
    if (image == nullptr) throw vips::VError();
    return VImage(image).copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

int MakeCorpus(const QString& dir, const Layout& layout) {
    if (!QDir().mkpath(dir)) throw std::runtime_error("cannot create " + dir.toStdString());
    // Making the corpus is not measured: let it use every core.
    vips_concurrency_set(0);
    int made = 0;
    const auto start = Clock::now();
    int number = 0;
    for (const Input& input : CorpusFiles(dir, layout)) {
        ++number;
        if (QFileInfo::exists(input.path)) continue;
        const int seed = number;
        switch (input.kind) {
            case Kind::Photo:
            case Kind::Portrait: {
                const bool portrait = input.kind == Kind::Portrait;
                const VImage image =
                    PhotoLike(portrait ? 3000 : 4000, portrait ? 4000 : 3000, seed);
                MakeFile(input.path, [&](const QString& name) {
                    image.jpegsave(QFile::encodeName(name).constData(),
                                   VImage::option()->set("Q", 90)->set("strip", true));
                });
                break;
            }
            case Kind::Screen: {
                const VImage image = ScreenLike(1920, 1080, seed);
                MakeFile(input.path, [&](const QString& name) {
                    image.pngsave(QFile::encodeName(name).constData(),
                                  VImage::option()->set("strip", true));
                });
                break;
            }
            case Kind::Bitmap: {
                const VImage image = PhotoLike(2000, 1500, seed);
                MakeFile(input.path,
                         [&](const QString& name) { WriteFile(name, EncodeBmp(image)); });
                break;
            }
            case Kind::Scan: {
                // Uncompressed, as a scanner writes it.
                const VImage image = PhotoLike(2400, 1800, seed);
                MakeFile(input.path, [&](const QString& name) {
                    image.tiffsave(QFile::encodeName(name).constData(),
                                   VImage::option()->set("strip", true));
                });
                break;
            }
        }
        ++made;
    }
    if (made > 0) {
        std::printf("corpus: made %d files in %s (%.2f s)\n", made, qPrintable(dir),
                    Seconds(start));
    } else {
        std::printf("corpus: %s is complete\n", qPrintable(dir));
    }
    return 0;
}

// ---- timing ----

std::vector<Input> ExistingCorpus(const QString& dir, const Layout& layout) {
    std::vector<Input> files = CorpusFiles(dir, layout);
    for (const Input& input : files) {
        if (!QFileInfo::exists(input.path)) {
            throw std::runtime_error(input.path.toStdString() +
                                     " is missing; make the corpus first (pipeline_bench corpus "
                                     "or batch-corpus)");
        }
    }
    return files;
}

// The corpus DIR holds: the batch corpus has BMP files, the other none.
std::vector<Input> EitherCorpus(const QString& dir) {
    const bool batch = QFileInfo::exists(CorpusFiles(dir, kBatchCorpus).front().path);
    return ExistingCorpus(dir, batch ? kBatchCorpus : kPipelineCorpus);
}

// Runs convert over every input kRuns times and prints images per second: per kind (its best
// pass) and overall (the best pass).
void TimePasses(const char* title, const std::vector<Input>& inputs,
                const std::function<void(const Input&, int)>& convert) {
    std::array<double, kKinds.size()> bestKind;
    bestKind.fill(std::numeric_limits<double>::infinity());
    std::array<int, kKinds.size()> count{};
    for (const Input& input : inputs) ++count[size_t(input.kind)];
    double bestTotal = std::numeric_limits<double>::infinity();
    for (int run = 0; run < kRuns; ++run) {
        std::array<double, kKinds.size()> kindTime{};
        double total = 0;
        int number = 0;
        for (const Input& input : inputs) {
            const auto start = Clock::now();
            convert(input, ++number);
            const double seconds = Seconds(start);
            kindTime[size_t(input.kind)] += seconds;
            total += seconds;
        }
        for (size_t k = 0; k < kKinds.size(); ++k) bestKind[k] = std::min(bestKind[k], kindTime[k]);
        bestTotal = std::min(bestTotal, total);
    }
    std::printf("%s: %zu images, best of %d passes, one thread\n", title, inputs.size(), kRuns);
    for (size_t k = 0; k < kKinds.size(); ++k) {
        if (count[k] == 0) continue;
        std::printf("  %-26s %3d images %8.2f images/s %8.2f ms/image\n", KindName(kKinds[k]),
                    count[k], count[k] / bestKind[k], 1000.0 * bestKind[k] / count[k]);
    }
    std::printf("  %-26s %3zu images %8.2f images/s %8.2f ms/image\n", "overall", inputs.size(),
                double(inputs.size()) / bestTotal, 1000.0 * bestTotal / double(inputs.size()));
}

// ---- our pipeline ----

// One conversion, as a convert worker runs it, with the worker's pair of instances.
void Convert(CLead& work, CLead& scratch, const QString& in, const QString& out,
             const FrameFill& fill) {
    work.LoadImage(in);
    FillExifSlots(work, QDateTime::currentDateTime());
    if (!FitToOutputSize(work, scratch, kSizeIndex, fill)) {
        throw std::runtime_error("cannot fit " + in.toStdString());
    }
    work.SetResolutionX(imaging::kOutputDpi);
    work.SetResolutionY(imaging::kOutputDpi);
    const QByteArray bytes = work.SaveImageWithThumbnailToMemory(
        imaging::kFormatJpegExif, 0, imaging::QualityFactor(5), imaging::kThumbnailWidth,
        imaging::kThumbnailHeight, fill);
    WriteFile(out, bytes);
}

int RunPipeline(const QString& dir, const QString& outDir, const FrameFill& fill) {
    const std::vector<Input> inputs = ExistingCorpus(dir, kPipelineCorpus);
    if (!QDir().mkpath(outDir)) throw std::runtime_error("cannot create " + outDir.toStdString());
    CLead work;
    CLead scratch;
    const std::string title = "ours, fill " + FrameFillName(fill).toStdString();
    TimePasses(title.c_str(), inputs, [&](const Input& input, int number) {
        Convert(work, scratch, input.path, OutputName(outDir, number), fill);
    });
    return 0;
}

// ---- the floor ----

struct Fitted {
    int width;
    int height;
};

Fitted FitInto(int width, int height) {
    const imaging::OutputSize size = imaging::kSizeTable.at(kSizeIndex);
    const double scale = std::min(double(size.width) / width, double(size.height) / height);
    return {std::max(1, int(std::lround(width * scale))),
            std::max(1, int(std::lround(height * scale)))};
}

// The largest JPEG decoder scale (1/1 to 1/8) whose picture is still at least fitted.
int ShrinkOnLoad(int width, int height, Fitted fitted) {
    for (int factor : {8, 4, 2}) {
        if ((width + factor - 1) / factor >= fitted.width &&
            (height + factor - 1) / factor >= fitted.height) {
            return factor;
        }
    }
    return 1;
}

// Decoded whole, as only a JPEG can be decoded at a reduced size.
VImage LoadWhole(const Input& input) {
    const QByteArray name = QFile::encodeName(input.path);
    switch (input.kind) {
        case Kind::Screen:
            return VImage::pngload(name.constData(),
                                   VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        case Kind::Scan:
            return VImage::tiffload(name.constData(),
                                    VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        case Kind::Bitmap:
            return LoadBmp(input.path);
        case Kind::Photo:
        case Kind::Portrait:
            break;
    }
    return VImage::jpegload(name.constData(),
                            VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
}

bool IsJpegFile(const Input& input) {
    return input.kind == Kind::Photo || input.kind == Kind::Portrait;
}

VImage LoadReduced(const Input& input, Fitted* fitted) {
    const QByteArray name = QFile::encodeName(input.path);
    if (!IsJpegFile(input)) {
        const VImage image = LoadWhole(input);
        *fitted = FitInto(image.width(), image.height());
        return image;
    }
    const VImage header = VImage::jpegload(name.constData());
    *fitted = FitInto(header.width(), header.height());
    return VImage::jpegload(
        name.constData(),
        VImage::option()
            ->set("access", VIPS_ACCESS_SEQUENTIAL)
            ->set("shrink", ShrinkOnLoad(header.width(), header.height(), *fitted)));
}

// A bilinear resize to exactly the fitted size, centred on black.
VImage ResizeAndFrame(const VImage& image, Fitted fitted) {
    VImage small = image.resize(double(fitted.width) / image.width(),
                                VImage::option()
                                    ->set("vscale", double(fitted.height) / image.height())
                                    ->set("kernel", VIPS_KERNEL_LINEAR));
    const imaging::OutputSize size = imaging::kSizeTable.at(kSizeIndex);
    return small.gravity(VIPS_COMPASS_DIRECTION_CENTRE, size.width, size.height,
                         VImage::option()->set("extend", VIPS_EXTEND_BLACK));
}

void FloorOne(const Input& input, const QString& out) {
    Fitted fitted{};
    const VImage reduced = LoadReduced(input, &fitted);
    // The same JPEG encoder our pipeline uses, without the Exif block.
    WriteFile(out, EncodeJpeg(ResizeAndFrame(reduced, fitted),
                              imaging::JpegQuality(imaging::QualityFactor(5))));
}

int RunFloor(const QString& dir, const QString& outDir) {
    const std::vector<Input> inputs = ExistingCorpus(dir, kPipelineCorpus);
    if (!QDir().mkpath(outDir)) throw std::runtime_error("cannot create " + outDir.toStdString());
    TimePasses("floor", inputs, [&](const Input& input, int number) {
        FloorOne(input, OutputName(outDir, number));
    });
    return 0;
}

// The floor on two threads over the batch corpus. Each thread takes the next image of the list
// as it finishes one, so neither waits while the other still has work; libvips is thread-safe
// and each thread makes its own images. Per kind, the time a thread spent on an image, summed
// (so about twice the wall time when both are busy); overall, images per second of wall time;
// then the processor time of both threads, which other work on the machine disturbs less.
int RunFloorTwoThreads(const QString& dir, const QString& outDir) {
    const std::vector<Input> inputs = ExistingCorpus(dir, kBatchCorpus);
    if (!QDir().mkpath(outDir)) throw std::runtime_error("cannot create " + outDir.toStdString());
    std::array<double, kKinds.size()> bestKind;
    bestKind.fill(std::numeric_limits<double>::infinity());
    std::array<int, kKinds.size()> count{};
    for (const Input& input : inputs) ++count[size_t(input.kind)];
    double bestWall = std::numeric_limits<double>::infinity();
    double bestCpu = std::numeric_limits<double>::infinity();
    for (int run = 0; run < kRuns; ++run) {
        std::atomic<size_t> next{0};
        std::mutex mutex;
        std::array<double, kKinds.size()> kindTime{};
        std::exception_ptr failure;
        auto worker = [&] {
            std::array<double, kKinds.size()> own{};
            try {
                for (size_t i = next++; i < inputs.size(); i = next++) {
                    const auto start = Clock::now();
                    FloorOne(inputs[i], OutputName(outDir, int(i) + 1));
                    own[size_t(inputs[i].kind)] += Seconds(start);
                }
            } catch (...) {
                next = inputs.size();  // the other thread stops too
                const std::lock_guard lock(mutex);
                failure = std::current_exception();
            }
            const std::lock_guard lock(mutex);
            for (size_t k = 0; k < kKinds.size(); ++k) kindTime[k] += own[k];
        };
        const auto start = Clock::now();
        const double cpuStart = ProcessorSeconds();
        std::vector<std::thread> threads;
        for (int t = 0; t < kFloorThreads; ++t) threads.emplace_back(worker);
        for (std::thread& thread : threads) thread.join();
        const double wall = Seconds(start);
        bestCpu = std::min(bestCpu, ProcessorSeconds() - cpuStart);
        if (failure) std::rethrow_exception(failure);
        for (size_t k = 0; k < kKinds.size(); ++k) bestKind[k] = std::min(bestKind[k], kindTime[k]);
        bestWall = std::min(bestWall, wall);
    }
    std::printf("floor, %d threads: %zu images, best of %d passes\n", kFloorThreads, inputs.size(),
                kRuns);
    for (size_t k = 0; k < kKinds.size(); ++k) {
        if (count[k] == 0) continue;
        std::printf("  %-26s %3d images %8.2f ms/image on one thread\n", KindName(kKinds[k]),
                    count[k], 1000.0 * bestKind[k] / count[k]);
    }
    std::printf("  %-26s %3zu images %8.2f images/s %8.2f ms/image\n", "overall", inputs.size(),
                double(inputs.size()) / bestWall, 1000.0 * bestWall / double(inputs.size()));
    std::printf("  %-26s %3zu images %8.2f ms/image\n", "processor time", inputs.size(),
                1000.0 * bestCpu / double(inputs.size()));
    return 0;
}

// ---- where the time goes ----

// The conversion split into its parts, each run on its own, with the pipeline's own encoders.
// The decode and resize are timed through to memory, since the library computes lazily. The
// bilinear resize and the box-filter thumbnail are there for comparison.
int RunSteps(const QString& dir) {
    const std::vector<Input> inputs = EitherCorpus(dir);
    const imaging::OutputSize size = imaging::kSizeTable.at(kSizeIndex);
    const int thumbWidth = imaging::kThumbnailWidth;
    const int thumbHeight = imaging::kThumbnailHeight;
    const std::vector<const char*> names = {
        "whole conversion, in memory", "  LoadImage + FitToOutputSize",
        "  SaveImageWithThumbnail...", "decode at the reduced size",
        "decode + Lanczos3 + frame",   "decode + bilinear + frame",
        "encode 800x600 Q98",          "thumbnail (EncodeThumbnail)",
        "  its Lanczos3 resize",       "  a box shrink instead",
        "Exif block + splice",
    };
    for (Kind kind : kKinds) {
        std::vector<Input> ofKind;
        for (const Input& input : inputs) {
            if (input.kind == kind) ofKind.push_back(input);
        }
        if (ofKind.empty()) continue;
        std::vector<double> best(names.size(), std::numeric_limits<double>::infinity());
        CLead work;
        CLead scratch;
        for (int run = 0; run < kRuns; ++run) {
            std::vector<double> sum(names.size(), 0.0);
            for (const Input& input : ofKind) {
                size_t step = 0;
                auto start = Clock::now();
                // Times one part; returns what it made.
                auto part = [&](auto&& work) {
                    start = Clock::now();
                    auto made = work();
                    sum[step++] += Seconds(start);
                    return made;
                };

                const auto whole = Clock::now();
                step = 1;
                part([&] {
                    work.LoadImage(input.path);
                    FillExifSlots(work, QDateTime::currentDateTime());
                    return FitToOutputSize(work, scratch, kSizeIndex);
                });
                part([&] {
                    return work.SaveImageWithThumbnailToMemory(imaging::kFormatJpegExif, 0,
                                                               imaging::QualityFactor(5),
                                                               thumbWidth, thumbHeight);
                });
                sum[0] += Seconds(whole);

                Fitted fitted{};
                part([&] { return LoadReduced(input, &fitted).copy_memory(); });
                auto fit = [&](VipsKernel kernel) {
                    const VImage reduced = LoadReduced(input, &fitted);
                    return reduced
                        .resize(double(fitted.width) / reduced.width(),
                                VImage::option()
                                    ->set("vscale", double(fitted.height) / reduced.height())
                                    ->set("kernel", kernel))
                        .gravity(VIPS_COMPASS_DIRECTION_CENTRE, size.width, size.height,
                                 VImage::option()->set("extend", VIPS_EXTEND_BLACK))
                        .copy_memory();
                };
                const VImage framed = part([&] { return fit(VIPS_KERNEL_LANCZOS3); });
                part([&] { return fit(VIPS_KERNEL_LINEAR); });
                const QByteArray jpeg =
                    part([&] { return EncodeJpeg(framed, imaging::JpegQuality(2)); });
                const QByteArray thumb =
                    part([&] { return EncodeThumbnail(framed, thumbWidth, thumbHeight); });
                part([&] {
                    return framed
                        .resize(double(thumbWidth) / framed.width(),
                                VImage::option()
                                    ->set("vscale", double(thumbHeight) / framed.height())
                                    ->set("kernel", VIPS_KERNEL_LANCZOS3))
                        .copy_memory();
                });
                part([&] {
                    return framed
                        .shrink(double(framed.width()) / thumbWidth,
                                double(framed.height()) / thumbHeight)
                        .copy_memory();
                });
                part([&] {
                    ExifFields fields;
                    fields.make = work.Comment(imaging::kSlotMake);
                    fields.model = work.Comment(imaging::kSlotModel);
                    fields.dateTime = work.Comment(imaging::kSlotDateTime);
                    fields.dateTimeDigitized = work.Comment(imaging::kSlotDateTimeDigitized);
                    fields.flashpixVersion = work.Comment(imaging::kSlotFlashpixVersion);
                    fields.interopIndex = work.Comment(imaging::kSlotInteropIndex);
                    fields.interopVersion = work.Comment(imaging::kSlotInteropVersion);
                    fields.pixelWidth = framed.width();
                    fields.pixelHeight = framed.height();
                    return SpliceExif(jpeg, BuildExifPayload(fields, thumb));
                });
            }
            for (size_t s = 0; s < names.size(); ++s) best[s] = std::min(best[s], sum[s]);
        }
        std::printf("steps, %s: ms per image, best of %d passes\n", KindName(kind), kRuns);
        for (size_t s = 0; s < names.size(); ++s) {
            std::printf("  %-32s %8.2f\n", names[s], 1000.0 * best[s] / double(ofKind.size()));
        }
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: pipeline_bench corpus DIR\n"
                 "       pipeline_bench run DIR OUT [black|blur|#RRGGBB]\n"
                 "       pipeline_bench floor DIR OUT\n"
                 "       pipeline_bench steps DIR\n"
                 "       pipeline_bench batch-corpus DIR\n"
                 "       pipeline_bench floor2 DIR OUT\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartImaging(argv[0])) {
        std::fprintf(stderr, "pipeline_bench: libvips did not start\n");
        return 1;
    }
    if (argc < 3) return Usage();
    const QString command = QString::fromLocal8Bit(argv[1]);
    const QString dir = QString::fromLocal8Bit(argv[2]);
    const QString out = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    try {
        if (command == QLatin1String("corpus") && argc == 3) {
            return MakeCorpus(dir, kPipelineCorpus);
        }
        if (command == QLatin1String("batch-corpus") && argc == 3) {
            return MakeCorpus(dir, kBatchCorpus);
        }
        if (command == QLatin1String("floor2") && argc == 4) return RunFloorTwoThreads(dir, out);
        if (command == QLatin1String("run") && (argc == 4 || argc == 5)) {
            const std::optional<FrameFill> fill =
                ParseFrameFill(argc == 5 ? QString::fromLocal8Bit(argv[4]) : "black");
            if (fill) return RunPipeline(dir, out, *fill);
        }
        if (command == QLatin1String("floor") && argc == 4) return RunFloor(dir, out);
        if (command == QLatin1String("steps") && argc == 3) return RunSteps(dir);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "pipeline_bench: %s\n", error.what());
        return 1;
    }
    return Usage();
}
