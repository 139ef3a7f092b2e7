#include "thumbs/ThumbnailRenderer.h"

#include <cmath>

#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "thumbs/ThumbLayout.h"

ThumbnailRenderer::ThumbnailRenderer(WorkingList& list, QObject* parent)
    : QObject(parent), list_(list) {
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    // Thumbnails use the time nothing else wants: an import or the window never waits for a
    // core behind them.
    pool_.setThreadPriority(QThread::IdlePriority);
    const auto restart = [this] {
        scanFrom_ = 0;
        Schedule();
    };
    connect(&list_, &QAbstractItemModel::rowsInserted, this, [this] { Schedule(); });
    connect(&list_, &QAbstractItemModel::modelReset, this, restart);
    Schedule();
}

ThumbnailRenderer::~ThumbnailRenderer() {
    WaitForDone();
}

void ThumbnailRenderer::SetVisibleRows(int first, int last) {
    firstVisible_ = first;
    lastVisible_ = last;
    Schedule();
}

void ThumbnailRenderer::Pause() {
    paused_ = true;
}

void ThumbnailRenderer::Resume() {
    paused_ = false;
    Schedule();
}

bool ThumbnailRenderer::idle() const {
    return inFlight_.isEmpty() && NextRow() < 0;
}

void ThumbnailRenderer::WaitForDone() {
    pool_.waitForDone();
}

namespace {

// Whether the thumbnail a camera stored in the file can stand in for the decoded picture, as
// the lead holds it (upright): it shows the picture's aspect within 1 %, so that the cell
// shows neither bars nor a stretched picture, and covers the whole box, so that it is only
// ever scaled down. A picture no larger than the box keeps its own size in the cell and is
// decoded (that is quick).
bool StandsIn(const CLead& thumbnail, int imageWidth, int imageHeight) {
    if (imageWidth <= thumbs::kBoxWidth && imageHeight <= thumbs::kBoxHeight) return false;
    const double width = thumbnail.ImageWidth();
    const double height = thumbnail.ImageHeight();
    if (width < thumbs::kBoxWidth || height < thumbs::kBoxHeight) return false;
    const double ratio = (width / height) / (double(imageWidth) / imageHeight);
    return std::abs(ratio - 1.0) <= 0.01;
}

// Loads the file's stored thumbnail into the lead; true when it stands in for the picture.
bool LoadStoredThumbnail(CLead& lead, const QString& workPath, int imageWidth, int imageHeight) {
    if (imageWidth <= 0 || imageHeight <= 0) return false;
    try {
        return lead.LoadExifThumbnail(workPath) && StandsIn(lead, imageWidth, imageHeight);
    } catch (const LeadError&) {
        return false;  // damaged: the picture itself is decoded
    }
}

}  // namespace

QImage ThumbnailRenderer::Render(const QString& workPath, int imageWidth, int imageHeight) {
    try {
        CLead lead;
        const bool stored = LoadStoredThumbnail(lead, workPath, imageWidth, imageHeight);
        if (!stored) lead.LoadImage(workPath, 0, 0, -1);
        const float w = lead.ImageWidth();
        const float h = lead.ImageHeight();
        if (stored || w > thumbs::kBoxWidth || h > thumbs::kBoxHeight) {
            const QRect fitted = thumbs::ThumbnailRect(
                QRect(0, 0, thumbs::kBoxWidth, thumbs::kBoxHeight), imageWidth > 0 ? imageWidth : w,
                imageHeight > 0 ? imageHeight : h);
            // Very large images take the cheaper resampler.
            const int flags = w <= 2000 ? imaging::kResizeQuality : imaging::kResizeFast;
            lead.ResizeImage(float(fitted.width()), float(fitted.height()), flags);
        }
        return lead.ToQImage().convertToFormat(QImage::Format_RGB888);
    } catch (const LeadError&) {
        return QImage();
    }
}

int ThumbnailRenderer::NextRow() const {
    const int n = list_.count();
    const auto waiting = [&](int row) {
        const ImageEntry& entry = list_.at(row);
        return !entry.rendered && !inFlight_.contains(entry.id);
    };
    for (int row = std::max(0, firstVisible_); row <= lastVisible_ && row < n; ++row) {
        if (waiting(row)) return row;
    }
    while (scanFrom_ < n && !waiting(scanFrom_)) ++scanFrom_;
    return scanFrom_ < n ? scanFrom_ : -1;
}

void ThumbnailRenderer::Schedule() {
    while (!paused_ && inFlight_.size() < pool_.maxThreadCount()) {
        const int row = NextRow();
        if (row < 0) break;
        const ImageEntry& entry = list_.at(row);
        const EntryId id = entry.id;
        inFlight_.insert(id);
        working_ = true;
        // The result comes back as a queued call, which is dropped with the renderer if the
        // window closes first (the destructor waits for the workers).
        pool_.start([this, id, path = entry.workPath, width = entry.imageWidth,
                     height = entry.imageHeight] {
            const QImage image = Render(path, width, height);
            QMetaObject::invokeMethod(
                this, [this, id, image] { Finished(id, image); }, Qt::QueuedConnection);
        });
    }
    if (working_ && idle()) {
        working_ = false;
        Q_EMIT allRendered();
    }
}

void ThumbnailRenderer::Finished(EntryId id, const QImage& image) {
    inFlight_.remove(id);
    // An entry deleted meanwhile is simply not there any more.
    if (list_.SetThumbnail(id, image)) Q_EMIT thumbnailReady(id);
    Schedule();
}
