#include "app/ui/WindowImport.h"

#include "app/ui/MainDialog.h"
#include "imaging/ImageLoader.h"
#include "slides/ui/ImportProgressDialog.h"

WindowImport::WindowImport(MainDialog& window, ImportProgressDialog* progress)
    : window_(window), progress_(progress) {}

bool WindowImport::StepProgress() {
    if (!progress_) return true;
    progress_->StepIt();
    return !progress_->CancelRequested();
}

void WindowImport::LoadImage(const QString& path) {
    if (window_.loader().AddImage(path, 0, 0) == 1) window_.setUnsavedChanges(true);
}

void WindowImport::QueuePresentation(const QString& path) {
    window_.QueuePresentation(path);
}

bool WindowImport::ListFull() const {
    return window_.list().listFull();
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
