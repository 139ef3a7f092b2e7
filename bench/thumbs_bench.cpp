// The thumbnail grid under load: imports into a shown CThumbView through ImageLoader, the way
// the window does, and measures how long the imports and the thumbnails take, how much memory
// the process holds and how long the GUI thread is kept from its event loop.
//
//   thumbs_bench corpus DIR               makes the photo and camera corpus in DIR (files there
//                                         are kept)
//   thumbs_bench photos DIR [OPTIONS]     imports the 1,000 photos of DIR and waits for every
//                                         thumbnail
//   thumbs_bench camera DIR [OPTIONS]     the same for the 1,000 camera files of DIR: the
//                                         photos again, each with an Exif block that holds a
//                                         160 x 120 thumbnail, one in four turned upright by
//                                         orientation 6
//   thumbs_bench many [--size WxH] [OPTIONS]
//                                         imports 9,999 small images, waits for every thumbnail,
//                                         then scrolls from top to bottom
//
// OPTIONS: --view WxH (the view's size), and two experiments the window does not make:
// --pause-renderer (no thumbnail starts before the import is done) and --nice-workers N (every
// thread but the GUI thread at nice N).
//
// The imports run as the window runs them, its progress window letting the events through
// between files, so the renderer's results and the paints come in between as they would there.
// A 5 ms timer on the GUI thread measures the stalls: the longest gap between two of its ticks,
// less the 5 ms. The work copies go to a temporary folder (thumbs_bench-XXXXXX in the
// temporary directory) that is removed at the end.

#include <libexif/exif-data.h>
#include <libexif/exif-utils.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QScrollBar>
#include <QSet>
#include <QString>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <stdexcept>
#include <vector>
#include <vips/vips8>

#include "bench/BenchPictures.h"
#include "core/WaitWithEvents.h"
#include "core/WorkFolders.h"
#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ExifBlock.h"
#include "imaging/ImageLoader.h"
#include "imaging/ImagingSetup.h"
#include "skin/MessageIds.h"
#include "skin/Prompter.h"
#include "slides/ui/ImportProgressDialog.h"
#include "thumbs/ThumbnailRenderer.h"
#include "thumbs/ui/CThumbView.h"

using vips::VImage;
using namespace benchpictures;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPhotoCount = 1000;
constexpr int kDistinctPhotos = 40;
constexpr int kPhotoWidth = 4000;
constexpr int kPhotoHeight = 3000;
constexpr int kPhotoQuality = 90;
// The camera files: the thumbnail cameras store, and how many of the distinct pictures are
// portraits (stored on their side with orientation 6, as a camera held upright stores them).
constexpr int kCameraThumbnailWidth = 160;
constexpr int kCameraThumbnailHeight = 120;
constexpr int kCameraThumbnailQuality = 85;
constexpr int kCameraPortraitEvery = 4;
// A camera's Exif block carries tens of kilobytes of maker notes beside the thumbnail.
constexpr int kCameraMakerNoteBytes = 24 * 1024;
constexpr int kManyCount = WorkingList::kMaxEntries;
constexpr int kDistinctSmall = 8;
constexpr int kTickMs = 5;

// Goals.
constexpr double kPhotosSeconds = 60;
constexpr double kCameraSeconds = 3;
constexpr double kStallMs = 50;
constexpr double kManyPeakMb = 400;

double Ms(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// A value of /proc/self/status in kB (VmHWM, VmRSS), 0 when it cannot be read.
long StatusKb(const char* key) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toLong();
    }
    return 0;
}

// The CPU time of the calling thread in ms: against the wall time, it tells work from waiting
// (for the disk, or for a core the other threads hold).
double ThreadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// The time the calling thread has spent ready to run but waiting for a core, in ms (the
// second figure of its schedstat); 0 when the kernel does not tell.
double ThreadRunQueueMs() {
    QFile file(QStringLiteral("/proc/thread-self/schedstat"));
    if (!file.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    return fields.size() >= 2 ? fields[1].toDouble() / 1e6 : 0;
}

// The threads of the renderer's pool.
int RenderThreads() {
    return std::max(1, QThread::idealThreadCount());
}

double Mb(long kb) {
    return kb / 1024.0;
}

bool ParseSize(const char* text, QSize* size) {
    const QStringList parts = QString::fromLatin1(text).split(QLatin1Char('x'));
    if (parts.size() != 2) return false;
    bool okWidth = false;
    bool okHeight = false;
    const QSize parsed(parts[0].toInt(&okWidth), parts[1].toInt(&okHeight));
    if (!okWidth || !okHeight || parsed.width() <= 0 || parsed.height() <= 0) return false;
    *size = parsed;
    return true;
}

// How a run is set up. The last two are experiments: the window does neither.
struct Options {
    QSize view{509, 432};        // the view's size in the main window as it opens
    QSize image{160, 120};       // the small images of "many"
    bool pauseRenderer = false;  // no thumbnail starts until the import is done
    int workerNice = 0;          // the niceness given to every thread but the GUI thread
};

// ---- pictures ----

void SaveJpeg(const VImage& image, const QString& path, int quality) {
    image.jpegsave(QFile::encodeName(path).constData(),
                   VImage::option()->set("Q", quality)->set("strip", true));
}

// ---- the photo corpus ----

QString PhotoPath(const QString& dir, int number) {
    return dir + QStringLiteral("/photo_%1.jpg").arg(number, 4, 10, QLatin1Char('0'));
}

QString CameraPath(const QString& dir, int number) {
    return dir + QStringLiteral("/camera_%1.jpg").arg(number, 4, 10, QLatin1Char('0'));
}

bool IsPortrait(int distinct) {
    return distinct % kCameraPortraitEvery == 0;
}

// An entry of the given format and count, added to the directory; libexif owns it afterwards.
ExifEntry* AddEntry(ExifData* data, ExifIfd ifd, ExifTag tag, ExifFormat format, int components) {
    ExifEntry* entry = exif_entry_new();
    entry->tag = tag;
    entry->format = format;
    entry->components = components;
    entry->size = exif_format_get_size(format) * components;
    entry->data = static_cast<unsigned char*>(std::calloc(1, entry->size));
    exif_content_add_entry(data->ifd[ifd], entry);
    exif_entry_unref(entry);
    return entry;
}

// A camera file made from one of the photos: its Exif block, laid out as cameras write it
// (big-endian, make and model, the orientation, the pixel size, a block of maker notes, and
// the thumbnail in IFD1), spliced in front of the photo's own data.
QByteArray CameraFile(const QString& photo, int orientation) {
    const QByteArray name = QFile::encodeName(photo);
    const VImage thumbnail = VImage::thumbnail(
        name.constData(), kCameraThumbnailWidth,
        VImage::option()->set("height", kCameraThumbnailHeight)->set("size", VIPS_SIZE_FORCE));
    void* thumbnailData = nullptr;
    size_t thumbnailSize = 0;
    thumbnail.write_to_buffer(
        ".jpg", &thumbnailData, &thumbnailSize,
        VImage::option()->set("Q", kCameraThumbnailQuality)->set("strip", true));
    const VImage header = VImage::new_from_file(name.constData());

    ExifData* data = exif_data_new();
    exif_data_unset_option(data, EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_set_byte_order(data, EXIF_BYTE_ORDER_MOTOROLA);
    const ExifByteOrder order = EXIF_BYTE_ORDER_MOTOROLA;
    const auto ascii = [&](ExifIfd ifd, ExifTag tag, const char* text) {
        std::memcpy(AddEntry(data, ifd, tag, EXIF_FORMAT_ASCII, int(std::strlen(text)) + 1)->data,
                    text, std::strlen(text) + 1);
    };
    ascii(EXIF_IFD_0, EXIF_TAG_MAKE, "Bench");
    ascii(EXIF_IFD_0, EXIF_TAG_MODEL, "Bench Camera 12");
    exif_set_short(AddEntry(data, EXIF_IFD_0, EXIF_TAG_ORIENTATION, EXIF_FORMAT_SHORT, 1)->data,
                   order, ExifShort(orientation));
    ascii(EXIF_IFD_0, EXIF_TAG_DATE_TIME, "2024:05:01 10:00:00");
    ascii(EXIF_IFD_EXIF, EXIF_TAG_DATE_TIME_ORIGINAL, "2024:05:01 10:00:00");
    exif_set_long(
        AddEntry(data, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_X_DIMENSION, EXIF_FORMAT_LONG, 1)->data, order,
        ExifLong(header.width()));
    exif_set_long(
        AddEntry(data, EXIF_IFD_EXIF, EXIF_TAG_PIXEL_Y_DIMENSION, EXIF_FORMAT_LONG, 1)->data, order,
        ExifLong(header.height()));
    AddEntry(data, EXIF_IFD_EXIF, EXIF_TAG_MAKER_NOTE, EXIF_FORMAT_UNDEFINED,
             kCameraMakerNoteBytes);
    exif_set_short(AddEntry(data, EXIF_IFD_1, EXIF_TAG_COMPRESSION, EXIF_FORMAT_SHORT, 1)->data,
                   order, 6);  // JPEG
    // libexif writes the thumbnail's offset and length, and frees it with free().
    data->data = static_cast<unsigned char*>(std::malloc(thumbnailSize));
    std::memcpy(data->data, thumbnailData, thumbnailSize);
    data->size = unsigned(thumbnailSize);
    g_free(thumbnailData);

    unsigned char* block = nullptr;
    unsigned int blockSize = 0;
    exif_data_save_data(data, &block, &blockSize);
    exif_data_unref(data);
    if (!block) throw std::runtime_error("libexif wrote no Exif block");
    const QByteArray payload(reinterpret_cast<const char*>(block), int(blockSize));
    std::free(block);

    QFile in(photo);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + name.toStdString());
    return SpliceExif(in.readAll(), payload);
}

// photo_0001.jpg to photo_0040.jpg are pictures of their own; every later file is a copy of
// one of them, as its own file.
int MakeCorpus(const QString& dir) {
    if (!QDir().mkpath(dir)) throw std::runtime_error("cannot create " + dir.toStdString());
    // Making the corpus is not measured: let it use every core.
    vips_concurrency_set(0);
    const auto start = Clock::now();
    int made = 0;
    for (int number = 1; number <= kPhotoCount; ++number) {
        const QString path = PhotoPath(dir, number);
        if (QFileInfo::exists(path)) continue;
        if (number <= kDistinctPhotos) {
            const VImage image = PhotoLike(kPhotoWidth, kPhotoHeight, number);
            MakeFile(path, [&](const QString& to) { SaveJpeg(image, to, kPhotoQuality); });
        } else {
            const QString original = PhotoPath(dir, (number - 1) % kDistinctPhotos + 1);
            MakeFile(path, [&](const QString& to) {
                if (!QFile::copy(original, to))
                    throw std::runtime_error("cannot copy " + original.toStdString());
            });
        }
        ++made;
    }
    // camera_0001.jpg to camera_0040.jpg are the photos of those numbers as a camera stores
    // them; every later file is a copy of one of them.
    for (int number = 1; number <= kPhotoCount; ++number) {
        const QString path = CameraPath(dir, number);
        if (QFileInfo::exists(path)) continue;
        const int distinct = (number - 1) % kDistinctPhotos + 1;
        if (number <= kDistinctPhotos) {
            const QByteArray bytes =
                CameraFile(PhotoPath(dir, number), IsPortrait(distinct) ? 6 : 1);
            MakeFile(path, [&](const QString& to) {
                QFile out(to);
                if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
                    throw std::runtime_error("cannot write " + to.toStdString());
            });
        } else {
            const QString original = CameraPath(dir, distinct);
            MakeFile(path, [&](const QString& to) {
                if (!QFile::copy(original, to))
                    throw std::runtime_error("cannot copy " + original.toStdString());
            });
        }
        ++made;
    }
    if (made > 0) {
        std::printf("corpus: made %d files in %s (%.1f s)\n", made, qPrintable(dir),
                    Seconds(start));
    } else {
        std::printf("corpus: %s is complete\n", qPrintable(dir));
    }
    return 0;
}

// ---- the harness ----

// Answers every question with OK and counts the messages: an import that is refused shows as
// a message, and a run with any is not a valid measurement.
class CountingPrompter : public Prompter {
public:
    void Info(int id, const QString& argument) override {
        ++messages;
        if (messages <= 3) std::fprintf(stderr, "message %d: %s\n", id, qPrintable(argument));
    }
    bool Confirm(int, const QString&) override { return true; }
    int Overwrite(const QString&, bool) override { return overwrite::Cancel; }
    void Plain(const QString& text) override {
        ++messages;
        if (messages <= 3) std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }

    int messages = 0;
};

// The GUI thread's stalls: a 5 ms timer whose gaps between ticks, less the 5 ms, are charged
// to the phase that is current when the late tick arrives.
class StallMeter {
public:
    enum Phase { None, Import, Render, PhaseCount };

    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(kTickMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }

    void Start(Phase phase) {
        phase_ = phase;
        last_ = Clock::now();
        timer_.start();
    }
    void SetPhase(Phase phase) { phase_ = phase; }
    void Stop() {
        Tick();
        timer_.stop();
        phase_ = None;
    }

    double longest(Phase phase) const { return longest_[phase]; }
    int over16(Phase phase) const { return over16_[phase]; }
    int over50(Phase phase) const { return over50_[phase]; }
    int ticks(Phase phase) const { return ticks_[phase]; }

private:
    void Tick() {
        const auto now = Clock::now();
        const double stall = std::max(0.0, Ms(now - last_) - kTickMs);
        last_ = now;
        ++ticks_[phase_];
        longest_[phase_] = std::max(longest_[phase_], stall);
        if (stall > 16) ++over16_[phase_];
        if (stall > 50) ++over50_[phase_];
    }

    QTimer timer_;
    Phase phase_ = None;
    Clock::time_point last_;
    std::array<double, PhaseCount> longest_{};
    std::array<int, PhaseCount> over16_{};
    std::array<int, PhaseCount> over50_{};
    std::array<int, PhaseCount> ticks_{};
};

// The paints of a widget: how many, and the time spent in them. The filter delivers each
// paint event itself, inside the paint the widget's repaint manager has set up, to time it.
class PaintMeter : public QObject {
public:
    explicit PaintMeter(QWidget* widget) : widget_(widget) { widget_->installEventFilter(this); }
    ~PaintMeter() override { widget_->removeEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || inside_) return QObject::eventFilter(watched, event);
        inside_ = true;
        const auto start = Clock::now();
        QCoreApplication::sendEvent(watched, event);
        const double ms = Ms(Clock::now() - start);
        inside_ = false;
        ++paints;
        totalMs += ms;
        longestMs = std::max(longestMs, ms);
        return true;
    }

    int paints = 0;
    double totalMs = 0;
    double longestMs = 0;

private:
    QWidget* widget_;
    bool inside_ = false;
};

// Gives every thread of the process but the calling one a niceness, including threads that
// start later (it looks every 20 ms while it lives): the GUI thread then comes before the
// renderer's threads when both want a core.
class WorkerNicer {
public:
    explicit WorkerNicer(int nice) : nice_(nice), gui_(gettid()) {
        if (nice_ == 0) return;
        QObject::connect(&timer_, &QTimer::timeout, [this] { Renice(); });
        timer_.start(20);
        Renice();
    }

private:
    void Renice() {
        const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs);
        for (const QString& task : tasks) {
            bool ok = false;
            const pid_t tid = pid_t(task.toInt(&ok));
            if (!ok || tid == gui_ || done_.contains(tid)) continue;
            setpriority(PRIO_PROCESS, id_t(tid), nice_);
            done_.insert(tid);
        }
    }

    int nice_;
    pid_t gui_;
    QSet<pid_t> done_;
    QTimer timer_;
};

struct ImportFigures {
    double importSeconds = 0;       // the import, progress window and layout included
    double allRenderedSeconds = 0;  // the import's start until the renderer is idle
    double addImageTotalMs = 0;
    double addImageLongestMs = 0;
    double addImageCpuMs = 0;   // the GUI thread's CPU time in AddImage
    double addImageWaitMs = 0;  // and its time waiting for a core
    int added = 0;
    int rendered = 0;
    int failed = 0;  // entries whose file could not be decoded
    int paints = 0;  // of the viewport, import start until idle
    double paintMs = 0;
    double longestPaintMs = 0;
};

// Runs the events until the renderer has nothing left to do.
void WaitUntilRendered(ThumbnailRenderer& renderer) {
    if (renderer.idle()) return;
    QEventLoop loop;
    const QMetaObject::Connection done =
        QObject::connect(&renderer, &ThumbnailRenderer::allRendered, [&] {
            if (renderer.idle()) loop.quit();
        });
    loop.exec();
    QObject::disconnect(done);
}

// A shown view over a working list, with the loader that fills it and a private work folder.
class Session {
public:
    explicit Session(const Options& options)
        : folder_(QDir::tempPath() + QStringLiteral("/thumbs_bench-XXXXXX")),
          loader_(list_, prompter_, folder_.path() + QStringLiteral("/work")),
          view_(list_, prompter_),
          options_(options) {
        if (!folder_.isValid()) throw std::runtime_error("cannot create a temporary folder");
        // As the window does: work copies on a worker while the events keep running.
        loader_.SetRunner(
            [](const std::function<ImageLoader::Examined()>& work) { return RunWithEvents(work); });
        view_.resize(options.view);
        view_.show();
        QApplication::processEvents();
    }

    QString folder() const { return folder_.path(); }
    CThumbView& view() { return view_; }
    WorkingList& list() { return list_; }
    int messages() const { return prompter_.messages; }

    // Imports the files the way the window imports files picked by name: a progress window
    // that lets the events through before each file, the free-space check and AddImage per
    // file, then the view laid out for the batch. Returns once every thumbnail is made.
    ImportFigures ImportAll(const QStringList& files, StallMeter& meter) {
        ImportFigures figures;
        ThumbnailRenderer& renderer = view_.renderer();
        const WorkSpace workSpace(QDir::tempPath());
        PaintMeter paints(view_.viewport());
        const WorkerNicer nicer(options_.workerNice);

        meter.Start(StallMeter::Import);
        if (options_.pauseRenderer) view_.PauseRenderer();
        const auto start = Clock::now();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ImportProgressDialog progress(msg::LoadingTitle, &view_);
        progress.Start(int(files.size()));
        progress.show();
        list_.setListFull(false);
        for (const QString& file : files) {
            if (!workSpace.CheckWorkSpace(prompter_)) break;
            if (progress.CancelRequested()) break;
            progress.StepIt();
            const auto before = Clock::now();
            const double cpu = ThreadCpuMs();
            const double wait = ThreadRunQueueMs();
            figures.added += loader_.AddImage(file, 0, 0);
            figures.addImageCpuMs += ThreadCpuMs() - cpu;
            figures.addImageWaitMs += ThreadRunQueueMs() - wait;
            const double ms = Ms(Clock::now() - before);
            figures.addImageTotalMs += ms;
            figures.addImageLongestMs = std::max(figures.addImageLongestMs, ms);
            if (list_.listFull()) break;
        }
        progress.hide();
        QApplication::restoreOverrideCursor();
        view_.Relayout(true);
        figures.importSeconds = Seconds(start);
        if (options_.pauseRenderer) view_.ResumeRenderer();

        meter.SetPhase(StallMeter::Render);
        WaitUntilRendered(renderer);
        figures.allRenderedSeconds = Seconds(start);
        meter.Stop();
        figures.paints = paints.paints;
        figures.paintMs = paints.totalMs;
        figures.longestPaintMs = paints.longestMs;

        for (const ImageEntry& entry : list_.entries()) {
            if (entry.rendered) ++figures.rendered;
            if (entry.rendered && entry.thumbnail.isNull()) ++figures.failed;
        }
        return figures;
    }

    // Every thumbnail made once more by the view's renderer, from the work copies the import
    // left (in the page cache by now), with nothing else running: the renderer's own time
    // for the whole list, in seconds.
    double RenderAllAgain() {
        QList<ImageEntry> entries = list_.entries();
        for (ImageEntry& entry : entries) {
            entry.rendered = false;
            entry.thumbnail = QImage();
        }
        const auto start = Clock::now();
        list_.ReplaceEntries(entries);
        WaitUntilRendered(view_.renderer());
        return Seconds(start);
    }

    // The bytes of pixels the thumbnails hold.
    qint64 ThumbnailBytes() const {
        qint64 bytes = 0;
        for (const ImageEntry& entry : list_.entries()) bytes += entry.thumbnail.sizeInBytes();
        return bytes;
    }

private:
    QTemporaryDir folder_;
    WorkingList list_;
    CountingPrompter prompter_;
    ImageLoader loader_;
    CThumbView view_;
    Options options_;
};

void CheckImport(const ImportFigures& figures, int expected, const Session& session) {
    if (figures.added != expected || figures.rendered != expected || figures.failed != 0 ||
        session.messages() != 0) {
        throw std::runtime_error(
            QStringLiteral("%1 of %2 images imported, %3 rendered, %4 not decoded, %5 messages")
                .arg(figures.added)
                .arg(expected)
                .arg(figures.rendered)
                .arg(figures.failed)
                .arg(session.messages())
                .toStdString());
    }
}

// Where a call of AddImage during the import spent its time: on the CPU, waiting for a core
// (the render threads and anything else on the machine hold them), or blocked (the disk).
void PrintAddImage(const ImportFigures& figures, int count) {
    const double wall = figures.addImageTotalMs / count;
    const double cpu = figures.addImageCpuMs / count;
    const double wait = figures.addImageWaitMs / count;
    std::printf(
        "  %-34s %8.2f ms  (%.2f on the CPU, %.2f waiting for a core, %.2f blocked; longest %.1f "
        "ms)\n",
        "  AddImage, per call", wall, cpu, wait, std::max(0.0, wall - cpu - wait),
        figures.addImageLongestMs);
}

// The experiments in effect, if any.
void PrintExperiments(const Options& options) {
    if (options.pauseRenderer) std::printf("  experiment: the renderer paused during the import\n");
    if (options.workerNice != 0) {
        std::printf("  experiment: every thread but the GUI thread at nice %d\n",
                    options.workerNice);
    }
}

void PrintPaints(const ImportFigures& figures) {
    std::printf("  %-34s %8.2f s   (%d paints of the view, %.2f ms each, longest %.1f ms)\n",
                "painting, import start to idle", figures.paintMs / 1000.0, figures.paints,
                figures.paints > 0 ? figures.paintMs / figures.paints : 0.0,
                figures.longestPaintMs);
}

void PrintStalls(const StallMeter& meter) {
    const auto line = [&](const char* title, StallMeter::Phase phase) {
        std::printf("  %-34s %8.1f ms  (%d ticks; gaps over 16 ms: %d, over 50 ms: %d)\n", title,
                    meter.longest(phase), meter.ticks(phase), meter.over16(phase),
                    meter.over50(phase));
    };
    line("longest stall, importing", StallMeter::Import);
    line("longest stall, import to idle", StallMeter::Render);
}

// ThumbnailRenderer::Render alone, one call after another on one thread: the mean and the
// longest call in ms.
struct RenderTimes {
    double meanMs = 0;
    double longestMs = 0;
};

RenderTimes TimeRender(const QList<ImageEntry>& entries) {
    RenderTimes times;
    for (const ImageEntry& entry : entries) {
        const auto start = Clock::now();
        const QImage image =
            ThumbnailRenderer::Render(entry.workPath, entry.imageWidth, entry.imageHeight, 1);
        const double ms = Ms(Clock::now() - start);
        if (image.isNull())
            throw std::runtime_error("cannot render " + entry.workPath.toStdString());
        times.meanMs += ms;
        times.longestMs = std::max(times.longestMs, ms);
    }
    if (!entries.isEmpty()) times.meanMs /= entries.size();
    return times;
}

// AddImage on its own, into a list that no view or renderer watches: the whole call and its
// examination (CLead's ReadFileInfo), whose difference is mostly the work copy. The copies go
// to a scratch folder that is removed again.
struct AddImageAlone {
    double callMs = 0;
    double callCpuMs = 0;
    double callWaitMs = 0;
    double longestCallMs = 0;
    double examineMs = 0;
};

AddImageAlone TimeAddImageAlone(const QStringList& files, const QString& scratch) {
    AddImageAlone alone;
    {
        WorkingList list;
        CountingPrompter prompter;
        ImageLoader loader(list, prompter, scratch);
        CLead examiner;
        for (const QString& file : files) {
            auto start = Clock::now();
            examiner.ReadFileInfo(file, 0, 1);
            alone.examineMs += Ms(Clock::now() - start);

            start = Clock::now();
            const double cpu = ThreadCpuMs();
            const double wait = ThreadRunQueueMs();
            if (loader.AddImage(file, 0, 0) != 1)
                throw std::runtime_error("cannot import " + file.toStdString());
            alone.callCpuMs += ThreadCpuMs() - cpu;
            alone.callWaitMs += ThreadRunQueueMs() - wait;
            const double ms = Ms(Clock::now() - start);
            alone.callMs += ms;
            alone.longestCallMs = std::max(alone.longestCallMs, ms);
        }
    }
    QDir(scratch).removeRecursively();
    if (!files.isEmpty()) {
        alone.callMs /= files.size();
        alone.callCpuMs /= files.size();
        alone.callWaitMs /= files.size();
        alone.examineMs /= files.size();
    }
    return alone;
}

// Render's figures, and what count calls take on the renderer's threads at that rate.
void PrintRender(const RenderTimes& render, int timed, int count) {
    const int threads = RenderThreads();
    std::printf("  %-34s %8.2f ms  (longest %.1f ms; %d work copies, one thread)\n",
                "Render alone, per call", render.meanMs, render.longestMs, timed);
    std::printf("  %-34s %8.1f s   (%d calls on %d threads, nothing else running)\n",
                "  so rendering alone needs", render.meanMs * count / threads / 1000.0, count,
                threads);
}

const char* Verdict(bool met) {
    return met ? "met" : "MISSED";
}

// ---- 1,000 photos ----

// The photos as they are, or as a camera stores them.
struct PhotoRun {
    const char* name;
    QString (*path)(const QString& dir, int number);
    bool camera;
    double goalSeconds;
};

constexpr PhotoRun kPhotosRun{"photos", PhotoPath, false, kPhotosSeconds};
constexpr PhotoRun kCameraRun{"camera", CameraPath, true, kCameraSeconds};

// The cells' shapes: a portrait shows tall, a landscape photo wide.
struct Shapes {
    int wide = 0;
    int tall = 0;
};

Shapes CountShapes(const WorkingList& list) {
    Shapes shapes;
    for (const ImageEntry& entry : list.entries()) {
        const QSize size = entry.thumbnail.size();
        (size.height() > size.width() ? shapes.tall : shapes.wide)++;
    }
    return shapes;
}

int RunPhotos(const QString& dir, const Options& options, const PhotoRun& run) {
    QStringList files;
    int portraits = 0;
    for (int number = 1; number <= kPhotoCount; ++number) {
        if (run.camera && IsPortrait((number - 1) % kDistinctPhotos + 1)) ++portraits;
        const QString path = run.path(dir, number);
        if (!QFileInfo::exists(path)) {
            throw std::runtime_error(path.toStdString() +
                                     " is missing; make the corpus first (thumbs_bench corpus)");
        }
        files << path;
    }
    qint64 corpusBytes = 0;
    for (const QString& file : files) corpusBytes += QFileInfo(file).size();

    Session session(options);
    // The cost of AddImage itself, before the import: a hundred files into a list of their own.
    constexpr int kTimedImports = 100;
    const AddImageAlone alone = TimeAddImageAlone(files.mid(0, kTimedImports),
                                                  session.folder() + QStringLiteral("/scratch"));
    StallMeter meter;
    const long rssBefore = StatusKb("VmRSS");
    const ImportFigures figures = session.ImportAll(files, meter);
    const long peak = StatusKb("VmHWM");
    const long rssAfter = StatusKb("VmRSS");
    CheckImport(figures, kPhotoCount, session);
    // A portrait shown on its side is no measurement.
    const Shapes shapes = CountShapes(session.list());
    if (shapes.tall != portraits) {
        throw std::runtime_error(QStringLiteral("%1 portrait cells, %2 portraits imported")
                                     .arg(shapes.tall)
                                     .arg(portraits)
                                     .toStdString());
    }

    const int threads = RenderThreads();
    std::printf(
        "%s: %d imports of %d x %d JPEG Q%d, %.1f MB each on average (%.2f GB), in a %d x %d "
        "view\n",
        run.name, kPhotoCount, kPhotoWidth, kPhotoHeight, kPhotoQuality,
        corpusBytes / double(kPhotoCount) / 1e6, corpusBytes / 1e9, options.view.width(),
        options.view.height());
    std::printf(
        "  %d distinct pictures, the others copies of them: each import makes its own work copy\n"
        "  and the renderer reads every work copy on its own, so a repeated picture saves no "
        "work.\n",
        kDistinctPhotos);
    if (run.camera) {
        std::printf(
            "  Each file carries a %d x %d Exif thumbnail (Q%d, %d KB of maker notes beside it);\n"
            "  one picture in %d is a portrait stored on its side with orientation 6.\n",
            kCameraThumbnailWidth, kCameraThumbnailHeight, kCameraThumbnailQuality,
            kCameraMakerNoteBytes / 1024, kCameraPortraitEvery);
    }
    std::printf("  %-34s %8d wide, %d tall\n", "cells", shapes.wide, shapes.tall);
    PrintExperiments(options);
    std::printf("  %-34s %8.2f s   (%.0f MB/s)\n", "import of every file", figures.importSeconds,
                corpusBytes / 1e6 / figures.importSeconds);
    PrintAddImage(figures, kPhotoCount);
    std::printf(
        "  %-34s %8.2f ms  (%.2f on the CPU, %.2f waiting for a core; longest %.1f ms; %d files, "
        "before the import)\n"
        "  %-34s %8.2f ms  (ReadFileInfo; the rest is mostly the work copy)\n",
        "  AddImage alone, per call", alone.callMs, alone.callCpuMs, alone.callWaitMs,
        alone.longestCallMs, kTimedImports, "    of which the examination", alone.examineMs);
    std::printf("  %-34s %8.2f s   (%.1f thumbnails/s, %d cores)\n", "import start to all rendered",
                figures.allRenderedSeconds, kPhotoCount / figures.allRenderedSeconds, threads);
    std::printf("  %-34s %8.2f s\n", "  import end to all rendered",
                figures.allRenderedSeconds - figures.importSeconds);
    std::printf("  %-34s %8.1f MB  (resident before the import %.1f MB, after %.1f MB)\n",
                "peak memory (VmHWM)", Mb(peak), Mb(rssBefore), Mb(rssAfter));
    PrintPaints(figures);
    PrintStalls(meter);

    // Where the render time goes: Render alone over the distinct pictures' work copies.
    const RenderTimes render = TimeRender(session.list().entries().mid(0, kDistinctPhotos));
    PrintRender(render, kDistinctPhotos, kPhotoCount);
    // The same measured on the renderer's threads (a minute for the photos, so only here).
    double again = 0;
    if (run.camera) {
        again = session.RenderAllAgain();
        std::printf(
            "  %-34s %8.2f s   (%d thumbnails made again on %d threads, nothing else "
            "running)\n",
            "  the renderer alone", again, kPhotoCount, threads);
    }

    const double stall =
        std::max(meter.longest(StallMeter::Import), meter.longest(StallMeter::Render));
    std::printf("summary: %d thumbnails: %.1f s, peak %.0f MB, longest stall %.0f ms\n",
                kPhotoCount, figures.allRenderedSeconds, Mb(peak), stall);
    std::printf("  all thumbnails within %.0f s: %s\n", run.goalSeconds,
                Verdict(figures.allRenderedSeconds < run.goalSeconds));
    if (run.camera) {
        std::printf("  the renderer alone within %.0f s: %s\n", run.goalSeconds,
                    Verdict(again < run.goalSeconds));
    }
    std::printf("  no stall over %.0f ms: %s\n", kStallMs, Verdict(stall <= kStallMs));
    return 0;
}

// ---- 9,999 small images ----

struct ScrollFigures {
    int steps = 0;
    int pageStep = 0;
    double totalMs = 0;
    double slowestMs = 0;
    int paints = 0;
};

// From the top to the bottom a page at a time, painting each position before the next.
ScrollFigures ScrollThrough(CThumbView& view) {
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(0);
    view.viewport()->repaint();
    QApplication::processEvents();
    PaintMeter counter(view.viewport());
    ScrollFigures figures;
    figures.pageStep = bar->pageStep();
    while (bar->value() < bar->maximum()) {
        const auto start = Clock::now();
        bar->setValue(std::min(bar->maximum(), bar->value() + bar->pageStep()));
        view.viewport()->repaint();
        const double ms = Ms(Clock::now() - start);
        figures.totalMs += ms;
        figures.slowestMs = std::max(figures.slowestMs, ms);
        ++figures.steps;
    }
    figures.paints = counter.paints;
    return figures;
}

int RunMany(const Options& options) {
    Session session(options);
    const QSize imageSize = options.image;
    // A few small pictures, imported again and again.
    const QString sources = session.folder() + QStringLiteral("/sources");
    if (!QDir().mkpath(sources)) throw std::runtime_error("cannot create " + sources.toStdString());
    QStringList distinct;
    for (int i = 1; i <= kDistinctSmall; ++i) {
        const QString path = sources + QStringLiteral("/small_%1.jpg").arg(i);
        SaveJpeg(PhotoLike(imageSize.width(), imageSize.height(), i), path, kPhotoQuality);
        distinct << path;
    }
    QStringList files;
    for (int i = 0; i < kManyCount; ++i) files << distinct[i % kDistinctSmall];

    StallMeter meter;
    const long rssBefore = StatusKb("VmRSS");
    const ImportFigures figures = session.ImportAll(files, meter);
    const long peak = StatusKb("VmHWM");
    const long rssAfter = StatusKb("VmRSS");
    CheckImport(figures, kManyCount, session);
    const qint64 pixels = session.ThumbnailBytes();
    const QSize thumb = session.list().at(0).thumbnail.size();

    std::printf(
        "many: %d imports of %d x %d JPEG (%d distinct files imported again and again; "
        "each import\n  makes its own work copy), thumbnails %d x %d, in a %d x %d view\n",
        kManyCount, imageSize.width(), imageSize.height(), kDistinctSmall, thumb.width(),
        thumb.height(), options.view.width(), options.view.height());
    PrintExperiments(options);
    std::printf("  %-34s %8.2f s\n", "import of every file", figures.importSeconds);
    PrintAddImage(figures, kManyCount);
    std::printf("  %-34s %8.2f s\n", "import start to all rendered", figures.allRenderedSeconds);
    std::printf("  %-34s %8.1f MB  (resident before the import %.1f MB, after %.1f MB)\n",
                "peak memory (VmHWM)", Mb(peak), Mb(rssBefore), Mb(rssAfter));
    std::printf("  %-34s %8.1f KB  (of which thumbnail pixels %.1f KB)\n",
                "resident growth per entry", double(rssAfter - rssBefore) / kManyCount,
                pixels / 1024.0 / kManyCount);
    PrintPaints(figures);
    PrintStalls(meter);

    constexpr int kTimedRenders = 200;
    const RenderTimes render = TimeRender(session.list().entries().mid(0, kTimedRenders));
    PrintRender(render, kTimedRenders, kManyCount);

    const ScrollFigures scroll = ScrollThrough(session.view());
    std::printf(
        "  %-34s %8.1f ms  (%d steps of %d px, %.2f ms per step, slowest %.2f ms; %d "
        "paints)\n",
        "scroll top to bottom", scroll.totalMs, scroll.steps, scroll.pageStep,
        scroll.steps > 0 ? scroll.totalMs / scroll.steps : 0.0, scroll.slowestMs, scroll.paints);

    std::printf(
        "summary: %d thumbnails: peak %.0f MB; scroll %.0f ms in %d steps, slowest %.1f "
        "ms\n",
        kManyCount, Mb(peak), scroll.totalMs, scroll.steps, scroll.slowestMs);
    std::printf("  peak under %.0f MB: %s\n", kManyPeakMb, Verdict(Mb(peak) < kManyPeakMb));
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: thumbs_bench corpus DIR\n"
                 "       thumbs_bench photos DIR [OPTIONS]\n"
                 "       thumbs_bench camera DIR [OPTIONS]\n"
                 "       thumbs_bench many [--size WxH] [OPTIONS]\n"
                 "options: --view WxH            the view's size (509x432)\n"
                 "         --pause-renderer      no thumbnail until the import is done\n"
                 "         --nice-workers N      every thread but the GUI thread at nice N\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (!StartImaging(argv[0])) {
        std::fprintf(stderr, "thumbs_bench: libvips did not start\n");
        return 1;
    }
    if (argc < 2) return Usage();
    const QString command = QString::fromLocal8Bit(argv[1]);
    QStringList positional;
    Options options;
    for (int i = 2; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool more = i + 1 < argc;
        if (arg == QLatin1String("--view") && more) {
            if (!ParseSize(argv[++i], &options.view)) return Usage();
        } else if (arg == QLatin1String("--size") && more) {
            if (!ParseSize(argv[++i], &options.image)) return Usage();
        } else if (arg == QLatin1String("--nice-workers") && more) {
            bool ok = false;
            options.workerNice = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || options.workerNice < 0 || options.workerNice > 19) return Usage();
        } else if (arg == QLatin1String("--pause-renderer")) {
            options.pauseRenderer = true;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return Usage();
        } else {
            positional << arg;
        }
    }
    try {
        if (command == QLatin1String("corpus") && positional.size() == 1) {
            return MakeCorpus(positional[0]);
        }
        QApplication app(argc, argv);
        if (command == QLatin1String("photos") && positional.size() == 1) {
            return RunPhotos(positional[0], options, kPhotosRun);
        }
        if (command == QLatin1String("camera") && positional.size() == 1) {
            return RunPhotos(positional[0], options, kCameraRun);
        }
        if (command == QLatin1String("many") && positional.isEmpty()) return RunMany(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "thumbs_bench: %s\n", error.what());
        return 1;
    }
    return Usage();
}
