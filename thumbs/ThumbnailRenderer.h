#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>

#include "core/ImageEntry.h"

class WorkingList;

// Makes the thumbnails of the working list on a thread pool, at the pixel ratio of the screen
// they are shown on: entries in view first, then the rest in list order, at most one job per
// core at a time. A worker gets only an entry's id
// and work copy and hands back an image by id, so imports, moves and deletions can happen at
// any time: a result for an entry that is gone is dropped, and a moved entry keeps its
// thumbnail. The window never waits for a decode. Lives on the GUI thread.
class ThumbnailRenderer : public QObject {
    Q_OBJECT

public:
    // ratio: the device pixel ratio the first thumbnails are made for (see SetPixelRatio).
    explicit ThumbnailRenderer(WorkingList& list, qreal ratio = 1, QObject* parent = nullptr);
    ~ThumbnailRenderer() override;

    // The rows on screen, rendered before the others.
    void SetVisibleRows(int first, int last);
    // The device pixel ratio of the screen the thumbnails are shown on (1 until it is set).
    // Thumbnails made for another ratio are made again, those in view first; each stays shown
    // until its replacement is ready.
    void SetPixelRatio(qreal ratio);
    qreal pixelRatio() const { return ratio_; }
    // While paused no new thumbnail is started (the convert run wants both cores).
    void Pause();
    void Resume();
    bool paused() const { return paused_; }
    // Nothing rendering and nothing left to render.
    bool idle() const;
    // Waits for the jobs in flight (the window never calls this; tests and shutdown do).
    void WaitForDone();

    // One thumbnail for a screen of a device pixel ratio: the work copy decoded at a reduced
    // size and fitted into the 104 x 78 box (images that fit already keep their size). That
    // is its size in logical pixels at every ratio; it has that size times the ratio in pixels
    // (rounded) and the ratio as its devicePixelRatio. A JPEG whose Exif block holds a
    // thumbnail of the picture's aspect and at least the box's size in pixels is not decoded:
    // that thumbnail is fitted instead, turned upright as the picture is. imageWidth and
    // imageHeight are the picture's upright size. A null image when it cannot be decoded.
    // Any thread: the ratio comes in as a value.
    static QImage Render(const QString& workPath, int imageWidth, int imageHeight, qreal ratio);

Q_SIGNALS:
    void thumbnailReady(EntryId id);
    // The last job in flight finished and nothing is left to render.
    void allRendered();

private:
    void Schedule();
    int NextRow() const;
    bool Wanted(const ImageEntry& entry) const;
    void Finished(EntryId id, const QImage& image);

    WorkingList& list_;
    QThreadPool pool_;
    QSet<EntryId> inFlight_;
    int firstVisible_ = 0;
    int lastVisible_ = -1;
    qreal ratio_ = 1;
    mutable int scanFrom_ = 0;  // rows before it are rendered or in flight
    bool paused_ = false;
    bool working_ = false;  // jobs were started since the last allRendered
};
