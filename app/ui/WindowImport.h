#pragma once

#include <QStringList>
#include <functional>

#include "app/ImportDispatch.h"
#include "slides/SlideImport.h"

class ImageLoader;
class ImportProgressDialog;
class Prompter;

// Where the window's imports put what they find: images into the working list through the
// loader (marking the list unsaved), presentations into the window's queue, with a step of
// the progress window (and a look at its Cancel) before each. GUI thread.
class WindowImport : public ImportSink {
public:
    // unsavedChanges: the window's flag, set when an image is added. queuePresentation: the
    // window's presentation queue.
    WindowImport(ImageLoader& loader, bool& unsavedChanges,
                 std::function<void(const QString&)> queuePresentation,
                 ImportProgressDialog* progress);

    bool StepProgress() override;
    void LoadImage(const QString& path) override;
    void QueuePresentation(const QString& path) override;
    bool ListFull() const override;
    // Kept for one message at the end of the import; a file that is not an image or a
    // presentation is passed over in silence.
    void Skipped(const QString& path, SkipReason reason) override;

    // One message naming what was not imported and why; nothing when all was.
    void TellSkipped(Prompter& prompter) const;

private:
    ImageLoader& loader_;
    bool& unsavedChanges_;
    std::function<void(const QString&)> queuePresentation_;
    ImportProgressDialog* progress_;
    QStringList skipped_;
    int images_ = 0;  // the images handed to the loader so far
};

// A heading and the first of items, one a line, the rest counted ("and 3 more"): a message
// that names files and still fits on the screen.
QString ListMessage(const QString& heading, const QStringList& items);

// The slide import's progress in the window's progress window.
class WindowSlideProgress : public SlideProgress {
public:
    // presentation: the name shown beside the count of slides.
    WindowSlideProgress(ImportProgressDialog& progress, QString presentation)
        : progress_(progress), presentation_(std::move(presentation)) {}

    void Start(int slideCount) override;
    void Step() override;
    bool CancelRequested() override;

private:
    ImportProgressDialog& progress_;
    QString presentation_;
};
