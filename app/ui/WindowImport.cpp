#include "app/ui/WindowImport.h"

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "slides/ui/ImportProgressDialog.h"

WindowImport::WindowImport(ImageLoader& loader, bool& unsavedChanges,
                           std::function<void(const QString&)> queuePresentation,
                           ImportProgressDialog* progress)
    : loader_(loader),
      unsavedChanges_(unsavedChanges),
      queuePresentation_(std::move(queuePresentation)),
      progress_(progress) {}

bool WindowImport::StepProgress() {
    if (!progress_) return true;
    progress_->StepIt();
    return !progress_->CancelRequested();
}

void WindowImport::LoadImage(const QString& path) {
    if (loader_.AddImage(path, 0, 0) == 1) unsavedChanges_ = true;
}

void WindowImport::QueuePresentation(const QString& path) {
    queuePresentation_(path);
}

bool WindowImport::ListFull() const {
    return loader_.list().listFull();
}

void WindowSlideProgress::Start(int slideCount) {
    progress_.Start(slideCount);
}

void WindowSlideProgress::Step() {
    progress_.StepIt();
}

bool WindowSlideProgress::CancelRequested() {
    return progress_.CancelRequested();
}
