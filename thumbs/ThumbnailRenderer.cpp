#include "thumbs/ThumbnailRenderer.h"

#include <cmath>

#include "core/WorkingList.h"
#include "imaging/CLead.h"
#include "imaging/ImagingConstants.h"
#include "thumbs/Rotation.h"
#include "thumbs/ThumbLayout.h"

ThumbnailRenderer::ThumbnailRenderer(WorkingList& list, qreal ratio, QObject* parent)
    : QObject(parent), list_(list), ratio_(ratio > 0 ? ratio : 1) {
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

void ThumbnailRenderer::SetPixelRatio(qreal ratio) {
    if (ratio <= 0 || ratio == ratio_) return;
    ratio_ = ratio;
    scanFrom_ = 0;
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
// shows neither bars nor a stretched picture, and covers the whole box in pixels at the ratio,
// so that it is only ever scaled down (a camera's 160 x 120 does on a 1.5x screen, not on a
// 2x one). A picture no larger than the box keeps its own size in the cell and is decoded
// (that is quick).
bool StandsIn(const CLead& thumbnail, int imageWidth, int imageHeight, qreal ratio) {
    if (imageWidth <= thumbs::kBoxWidth && imageHeight <= thumbs::kBoxHeight) return false;
    const double width = thumbnail.ImageWidth();
    const double height = thumbnail.ImageHeight();
    if (width < thumbs::kBoxWidth * ratio || height < thumbs::kBoxHeight * ratio) return false;
    const double aspects = (width / height) / (double(imageWidth) / imageHeight);
    return std::abs(aspects - 1.0) <= 0.01;
}

// Loads the file's stored thumbnail into the lead; true when it stands in for the picture.
bool LoadStoredThumbnail(CLead& lead, const QString& workPath, int imageWidth, int imageHeight,
                         qreal ratio) {
    if (imageWidth <= 0 || imageHeight <= 0) return false;
    try {
        return lead.LoadExifThumbnail(workPath) && StandsIn(lead, imageWidth, imageHeight, ratio);
    } catch (const LeadError&) {
        return false;  // damaged: the picture itself is decoded
    }
}

}  // namespace

QImage ThumbnailRenderer::Render(const QString& workPath, int imageWidth, int imageHeight,
                                 qreal ratio) {
    try {
        CLead lead;
        const bool stored = LoadStoredThumbnail(lead, workPath, imageWidth, imageHeight, ratio);
        if (!stored) lead.LoadImage(workPath, 0, 0, -1);
        const float w = lead.ImageWidth();
        const float h = lead.ImageHeight();
        QSize shown{int(w), int(h)};  // in the cell, in logical pixels
        if (stored || w > thumbs::kBoxWidth || h > thumbs::kBoxHeight) {
            shown =
                ThumbnailRect(QRect(0, 0, thumbs::kBoxWidth, thumbs::kBoxHeight),
                              imageWidth > 0 ? imageWidth : w, imageHeight > 0 ? imageHeight : h)
                    .size();
        }
        // From the picture straight to the screen's pixels. A picture smaller than the box
        // has fewer pixels than its place on a 2x screen: it is enlarged here, with the
        // resampler, rather than by the painter.
        const QSize pixels = (QSizeF(shown) * ratio).toSize().expandedTo(QSize(1, 1));
        if (pixels != QSize{int(w), int(h)}) {
            // Very large images take the cheaper resampler.
            const int flags = w <= 2000 ? imaging::kResizeQuality : imaging::kResizeFast;
            lead.ResizeImage(float(pixels.width()), float(pixels.height()), flags);
        }
        QImage image = lead.ToQImage().convertToFormat(QImage::Format_RGB888);
        image.setDevicePixelRatio(ratio);
        return image;
    } catch (const LeadError&) {
        return QImage();
    }
}

int ThumbnailRenderer::NextRow() const {
    const int n = list_.count();
    const auto waiting = [&](int row) {
        const ImageEntry& entry = list_.at(row);
        return Wanted(entry) && !inFlight_.contains(entry.id);
    };
    for (int row = std::max(0, firstVisible_); row <= lastVisible_ && row < n; ++row) {
        if (waiting(row)) return row;
    }
    while (scanFrom_ < n && !waiting(scanFrom_)) ++scanFrom_;
    return scanFrom_ < n ? scanFrom_ : -1;
}

// Not made yet, or made for another screen. A file that could not be decoded is not tried
// again.
bool ThumbnailRenderer::Wanted(const ImageEntry& entry) const {
    return !entry.rendered ||
           (!entry.thumbnail.isNull() && entry.thumbnail.devicePixelRatio() != ratio_);
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
                     height = entry.imageHeight, ratio = ratio_] {
            const QImage image = Render(path, width, height, ratio);
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
    // An entry deleted meanwhile is simply not there any more. The picture was made upright:
    // it takes the entry's turn as it stands now, whatever was turned while it was made.
    const int row = list_.RowOf(id);
    const QImage turned = row < 0 ? image : TurnedImage(image, list_.at(row).quarterTurns);
    if (list_.SetThumbnail(id, turned)) Q_EMIT thumbnailReady(id);
    Schedule();
}
